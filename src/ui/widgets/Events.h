// Mouse buttons, modifiers, key codes and event results passed to views.
// Plain value types: any thread, real-time safe.
#pragma once

#include <cstdint>

namespace VSTGUI {

enum CButton : int32_t
{
    kLButton = 1 << 1,
    kMButton = 1 << 2,
    kRButton = 1 << 3,
    kShift = 1 << 4,
    kControl = 1 << 5,
    kAlt = 1 << 6,
    kApple = 1 << 7,
    kDoubleClick = 1 << 10,
};

class CButtonState
{
public:
    CButtonState(int32_t state = 0) : state(state) {}
    int32_t getButtonState() const { return state & (kLButton | kMButton | kRButton); }
    int32_t getModifierState() const { return state & (kShift | kControl | kAlt | kApple); }
    bool isLeftButton() const { return (state & kLButton) != 0; }
    bool isDoubleClick() const { return (state & kDoubleClick) != 0; }
    bool operator&(int32_t mask) const { return (state & mask) != 0; }
    operator int32_t() const { return state; }

private:
    int32_t state;
};

enum CMouseEventResult
{
    kMouseEventNotImplemented = 0,
    kMouseEventHandled,
    kMouseEventNotHandled,
    kMouseDownEventHandledButDontNeedMovedOrUpEvents,
    kMouseMoveEventHandledButDontNeedMoreEvents,
};

enum CMouseWheelAxis
{
    kMouseWheelAxisX = 0,
    kMouseWheelAxisY,
};

enum VirtualKey : unsigned char
{
    VKEY_NONE = 0,
    VKEY_BACK = 1,
    VKEY_TAB,
    VKEY_RETURN,
    VKEY_ESCAPE,
    VKEY_SPACE,
    VKEY_END,
    VKEY_HOME,
    VKEY_LEFT,
    VKEY_UP,
    VKEY_RIGHT,
    VKEY_DOWN,
    VKEY_PAGEUP,
    VKEY_PAGEDOWN,
    VKEY_DELETE,
    VKEY_ENTER,
};

enum KeyModifier : unsigned char
{
    MODIFIER_SHIFT = 1 << 0,
    MODIFIER_ALTERNATE = 1 << 1,
    MODIFIER_COMMAND = 1 << 2,
    MODIFIER_CONTROL = 1 << 3,
};

// `character` is a Unicode code point for printable keys (0 otherwise), `virt` a VirtualKey.
struct VstKeyCode
{
    int32_t character = 0;
    unsigned char virt = VKEY_NONE;
    unsigned char modifier = 0;
};

}  // namespace VSTGUI

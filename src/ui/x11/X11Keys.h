// Translates X key codes to the widget layer's key codes, from the server's keyboard map.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/Events.h"

#include <cstdint>
#include <vector>

typedef struct xcb_connection_t xcb_connection_t;

namespace VSTGUI {

class X11Keys
{
public:
    void load(xcb_connection_t* connection);
    VstKeyCode translate(uint8_t keycode, uint16_t state) const;
    // Keysym (X11 name space) to key code; public for tests.
    static VstKeyCode fromKeysym(uint32_t keysym, uint16_t state);

private:
    std::vector<uint32_t> keysyms;
    uint8_t minKeycode = 8;
    uint8_t perKeycode = 0;
};

}  // namespace VSTGUI

#pragma once
// An extra interface of the plug-in's editor view: a host that has no window to give (a test
// host, a headless preview) opens the editor off screen, drives it with the mouse and keys,
// delivers its timer ticks, answers its file dialogs and takes pictures of it. Query it from
// the IPlugView that createView returns.
//
// Threads: the host's UI thread only, like IPlugView. Not real-time safe.
#include "pluginterfaces/base/funknown.h"

namespace Steinberg {
namespace Vst {

// Key codes for key(): the keys a list and a text field react to.
enum OffscreenKey : int32 {
    kOffscreenKeyNone = 0,       // a character key: pass the character
    kOffscreenKeyBackspace = 1,
    kOffscreenKeyReturn = 3,
    kOffscreenKeyEscape = 4,
    kOffscreenKeyEnd = 6,
    kOffscreenKeyUp = 9,
    kOffscreenKeyDown = 11,
    // Added to a code (or to kOffscreenKeyNone with a character): the key with Ctrl held.
    kOffscreenKeyWithControl = 0x100,
};

// Mouse actions for mouse(), with the left button, or without any for a hover.
enum OffscreenMouse : int32 {
    kOffscreenMouseDown = 0,
    kOffscreenMouseMoved = 1,
    kOffscreenMouseUp = 2,
    kOffscreenMouseHover = 3,         // moved with no button held
    kOffscreenMouseDoubleClick = 4,   // the second press of a double-click
    kOffscreenMouseExited = 5,        // the pointer left the editor
};

class IOffscreenEditor : public FUnknown {
public:
    // Builds the editor without a window. kResultFalse when it is open already (on or off
    // screen); close it with closeOffscreen (or the host's removed()).
    virtual tresult PLUGIN_API openOffscreen() = 0;
    virtual tresult PLUGIN_API closeOffscreen() = 0;
    // A mouse action at (x, y) in editor pixels.
    virtual tresult PLUGIN_API mouse(int32 kind, double x, double y) = 0;
    // A key press: a code of OffscreenKey, or kOffscreenKeyNone with a character.
    virtual tresult PLUGIN_API key(int32 virtualKey, int32 character) = 0;
    // One tick of the editor's 100 ms timer.
    virtual tresult PLUGIN_API tick() = 0;
    // How the file dialogs started from now on end: path (UTF-8) is chosen; a null or empty
    // path cancels. With holdOpen the dialog stays open until finishFileDialogs().
    virtual tresult PLUGIN_API scriptFileDialogs(FIDString path, TBool holdOpen) = 0;
    // Dialogs started since scriptFileDialogs was called.
    virtual int32 PLUGIN_API fileDialogsStarted() = 0;
    // Ends the dialogs held open, with the scripted answer.
    virtual tresult PLUGIN_API finishFileDialogs() = 0;
    // Draws the open editor into a PNG file at scale physical pixels per editor pixel.
    virtual tresult PLUGIN_API writeScreenshot(FIDString pngPath, double scale) = 0;
    // What the editor shows, as "name=value" lines (UTF-8, zero-terminated when it fits).
    // Returns the bytes the whole text needs, terminator included; copies what fits.
    virtual int32 PLUGIN_API describe(char8* buffer, int32 size) = 0;

    static const FUID iid;
};

DECLARE_CLASS_IID(IOffscreenEditor, 0x5A1E7B3C, 0x2F4D4E8A, 0x9C61D0B2, 0x7E845F19)

} // namespace Vst
} // namespace Steinberg

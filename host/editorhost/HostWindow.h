// The editor host's top-level X11 window, in which a plug-in view embeds its own child window.
// UI thread only; not real-time safe.
#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"

#include <cstdint>
#include <string>

typedef struct xcb_connection_t xcb_connection_t;

namespace zephra::editorhost {

class HostWindow {
public:
    HostWindow() = default;
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    ~HostWindow();

    // False with a reason when there is no display.
    bool open(int width, int height, const std::string& title, std::string& error);
    uint32_t id() const { return window; }
    int descriptor() const;
    void resize(int width, int height);
    // Handles pending events; false once the user closed the window.
    bool processEvents();
    // Child windows currently inside the host window (what a plug-in left behind).
    int childCount() const;
    // The first child window, 0 when there is none.
    uint32_t firstChild() const;
    // Whether a child window was mapped since the last call (read by processEvents).
    bool takeChildMapped();
    // The size the window got from the user or the window manager since the last call, if
    // it differs from the size last set; false when there is none.
    bool takeUserSize(int& width, int& height);

private:
    xcb_connection_t* connection = nullptr;
    uint32_t window = 0;
    uint32_t deleteAtom = 0;
    bool closed = false;
    bool childMapped = false;
    int width = 0, height = 0;           // as last set here
    int userWidth = 0, userHeight = 0;   // as last reported by the server
};

// The IPlugFrame a plug-in view gets: resizes the host window and offers the run loop.
class HostPlugFrame : public Steinberg::FObject, public Steinberg::IPlugFrame {
public:
    HostPlugFrame(HostWindow& window, Steinberg::Linux::IRunLoop& loop) : window(window), loop(loop) {}

    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view, Steinberg::ViewRect* newSize) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) SMTG_OVERRIDE;
    REFCOUNT_METHODS(FObject)

private:
    HostWindow& window;
    Steinberg::Linux::IRunLoop& loop;
};

}   // namespace zephra::editorhost

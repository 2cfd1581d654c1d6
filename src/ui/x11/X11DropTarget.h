// The receiving side of XDND (the X11 drag-and-drop protocol, version 5) for one window:
// accepts drags that offer a file list (text/uri-list), fetches the list on the drop and
// hands the local file paths on; tells the source whether the drop was taken.
// UI thread only; not real-time safe.
#pragma once

#include <xcb/xcb.h>

#include <functional>
#include <string>
#include <vector>

namespace VSTGUI {

class X11DropTarget
{
public:
    // Called with the dropped local paths (UTF-8); returns whether they were taken.
    using DropHandler = std::function<bool(const std::vector<std::string>& paths)>;

    X11DropTarget(xcb_connection_t* connection, xcb_window_t window, DropHandler onDrop);
    // Marks the window as a drop target (XdndAware).
    void announce();
    // True when the event was one of the protocol's, and was handled.
    bool handle(const xcb_generic_event_t* event);

    // "file:" URIs of a text/uri-list as local paths (percent escapes decoded); other URIs,
    // other hosts and comments are skipped.
    static std::vector<std::string> localPaths(const std::string& uriList);

private:
    void onEnter(const xcb_client_message_event_t& message);
    void onPosition(const xcb_client_message_event_t& message);
    void onDrop(const xcb_client_message_event_t& message);
    void onLeave();
    void onSelection(const xcb_selection_notify_event_t& notify);
    void send(xcb_window_t to, xcb_atom_t type, uint32_t d0, uint32_t d1, uint32_t d2, uint32_t d3,
              uint32_t d4);
    void finish(bool taken);

    xcb_connection_t* connection;
    xcb_window_t window;
    DropHandler onDropHandler;
    xcb_atom_t aware = 0, enter = 0, position = 0, status = 0, leave = 0, drop = 0,
               finished = 0, selection = 0, typeList = 0, actionCopy = 0, uriList = 0,
               property = 0;
    xcb_window_t source = 0;
    bool offersFiles = false;
    bool awaitingData = false;
};

}  // namespace VSTGUI

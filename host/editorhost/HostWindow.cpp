#include "HostWindow.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

using namespace Steinberg;

namespace zephra::editorhost {

namespace {
uint32_t internAtom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const uint32_t atom = reply ? reply->atom : 0;
    free(reply);
    return atom;
}
}   // namespace

HostWindow::~HostWindow()
{
    if (!connection)
        return;
    if (window)
        xcb_destroy_window(connection, window);
    xcb_flush(connection);
    xcb_disconnect(connection);
}

bool HostWindow::open(int width, int height, const std::string& title, std::string& error)
{
    int screenNumber = 0;
    connection = xcb_connect(nullptr, &screenNumber);
    if (!connection || xcb_connection_has_error(connection)) {
        error = "cannot connect to the X display (is DISPLAY set?)";
        return false;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    xcb_screen_t* screen = screens.data;
    window = xcb_generate_id(connection);
    const uint32_t values[] = {screen->black_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                                        XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_EXPOSURE};
    this->width = userWidth = width > 0 ? width : 1;
    this->height = userHeight = height > 0 ? height : 1;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, uint16_t(width > 0 ? width : 1),
                      uint16_t(height > 0 ? height : 1), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        uint32_t(title.size()), title.data());
    const uint32_t protocols = internAtom(connection, "WM_PROTOCOLS");
    deleteAtom = internAtom(connection, "WM_DELETE_WINDOW");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, protocols, XCB_ATOM_ATOM, 32, 1, &deleteAtom);
    xcb_map_window(connection, window);
    xcb_flush(connection);
    return true;
}

int HostWindow::descriptor() const
{
    return connection ? xcb_get_file_descriptor(connection) : -1;
}

void HostWindow::resize(int width, int height)
{
    if (!connection || width <= 0 || height <= 0)
        return;
    this->width = userWidth = width;
    this->height = userHeight = height;
    const uint32_t values[] = {uint32_t(width), uint32_t(height)};
    xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    xcb_flush(connection);
}

bool HostWindow::processEvents()
{
    if (!connection)
        return false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
        const uint8_t type = event->response_type & 0x7F;
        if (type == XCB_CLIENT_MESSAGE) {
            auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (message->data.data32[0] == deleteAtom)
                closed = true;
        } else if (type == XCB_MAP_NOTIFY) {
            auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (map->event == window && map->window != window)
                childMapped = true;
        } else if (type == XCB_CONFIGURE_NOTIFY) {
            auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
            if (configure->window == window) {
                userWidth = configure->width;
                userHeight = configure->height;
            }
        }
        free(event);
    }
    if (xcb_connection_has_error(connection))
        closed = true;
    return !closed;
}

int HostWindow::childCount() const
{
    if (!connection)
        return 0;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    const int count = tree ? xcb_query_tree_children_length(tree) : 0;
    free(tree);
    return count;
}

uint32_t HostWindow::firstChild() const
{
    if (!connection)
        return 0;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    const uint32_t child = tree && xcb_query_tree_children_length(tree) > 0 ? xcb_query_tree_children(tree)[0] : 0;
    free(tree);
    return child;
}

bool HostWindow::takeChildMapped()
{
    const bool mapped = childMapped;
    childMapped = false;
    return mapped;
}

bool HostWindow::takeUserSize(int& newWidth, int& newHeight)
{
    if (userWidth == width && userHeight == height)
        return false;
    newWidth = width = userWidth;
    newHeight = height = userHeight;
    return true;
}

tresult PLUGIN_API HostPlugFrame::resizeView(IPlugView* view, ViewRect* newSize)
{
    if (!view || !newSize)
        return kInvalidArgument;
    window.resize(newSize->getWidth(), newSize->getHeight());
    view->onSize(newSize);
    return kResultTrue;
}

tresult PLUGIN_API HostPlugFrame::queryInterface(const TUID iid, void** obj)
{
    QUERY_INTERFACE(iid, obj, IPlugFrame::iid, IPlugFrame)
    if (FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid)) {
        loop.addRef();
        *obj = &loop;
        return kResultOk;
    }
    return FObject::queryInterface(iid, obj);
}

}   // namespace zephra::editorhost

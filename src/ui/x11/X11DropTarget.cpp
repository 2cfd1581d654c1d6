#include "ui/x11/X11DropTarget.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace VSTGUI {

namespace {
constexpr uint32_t kXdndVersion = 5;
constexpr uint32_t kLargestList = 1 << 20;   // bytes of a file list read at most

xcb_atom_t intern(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
}  // namespace

X11DropTarget::X11DropTarget(xcb_connection_t* connection, xcb_window_t window, DropHandler onDrop)
    : connection(connection), window(window), onDropHandler(std::move(onDrop))
{
    aware = intern(connection, "XdndAware");
    enter = intern(connection, "XdndEnter");
    position = intern(connection, "XdndPosition");
    status = intern(connection, "XdndStatus");
    leave = intern(connection, "XdndLeave");
    drop = intern(connection, "XdndDrop");
    finished = intern(connection, "XdndFinished");
    selection = intern(connection, "XdndSelection");
    typeList = intern(connection, "XdndTypeList");
    actionCopy = intern(connection, "XdndActionCopy");
    uriList = intern(connection, "text/uri-list");
    property = intern(connection, "ZEPHRA_DROPPED_FILES");
}

void X11DropTarget::announce()
{
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, aware, XCB_ATOM_ATOM, 32, 1,
                        &kXdndVersion);
}

bool X11DropTarget::handle(const xcb_generic_event_t* event)
{
    const uint8_t type = event->response_type & 0x7F;
    if (type == XCB_SELECTION_NOTIFY) {
        const auto& notify = *reinterpret_cast<const xcb_selection_notify_event_t*>(event);
        if (notify.requestor != window || notify.selection != selection)
            return false;
        onSelection(notify);
        return true;
    }
    if (type != XCB_CLIENT_MESSAGE)
        return false;
    const auto& message = *reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (message.format != 32)
        return false;
    if (message.type == enter)
        onEnter(message);
    else if (message.type == position)
        onPosition(message);
    else if (message.type == drop)
        onDrop(message);
    else if (message.type == leave)
        onLeave();
    else
        return false;
    return true;
}

void X11DropTarget::onEnter(const xcb_client_message_event_t& message)
{
    source = message.data.data32[0];
    awaitingData = false;
    std::vector<xcb_atom_t> types(message.data.data32 + 2, message.data.data32 + 5);
    if (message.data.data32[1] & 1) {   // more than three types: they are in XdndTypeList
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, source, typeList, XCB_ATOM_ATOM, 0, 256), nullptr);
        if (reply && reply->format == 32) {
            const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
            types.assign(atoms, atoms + xcb_get_property_value_length(reply) / 4);
        }
        free(reply);
    }
    offersFiles = std::find(types.begin(), types.end(), uriList) != types.end();
}

void X11DropTarget::onLeave()
{
    source = 0;
    offersFiles = false;
    awaitingData = false;
}

void X11DropTarget::onPosition(const xcb_client_message_event_t& message)
{
    source = message.data.data32[0];
    // Accepted anywhere in the window; an empty rectangle asks for every move.
    send(source, status, window, offersFiles ? 1 : 0, 0, 0, offersFiles ? actionCopy : xcb_atom_t(XCB_ATOM_NONE));
}

void X11DropTarget::onDrop(const xcb_client_message_event_t& message)
{
    source = message.data.data32[0];
    if (!offersFiles) {
        finish(false);
        return;
    }
    awaitingData = true;
    xcb_convert_selection(connection, window, selection, uriList, property, message.data.data32[2]);
    xcb_flush(connection);
}

void X11DropTarget::onSelection(const xcb_selection_notify_event_t& notify)
{
    if (!awaitingData)
        return;
    awaitingData = false;
    std::string list;
    if (notify.property != XCB_ATOM_NONE) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, kLargestList / 4),
            nullptr);
        if (reply && reply->format == 8)
            list.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                        size_t(xcb_get_property_value_length(reply)));
        free(reply);
    }
    const std::vector<std::string> paths = localPaths(list);
    finish(!paths.empty() && onDropHandler && onDropHandler(paths));
}

void X11DropTarget::finish(bool taken)
{
    if (source)
        send(source, finished, window, taken ? 1 : 0, taken ? actionCopy : xcb_atom_t(XCB_ATOM_NONE), 0, 0);
    source = 0;
    offersFiles = false;
}

void X11DropTarget::send(xcb_window_t to, xcb_atom_t type, uint32_t d0, uint32_t d1, uint32_t d2,
                         uint32_t d3, uint32_t d4)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = to;
    message.type = type;
    const uint32_t data[] = {d0, d1, d2, d3, d4};
    std::memcpy(message.data.data32, data, sizeof data);
    xcb_send_event(connection, 0, to, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

std::vector<std::string> X11DropTarget::localPaths(const std::string& uriList)
{
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    std::vector<std::string> paths;
    for (size_t start = 0; start < uriList.size();) {
        size_t end = uriList.find('\n', start);
        if (end == std::string::npos)
            end = uriList.size();
        std::string uri = uriList.substr(start, end - start);
        start = end + 1;
        if (!uri.empty() && uri.back() == '\r')
            uri.pop_back();
        if (uri.compare(0, 7, "file://") != 0)
            continue;   // comments, other schemes, "file:/path" without an authority
        const size_t slash = uri.find('/', 7);
        const std::string authority = uri.substr(7, slash == std::string::npos ? std::string::npos : slash - 7);
        if (slash == std::string::npos || !(authority.empty() || authority == "localhost" || authority == host))
            continue;
        std::string path;
        bool valid = true;
        for (size_t i = slash; i < uri.size() && valid; ++i) {
            if (uri[i] != '%') {
                path += uri[i];
                continue;
            }
            const int high = i + 2 < uri.size() ? hexValue(uri[i + 1]) : -1;
            const int low = i + 2 < uri.size() ? hexValue(uri[i + 2]) : -1;
            valid = high >= 0 && low >= 0 && (high || low);   // a zero byte ends no path
            path += char(high * 16 + low);
            i += 2;
        }
        if (valid)
            paths.push_back(path);
    }
    return paths;
}

}  // namespace VSTGUI

#include "ui/x11/X11Frame.h"

#include "ui/widgets/CFrame.h"
#include "ui/x11/X11DropTarget.h"
#include "ui/x11/X11Keys.h"

#include <cairo-xcb.h>
#include <cairo.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace VSTGUI {

namespace {

constexpr int kDoubleClickMilliseconds = 300;
// A host that does not map the window itself (one that does not speak XEmbed) gets it mapped
// by the editor after this many ticks of the 16 ms redraw timer.
constexpr int kMapFallbackTicks = 15;

// XEmbed messages (the embedder's to the client, and the client's focus request).
enum XEmbedMessage : uint32_t
{
    kXEmbedEmbeddedNotify = 0,
    kXEmbedWindowActivate = 1,
    kXEmbedWindowDeactivate = 2,
    kXEmbedRequestFocus = 3,
    kXEmbedFocusIn = 4,
    kXEmbedFocusOut = 5,
};
constexpr uint32_t kXEmbedFocusLast = 2;   // detail of kXEmbedFocusIn: the last focusable view

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

xcb_visualtype_t* findVisual(const xcb_screen_t* screen, xcb_visualid_t id)
{
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem;
         xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == id)
                return visuals.data;
        }
    }
    return nullptr;
}

class XcbFrame final : public X11Frame, private X11::IEventHandler, private X11::ITimerHandler
{
public:
    XcbFrame(CFrame& frame, X11::IRunLoop& loop) : frame(frame), loop(loop) {}

    bool open(uint32_t parent)
    {
        int screenNumber = 0;
        connection = xcb_connect(nullptr, &screenNumber);
        if (!connection || xcb_connection_has_error(connection))
            return false;
        const xcb_setup_t* setup = xcb_get_setup(connection);
        auto screens = xcb_setup_roots_iterator(setup);
        for (int i = 0; i < screenNumber && screens.rem; ++i)
            xcb_screen_next(&screens);
        if (!screens.rem)
            return false;
        xcb_screen_t* screen = screens.data;

        // The child copies the parent's visual, so ask the parent which one that is.
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, parent), nullptr);
        if (!attributes)
            return false;  // no such parent window
        visual = findVisual(screen, attributes->visual);
        free(attributes);
        if (!visual)
            return false;

        keys.load(connection);
        window = xcb_generate_id(connection);
        const uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK;
        const uint32_t values[] = {
            screen->black_pixel,
            XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS |
                XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION |
                XCB_EVENT_MASK_LEAVE_WINDOW |
                XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE |
                XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_FOCUS_CHANGE};
        const auto [width, height] = physicalSize();
        xembedInfo = internAtom(connection, "_XEMBED_INFO");
        xembed = internAtom(connection, "_XEMBED");
        xcb_void_cookie_t created = xcb_create_window_checked(
            connection, XCB_COPY_FROM_PARENT, window, parent, 0, 0, width, height, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, visual->visual_id, mask, values);
        // XEmbed, version 0, not mapped: an embedder reads this as soon as it sees the window
        // (so it goes out with the creation) and maps the window itself.
        const uint32_t info[] = {0, 0};
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, xembedInfo, xembedInfo, 32, 2, info);
        if (xcb_generic_error_t* error = xcb_request_check(connection, created)) {
            free(error);
            window = 0;
            return false;
        }
        dropTarget.emplace(connection, window, [this](const std::vector<std::string>& paths) {
            return frame.platformOnDrop(paths);
        });
        dropTarget->announce();
        surface = cairo_xcb_surface_create(connection, window, visual, width, height);
        xcb_flush(connection);

        loop.registerEventHandler(xcb_get_file_descriptor(connection), this);
        loop.registerTimer(16, this);
        registered = true;
        dirty = CRect(0, 0, frame.getWidth(), frame.getHeight());
        return true;
    }

    ~XcbFrame() override
    {
        if (registered) {
            loop.unregisterTimer(this);
            loop.unregisterEventHandler(this);
        }
        if (backBuffer)
            cairo_surface_destroy(backBuffer);
        // cairo caches per-connection state in its xcb device; it must be finished before the
        // connection goes, or a later connection at the same address finds stale screens.
        cairo_device_t* device =
            surface ? cairo_device_reference(cairo_surface_get_device(surface)) : nullptr;
        if (surface)
            cairo_surface_destroy(surface);
        if (device) {
            cairo_device_finish(device);
            cairo_device_destroy(device);
        }
        if (connection) {
            if (window) {
                xcb_destroy_window(connection, window);
                xcb_flush(connection);
            }
            xcb_disconnect(connection);
        }
    }

    void invalidRect(const CRect& rect) override { dirty.unite(rect); }

    void setSize(const CRect&, double newScale) override
    {
        scale = newScale;
        const auto [width, height] = physicalSize();
        const uint32_t values[] = {width, height};
        xcb_configure_window(connection, window,
                             XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
        cairo_xcb_surface_set_size(surface, int(width), int(height));
        if (backBuffer)
            cairo_surface_destroy(backBuffer);
        backBuffer = nullptr;
        dirty = CRect(0, 0, frame.getWidth(), frame.getHeight());
        xcb_flush(connection);
    }

    uint32_t getWindowId() const override { return window; }

private:
    std::pair<uint32_t, uint32_t> physicalSize() const
    {
        return {uint32_t(std::max(1.0, std::ceil(frame.getWidth() * scale))),
                uint32_t(std::max(1.0, std::ceil(frame.getHeight() * scale)))};
    }

    void onEvent() override
    {
        frame.remember();  // an event handler may close the frame
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            handle(event);
            free(event);
        }
        redraw();
        frame.forget();
    }

    // Drawing may read events into xcb's queue while waiting for a reply; those no longer
    // wake the descriptor watch, so every timer tick also drains the queue.
    void onTimer() override
    {
        if (!mapped && !embedded && ++ticksUnmapped == kMapFallbackTicks) {
            xcb_map_window(connection, window);
            xcb_flush(connection);
        }
        onEvent();
    }

    void sendXEmbed(uint32_t message, uint32_t detail = 0)
    {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = embedder;
        event.type = xembed;
        const uint32_t data[] = {XCB_CURRENT_TIME, message, detail, 0, 0};
        std::memcpy(event.data.data32, data, sizeof data);
        xcb_send_event(connection, 0, embedder, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        xcb_flush(connection);
    }

    // The embedder's XEmbed messages: it tells when it took the window and hands keyboard
    // focus over (its key presses then arrive here as sent events).
    void handleXEmbed(const xcb_client_message_event_t& message)
    {
        switch (message.data.data32[1]) {
            case kXEmbedEmbeddedNotify:
                embedded = true;
                embedder = message.data.data32[3];
                break;
            case kXEmbedFocusIn:
                frame.focusFirstView(message.data.data32[2] == kXEmbedFocusLast);
                break;
            default:
                break;   // activation and focus-out change nothing the editor shows
        }
    }

    CButtonState buttonState(uint16_t state, uint8_t button) const
    {
        int32_t result = 0;
        if (button == 1 || (state & XCB_BUTTON_MASK_1))
            result |= kLButton;
        if (button == 2 || (state & XCB_BUTTON_MASK_2))
            result |= kMButton;
        if (button == 3 || (state & XCB_BUTTON_MASK_3))
            result |= kRButton;
        if (state & XCB_MOD_MASK_SHIFT)
            result |= kShift;
        if (state & XCB_MOD_MASK_CONTROL)
            result |= kControl;
        if (state & XCB_MOD_MASK_1)
            result |= kAlt;
        return result;
    }

    CPoint logical(int16_t x, int16_t y) const { return CPoint(x / scale, y / scale); }

    void handle(xcb_generic_event_t* event)
    {
        if (dropTarget && dropTarget->handle(event))
            return;
        switch (event->response_type & 0x7F) {
            case XCB_MAP_NOTIFY:
                mapped = true;
                break;
            case XCB_UNMAP_NOTIFY:
                mapped = false;
                break;
            case XCB_CLIENT_MESSAGE: {
                auto* e = reinterpret_cast<xcb_client_message_event_t*>(event);
                if (e->type == xembed && e->format == 32)
                    handleXEmbed(*e);
                break;
            }
            case XCB_EXPOSE: {
                auto* e = reinterpret_cast<xcb_expose_event_t*>(event);
                dirty.unite(CRect(e->x / scale, e->y / scale, (e->x + e->width) / scale,
                                  (e->y + e->height) / scale));
                break;
            }
            case XCB_BUTTON_PRESS: {
                auto* e = reinterpret_cast<xcb_button_press_event_t*>(event);
                const CPoint where = logical(e->event_x, e->event_y);
                if (e->detail >= 4 && e->detail <= 7) {
                    const bool vertical = e->detail <= 5;
                    const float distance = (e->detail == 4 || e->detail == 6) ? 1.f : -1.f;
                    frame.platformOnMouseWheel(where, vertical ? kMouseWheelAxisY : kMouseWheelAxisX,
                                               distance, buttonState(e->state, 0));
                    break;
                }
                // An embedder hands focus over on request (and then forwards its keys); not
                // every embedder forwards them, so the window takes the X focus as well.
                if (embedded && embedder)
                    sendXEmbed(kXEmbedRequestFocus);
                xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, e->time);
                CButtonState buttons = buttonState(e->state, e->detail);
                if (e->detail == lastButton && e->time - lastPressTime < kDoubleClickMilliseconds)
                    buttons = CButtonState(int32_t(buttons) | kDoubleClick);
                lastButton = e->detail;
                lastPressTime = e->time;
                frame.platformOnMouseDown(where, buttons);
                break;
            }
            case XCB_BUTTON_RELEASE: {
                auto* e = reinterpret_cast<xcb_button_release_event_t*>(event);
                if (e->detail >= 4 && e->detail <= 7)
                    break;
                frame.platformOnMouseUp(logical(e->event_x, e->event_y),
                                        buttonState(e->state, e->detail));
                break;
            }
            case XCB_MOTION_NOTIFY: {
                auto* e = reinterpret_cast<xcb_motion_notify_event_t*>(event);
                frame.platformOnMouseMoved(logical(e->event_x, e->event_y),
                                           buttonState(e->state, 0));
                break;
            }
            case XCB_LEAVE_NOTIFY:
                frame.platformOnMouseExited();   // hover and tooltips end
                break;
            case XCB_KEY_PRESS:
            case XCB_KEY_RELEASE: {
                auto* e = reinterpret_cast<xcb_key_press_event_t*>(event);
                VstKeyCode key = keys.translate(e->detail, e->state);
                if ((event->response_type & 0x7F) == XCB_KEY_PRESS)
                    frame.platformOnKeyDown(key);
                else
                    frame.platformOnKeyUp(key);
                break;
            }
            default:
                break;
        }
    }

    void redraw()
    {
        if (dirty.isEmpty() || !surface)
            return;
        const auto [width, height] = physicalSize();
        if (!backBuffer) {
            backBuffer = cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(width), int(height));
            dirty = CRect(0, 0, frame.getWidth(), frame.getHeight());
        }
        // Whole pixels on both sides of the scale, so no seams appear between updates.
        CRect area = dirty;
        dirty = CRect();
        area = CRect(std::floor(area.left), std::floor(area.top), std::ceil(area.right),
                     std::ceil(area.bottom));

        cairo_t* cr = cairo_create(backBuffer);
        cairo_scale(cr, scale, scale);
        cairo_rectangle(cr, area.left, area.top, area.getWidth(), area.getHeight());
        cairo_clip(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        frame.platformDrawRect(cr, area);
        cairo_destroy(cr);

        cairo_t* out = cairo_create(surface);
        cairo_rectangle(out, std::floor(area.left * scale), std::floor(area.top * scale),
                        std::ceil(area.getWidth() * scale) + 1, std::ceil(area.getHeight() * scale) + 1);
        cairo_clip(out);
        cairo_set_source_surface(out, backBuffer, 0, 0);
        cairo_set_operator(out, CAIRO_OPERATOR_SOURCE);
        cairo_paint(out);
        cairo_destroy(out);
        cairo_surface_flush(surface);
        xcb_flush(connection);
    }

    CFrame& frame;
    X11::IRunLoop& loop;
    xcb_connection_t* connection = nullptr;
    xcb_visualtype_t* visual = nullptr;
    xcb_window_t window = 0;
    cairo_surface_t* surface = nullptr;
    cairo_surface_t* backBuffer = nullptr;
    X11Keys keys;
    std::optional<X11DropTarget> dropTarget;
    xcb_atom_t xembedInfo = XCB_ATOM_NONE;
    xcb_atom_t xembed = XCB_ATOM_NONE;
    xcb_window_t embedder = 0;
    bool embedded = false;
    bool mapped = false;
    int ticksUnmapped = 0;
    CRect dirty;
    double scale = 1.0;
    bool registered = false;
    uint8_t lastButton = 0;
    uint32_t lastPressTime = 0;
};

}  // namespace

std::unique_ptr<IPlatformFrame> createPlatformFrame(CFrame& frame, void* parent, PlatformType type,
                                                    IPlatformFrameConfig* config)
{
    if (type != PlatformType::kX11EmbedWindowID || !parent)
        return nullptr;
    X11::IRunLoop* loop = config && config->runLoop ? config->runLoop : X11::RunLoop::get();
    if (!loop)
        return nullptr;
    const auto parentWindow = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(parent));
    return X11Frame::create(frame, parentWindow, *loop);
}

std::unique_ptr<X11Frame> X11Frame::create(CFrame& frame, uint32_t parentWindow,
                                           X11::IRunLoop& loop)
{
    auto platform = std::make_unique<XcbFrame>(frame, loop);
    if (!platform->open(parentWindow))
        return nullptr;
    platform->setSize(frame.getViewSize(), frame.getScaleFactor());
    return platform;
}

}  // namespace VSTGUI

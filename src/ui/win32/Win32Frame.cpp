// The on-screen side of a frame on Windows: a child window inside the host's HWND, drawn with
// GDI+ through a back buffer at the content scale. Mouse, wheel and keyboard messages arrive on
// the thread that made the window (the host's UI thread) through the host's message loop.
// UI thread only; not real-time safe.
#include "ui/widgets/CFrame.h"
#include "ui/win32/Win32DropTarget.h"
#include "ui/win32/Win32Gdiplus.h"

#include <windows.h>
#include <windowsx.h>
#include <gdiplus.h>

#include <cmath>
#include <memory>
#include <string>

namespace VSTGUI {

namespace {

int32_t modifiers()
{
    int32_t state = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        state |= kShift;
    if (GetKeyState(VK_CONTROL) < 0)
        state |= kControl;
    if (GetKeyState(VK_MENU) < 0)
        state |= kAlt;
    return state;
}

unsigned char keyModifiers()
{
    unsigned char state = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        state |= MODIFIER_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0)
        state |= MODIFIER_CONTROL;
    if (GetKeyState(VK_MENU) < 0)
        state |= MODIFIER_ALTERNATE;
    return state;
}

// Win32 virtual keys that the widget layer names; 0 for character keys (they come as WM_CHAR).
unsigned char virtualKey(WPARAM key)
{
    switch (key) {
        case VK_BACK: return VKEY_BACK;
        case VK_TAB: return VKEY_TAB;
        case VK_RETURN: return VKEY_RETURN;
        case VK_ESCAPE: return VKEY_ESCAPE;
        case VK_END: return VKEY_END;
        case VK_HOME: return VKEY_HOME;
        case VK_LEFT: return VKEY_LEFT;
        case VK_UP: return VKEY_UP;
        case VK_RIGHT: return VKEY_RIGHT;
        case VK_DOWN: return VKEY_DOWN;
        case VK_PRIOR: return VKEY_PAGEUP;
        case VK_NEXT: return VKEY_PAGEDOWN;
        case VK_DELETE: return VKEY_DELETE;
        default: return VKEY_NONE;
    }
}

class Win32Frame final : public IPlatformFrame
{
public:
    explicit Win32Frame(CFrame& frame) : frame(frame) {}

    bool open(HWND parent)
    {
        if (!IsWindow(parent) || !ensureGdiplus())
            return false;
        HINSTANCE instance = static_cast<HINSTANCE>(windowsModuleInstance());
        // One class per loaded copy of the module: two copies must not share a window procedure.
        className = L"ZephraSF2PlayerFrame" + std::to_wstring(reinterpret_cast<uintptr_t>(instance));
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = &Win32Frame::procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = className.c_str();
        RegisterClassExW(&windowClass);  // fails harmlessly when already registered
        const auto [width, height] = physicalSize();
        window = CreateWindowExW(0, className.c_str(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                 0, 0, width, height, parent, nullptr, instance, this);
        if (window)
            dropTarget = Win32DropTarget::registerFor(window, [this](const std::vector<std::string>& paths) {
                return frame.platformOnDrop(paths);
            });
        return window != nullptr;
    }

    ~Win32Frame() override
    {
        if (dropTarget)
            dropTarget->unregister();
        if (window) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            DestroyWindow(window);
        }
    }

    void invalidRect(const CRect& rect) override
    {
        if (!window)
            return;
        RECT area{LONG(std::floor(rect.left * scale)), LONG(std::floor(rect.top * scale)),
                  LONG(std::ceil(rect.right * scale)) + 1, LONG(std::ceil(rect.bottom * scale)) + 1};
        InvalidateRect(window, &area, FALSE);
    }

    void setSize(const CRect&, double newScale) override
    {
        scale = newScale > 0 ? newScale : 1.0;
        backBuffer.reset();
        const auto [width, height] = physicalSize();
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
        InvalidateRect(window, nullptr, FALSE);
    }

    uint32_t getWindowId() const override
    {
        // Window handles hold 32 significant bits, also on 64-bit Windows.
        return uint32_t(reinterpret_cast<uintptr_t>(window));
    }

private:
    std::pair<int, int> physicalSize() const
    {
        return {int(std::max(1.0, std::ceil(frame.getWidth() * scale))),
                int(std::max(1.0, std::ceil(frame.getHeight() * scale)))};
    }

    CPoint logical(LPARAM lParam) const
    {
        return CPoint(GET_X_LPARAM(lParam) / scale, GET_Y_LPARAM(lParam) / scale);
    }

    void paint()
    {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        const auto [width, height] = physicalSize();
        if (!backBuffer)
            backBuffer = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
        const RECT& dirty = paint.rcPaint;
        if (dirty.right > dirty.left && dirty.bottom > dirty.top) {
            const CRect area(std::floor(dirty.left / scale), std::floor(dirty.top / scale),
                             std::ceil(dirty.right / scale), std::ceil(dirty.bottom / scale));
            {
                Gdiplus::Graphics graphics(backBuffer.get());
                graphics.SetClip(Gdiplus::Rect(dirty.left, dirty.top, dirty.right - dirty.left,
                                               dirty.bottom - dirty.top));
                graphics.Clear(Gdiplus::Color(255, 0, 0, 0));
                graphics.ScaleTransform(Gdiplus::REAL(scale), Gdiplus::REAL(scale));
                frame.platformDrawRect(&graphics, area);
            }
            Gdiplus::Graphics screen(dc);
            screen.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
            screen.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
            screen.DrawImage(backBuffer.get(), Gdiplus::Rect(dirty.left, dirty.top,
                                                             dirty.right - dirty.left,
                                                             dirty.bottom - dirty.top),
                             dirty.left, dirty.top, dirty.right - dirty.left,
                             dirty.bottom - dirty.top, Gdiplus::UnitPixel);
        }
        EndPaint(window, &paint);
    }

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
            case WM_PAINT:
                paint();
                return 0;
            case WM_ERASEBKGND:
                return 1;
            case WM_GETDLGCODE:
                return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS;
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDBLCLK:
            case WM_MBUTTONDBLCLK: {
                int32_t buttons = modifiers();
                if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK)
                    buttons |= kLButton;
                else if (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK)
                    buttons |= kRButton;
                else
                    buttons |= kMButton;
                if (message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK ||
                    message == WM_MBUTTONDBLCLK)
                    buttons |= kDoubleClick;
                SetFocus(window);
                SetCapture(window);
                frame.platformOnMouseDown(logical(lParam), CButtonState(buttons));
                return 0;
            }
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_MBUTTONUP: {
                int32_t buttons = modifiers();
                buttons |= message == WM_LBUTTONUP ? kLButton : message == WM_RBUTTONUP ? kRButton : kMButton;
                if (GetCapture() == window)
                    ReleaseCapture();
                frame.platformOnMouseUp(logical(lParam), CButtonState(buttons));
                return 0;
            }
            case WM_MOUSELEAVE:
                trackingLeave = false;
                frame.platformOnMouseExited();   // hover and tooltips end
                return 0;
            case WM_MOUSEMOVE: {
                if (!trackingLeave) {
                    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0};
                    trackingLeave = TrackMouseEvent(&track) != FALSE;
                }
                int32_t buttons = modifiers();
                if (wParam & MK_LBUTTON)
                    buttons |= kLButton;
                if (wParam & MK_RBUTTON)
                    buttons |= kRButton;
                if (wParam & MK_MBUTTON)
                    buttons |= kMButton;
                frame.platformOnMouseMoved(logical(lParam), CButtonState(buttons));
                return 0;
            }
            case WM_MOUSEWHEEL:
            case WM_MOUSEHWHEEL: {
                // Wheel positions come in screen coordinates.
                POINT where{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                ScreenToClient(window, &where);
                const float distance = float(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
                frame.platformOnMouseWheel(CPoint(where.x / scale, where.y / scale),
                                           message == WM_MOUSEWHEEL ? kMouseWheelAxisY : kMouseWheelAxisX,
                                           message == WM_MOUSEWHEEL ? distance : -distance,
                                           CButtonState(modifiers()));
                return 0;
            }
            case WM_KEYDOWN:
            case WM_KEYUP: {
                VstKeyCode key;
                key.virt = virtualKey(wParam);
                key.modifier = keyModifiers();
                // Ctrl with a letter comes as a control character in WM_CHAR: pass the letter
                // (not with AltGr, which Windows reports as Ctrl+Alt and which types characters).
                const bool controlOnly = (key.modifier & (MODIFIER_CONTROL | MODIFIER_ALTERNATE)) == MODIFIER_CONTROL;
                if (key.virt == VKEY_NONE && controlOnly && wParam >= 'A' && wParam <= 'Z')
                    key.character = int32_t(wParam - 'A' + 'a');
                else if (key.virt == VKEY_NONE)
                    break;  // characters follow as WM_CHAR
                const bool used = message == WM_KEYDOWN ? frame.platformOnKeyDown(key)
                                                        : frame.platformOnKeyUp(key);
                if (used)
                    return 0;
                break;
            }
            case WM_CHAR: {
                // Control characters were delivered as virtual keys above.
                if (wParam < 0x20 || wParam == 0x7F)
                    return 0;
                char32_t character = char32_t(wParam);
                if (wParam >= 0xD800 && wParam <= 0xDBFF) {
                    highSurrogate = char16_t(wParam);
                    return 0;
                }
                if (wParam >= 0xDC00 && wParam <= 0xDFFF) {
                    if (!highSurrogate)
                        return 0;
                    character = 0x10000 + ((char32_t(highSurrogate) - 0xD800) << 10) + (char32_t(wParam) - 0xDC00);
                    highSurrogate = 0;
                }
                VstKeyCode key;
                key.character = int32_t(character);
                key.modifier = keyModifiers();
                frame.platformOnKeyDown(key);
                return 0;
            }
            default:
                break;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            auto* self = static_cast<Win32Frame*>(create->lpCreateParams);
            self->window = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<Win32Frame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self)
            return DefWindowProcW(window, message, wParam, lParam);
        // A handler may close the frame, and the window with it (the host removing the view
        // while a modal file dialog runs): nothing of this object is touched afterwards.
        CFrame& frame = self->frame;
        frame.remember();
        const LRESULT result = self->handle(message, wParam, lParam);
        frame.forget();
        return result;
    }

    CFrame& frame;
    std::wstring className;
    HWND window = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> backBuffer;
    Win32DropTarget* dropTarget = nullptr;
    double scale = 1.0;
    char16_t highSurrogate = 0;
    bool trackingLeave = false;  // asked to hear when the pointer leaves the window
};

}  // namespace

std::unique_ptr<IPlatformFrame> createPlatformFrame(CFrame& frame, void* parent, PlatformType type,
                                                    IPlatformFrameConfig*)
{
    if (type != PlatformType::kHWND || !parent)
        return nullptr;
    auto platform = std::make_unique<Win32Frame>(frame);
    if (!platform->open(static_cast<HWND>(parent)))
        return nullptr;
    platform->setSize(frame.getViewSize(), frame.getScaleFactor());
    return platform;
}

}  // namespace VSTGUI

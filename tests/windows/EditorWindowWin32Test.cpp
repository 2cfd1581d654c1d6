// The editor in a real window, as a Windows host shows it: a child HWND of the host's window,
// drawn by GDI+ (a screenshot of the window is checked), and a click on the load icon opening
// the system's open-file dialog with the editor's title. Needs a display (xvfb-run under Wine).
#include "editor/IOffscreenEditor.h"
#include "host/PluginHost.h"
#include "support/BundleSupport.h"

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

using namespace Steinberg;
using namespace zephra::test;

namespace Steinberg {
namespace Vst {
DEF_CLASS_IID(IOffscreenEditor)
}
}

namespace {

class HostFrame : public FObject, public IPlugFrame
{
public:
    explicit HostFrame(HWND window) : window(window) {}
    tresult PLUGIN_API resizeView(IPlugView*, ViewRect* size) SMTG_OVERRIDE
    {
        SetWindowPos(window, nullptr, 0, 0, size->getWidth(), size->getHeight(), SWP_NOMOVE | SWP_NOZORDER);
        ++resizes;
        return kResultTrue;
    }
    OBJ_METHODS(HostFrame, FObject)
    REFCOUNT_METHODS(FObject)
    DEFINE_INTERFACES
        DEF_INTERFACE(IPlugFrame)
    END_DEFINE_INTERFACES(FObject)

    HWND window;
    int resizes = 0;
};

// Runs the thread's messages (paint, timers, input) for a while, as a host's loop does.
void pumpMessages(int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    }
}

std::wstring dialogTitle;
IPlugView* removeWhileDialogRuns = nullptr;

// Finds the open-file dialog while it runs its own modal loop, notes its title and cancels it.
void CALLBACK closeDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    EnumWindows(
        [](HWND window, LPARAM) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t title[256] = {};
            GetWindowTextW(window, title, 256);
            if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
                std::wstring(title) != L"\u30d5\u30a1\u30a4\u30eb\u306e\u9078\u629e")
                return TRUE;
            dialogTitle = title;
            if (removeWhileDialogRuns)   // the host closes the editor from the dialog's loop
                removeWhileDialogRuns->removed();
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return FALSE;
        },
        0);
    if (!dialogTitle.empty())
        KillTimer(nullptr, timer);
}

} // namespace

TEST(WindowsEditorWindow, OpensAsChildWindowDrawsTheEditorAndTheLoadIconOpensTheFileDialog)
{
    auto module = loadBundle();
    ASSERT_TRUE(module);
    auto plugin = createPlugin(*module);
    ASSERT_TRUE(plugin);
    IPlugView* view = plugin->controller()->createView("editor");
    ASSERT_NE(view, nullptr);
    // Hosts size their window from getSize before attaching; some set the content scale first.
    ViewRect size;
    ASSERT_EQ(view->getSize(&size), kResultTrue);
    EXPECT_EQ(size.getWidth(), 681);
    EXPECT_EQ(size.getHeight(), 441);
    IPlugView* scaledView = plugin->controller()->createView("editor");
    IPlugViewContentScaleSupport* scale = nullptr;
    ASSERT_EQ(scaledView->queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scale)), kResultOk);
    EXPECT_EQ(scale->setContentScaleFactor(2.f), kResultTrue);
    scaledView->getSize(&size);
    EXPECT_EQ(size.getWidth(), 1362);
    EXPECT_EQ(size.getHeight(), 882);
    scale->release();
    scaledView->release();

    // The host's window, made at the size the view gave.
    WNDCLASSW hostClass{};
    hostClass.lpfnWndProc = DefWindowProcW;
    hostClass.hInstance = GetModuleHandleW(nullptr);
    hostClass.lpszClassName = L"ZephraTestHost";
    RegisterClassW(&hostClass);
    HWND host = CreateWindowExW(0, L"ZephraTestHost", L"Host", WS_POPUP | WS_VISIBLE, 0, 0, 681, 441,
                                nullptr, nullptr, hostClass.hInstance, nullptr);
    ASSERT_NE(host, nullptr);
    auto* frame = new HostFrame(host);
    view->setFrame(frame);
    ASSERT_EQ(view->attached(host, kPlatformTypeHWND), kResultTrue);
    pumpMessages(500);

    HWND child = GetWindow(host, GW_CHILD);
    ASSERT_NE(child, nullptr);
    RECT area{};
    GetClientRect(child, &area);
    EXPECT_EQ(area.right, 681);
    EXPECT_EQ(area.bottom, 441);
    EXPECT_EQ(frame->resizes, 0) << "the host window has the size already";
    // Registered for dropped files (OLE keeps the target in this property of the window).
    EXPECT_NE(GetPropW(child, L"OleDropTargetInterface"), nullptr);

    // Screenshot of the window as the display shows it: dark panel, light bend-range plate.
    HDC screen = GetDC(child);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP shot = CreateCompatibleBitmap(screen, 681, 441);
    HGDIOBJ previous = SelectObject(memory, shot);
    BitBlt(memory, 0, 0, 681, 441, screen, 0, 0, SRCCOPY);
    const COLORREF panel = GetPixel(memory, 5, 430);
    const COLORREF plate = GetPixel(memory, 585, 225);
    SelectObject(memory, previous);
    DeleteObject(shot);
    DeleteDC(memory);
    ReleaseDC(child, screen);
    EXPECT_LT(GetRValue(panel) + GetGValue(panel) + GetBValue(panel), 3 * 80);
    EXPECT_GT(GetRValue(plate) + GetGValue(plate) + GetBValue(plate), 3 * 150);

    // A click on the load icon opens the system dialog, which the timer then cancels, after
    // the host removed the view from the dialog's own message loop.
    removeWhileDialogRuns = view;
    SetTimer(nullptr, 0, 100, closeDialog);
    PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(32, 32));
    PostMessageW(child, WM_LBUTTONUP, 0, MAKELPARAM(32, 32));
    pumpMessages(3000);
    EXPECT_EQ(dialogTitle, L"\u30d5\u30a1\u30a4\u30eb\u306e\u9078\u629e");
    EXPECT_EQ(GetWindow(host, GW_CHILD), nullptr);

    // Attached again, the same view shows and works as before.
    ASSERT_EQ(view->attached(host, kPlatformTypeHWND), kResultTrue);
    pumpMessages(300);
    ASSERT_NE(GetWindow(host, GW_CHILD), nullptr);
    EXPECT_EQ(view->removed(), kResultOk);
    EXPECT_EQ(GetWindow(host, GW_CHILD), nullptr);
    view->setFrame(nullptr);
    view->release();
    frame->release();
    DestroyWindow(host);
}

// Hover through the window's own mouse messages: the pointer resting on the file line, cut in
// the middle, shows the whole line as a tooltip, and on a knob its value; leaving the window
// ends both (WM_MOUSELEAVE).
TEST(WindowsEditorWindow, PointerRestingOnCutTextShowsItsTooltipAndLeavingEndsIt)
{
    WNDCLASSW hostClass{};
    hostClass.lpfnWndProc = DefWindowProcW;
    hostClass.hInstance = GetModuleHandleW(nullptr);
    hostClass.lpszClassName = L"ZephraTestHost";
    RegisterClassW(&hostClass);
    HWND host = CreateWindowExW(0, L"ZephraTestHost", L"Host", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200,
                                nullptr, nullptr, hostClass.hInstance, nullptr);
    auto module = loadBundle();
    ASSERT_TRUE(module);
    auto plugin = createPlugin(*module);
    ASSERT_TRUE(plugin);
    const std::string path = "C:/Sound Libraries/" + std::string(80, 'x') + "/Grand Piano.sf2";
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(path, 0)), kResultOk);
    IPlugView* view = plugin->controller()->createView("editor");
    auto* frame = new HostFrame(host);
    view->setFrame(frame);
    ASSERT_EQ(view->attached(host, kPlatformTypeHWND), kResultTrue);
    Vst::IOffscreenEditor* editor = nullptr;
    ASSERT_EQ(view->queryInterface(Vst::IOffscreenEditor::iid, reinterpret_cast<void**>(&editor)), kResultOk);
    auto shown = [&] {
        std::string text(size_t(editor->describe(nullptr, 0)), '\0');
        editor->describe(text.data(), int32(text.size()));
        return text;
    };
    pumpMessages(300);

    SetCursorPos(300, 70);   // the file line (the host's window lies at the screen's corner)
    pumpMessages(1200);
    EXPECT_NE(shown().find("\ntooltip=" + path + " (not found)\n"), std::string::npos) << shown();
    SetCursorPos(605, 370);
    pumpMessages(300);
    EXPECT_NE(shown().find("\noutputCaption=Output Level 12.0\n"), std::string::npos) << shown();
    SetCursorPos(5, 470);    // below the editor: the pointer leaves its window
    pumpMessages(300);
    EXPECT_NE(shown().find("\noutputCaption=Output Level\n"), std::string::npos) << shown();
    EXPECT_NE(shown().find("\ntooltip=\n"), std::string::npos);

    editor->release();
    EXPECT_EQ(view->removed(), kResultOk);
    view->setFrame(nullptr);
    view->release();
    frame->release();
    DestroyWindow(host);
}

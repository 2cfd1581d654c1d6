#include "ui/win32/Win32RunLoop.h"
#include "ui/win32/Win32Gdiplus.h"

#include <windows.h>

#include <map>
#include <string>

namespace VSTGUI {

namespace {

class TimerWindowLoop final : public X11::IRunLoop
{
public:
    bool create()
    {
        instance = static_cast<HINSTANCE>(windowsModuleInstance());
        // One class per loaded copy of the module: two copies must not share a window procedure.
        className = L"ZephraSF2PlayerTimers" + std::to_wstring(reinterpret_cast<uintptr_t>(instance));
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &TimerWindowLoop::procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = className.c_str();
        RegisterClassExW(&windowClass);  // fails harmlessly when already registered
        window = CreateWindowExW(0, className.c_str(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
        if (!window)
            return false;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return true;
    }

    ~TimerWindowLoop() override
    {
        if (window) {
            for (const auto& entry : timers)
                KillTimer(window, entry.first);
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            DestroyWindow(window);
        }
    }

    bool registerEventHandler(int, X11::IEventHandler*) override { return false; }
    bool unregisterEventHandler(X11::IEventHandler*) override { return false; }

    bool registerTimer(uint64_t interval, X11::ITimerHandler* handler) override
    {
        if (!handler)
            return false;
        for (const auto& entry : timers) {
            if (entry.second == handler)
                return false;
        }
        const UINT_PTR id = nextId++;
        const UINT milliseconds = interval > USER_TIMER_MAXIMUM ? USER_TIMER_MAXIMUM
                                  : interval < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM
                                                                  : UINT(interval);
        if (!SetTimer(window, id, milliseconds, nullptr))
            return false;
        timers[id] = handler;
        return true;
    }

    bool unregisterTimer(X11::ITimerHandler* handler) override
    {
        for (auto it = timers.begin(); it != timers.end(); ++it) {
            if (it->second == handler) {
                KillTimer(window, it->first);
                timers.erase(it);
                return true;
            }
        }
        return false;
    }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_TIMER) {
            auto* loop = reinterpret_cast<TimerWindowLoop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (loop) {
                // A handler may unregister itself (or others) while it runs.
                auto it = loop->timers.find(wParam);
                if (it != loop->timers.end())
                    it->second->onTimer();
            }
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HINSTANCE instance = nullptr;
    std::wstring className;
    HWND window = nullptr;
    std::map<UINT_PTR, X11::ITimerHandler*> timers;
    UINT_PTR nextId = 1;
};

}  // namespace

std::unique_ptr<X11::IRunLoop> makeWin32RunLoop()
{
    auto loop = std::make_unique<TimerWindowLoop>();
    if (!loop->create())
        return nullptr;
    return loop;
}

}  // namespace VSTGUI

// Ctrl-C, Ctrl-Break and closing the console on Windows, through the console control handler
// (the system calls it on a thread of its own): the first request only raises the flag, as the
// POSIX signals do; a second one is left to the system's default handler, which ends the process.
// The flag holds the signal number the same request has on POSIX (SIGINT, SIGTERM, SIGHUP).
#include "host/render/platform/Interruption.h"

#include <windows.h>

#include <atomic>
#include <csignal>

namespace zephra {
namespace render {

namespace {

constexpr int kHangUp = 1;   // SIGHUP's number, which the Windows C library does not name

std::atomic<int> requestedBy{0};

BOOL WINAPI onControl(DWORD event)
{
    int signal = 0;
    switch (event) {
    case CTRL_C_EVENT:
        signal = SIGINT;
        break;
    case CTRL_BREAK_EVENT:
        signal = SIGTERM;
        break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        signal = kHangUp;
        break;
    default:
        return FALSE;
    }
    int none = 0;
    if (!requestedBy.compare_exchange_strong(none, signal))
        return FALSE;   // a second request
    // Closing the console ends the process as soon as this returns: give the render loop the
    // few seconds the system allows to remove its temporary files.
    if (signal == kHangUp)
        Sleep(4000);
    return TRUE;
}

}   // namespace

void installInterruptionHandlers()
{
    SetConsoleCtrlHandler(onControl, TRUE);
}

int interruptionSignal()
{
    return requestedBy.load(std::memory_order_relaxed);
}

}   // namespace render
}   // namespace zephra

#include "host/render/platform/Interruption.h"

#include <csignal>
#include <initializer_list>
#include <signal.h>

namespace zephra {
namespace render {

namespace {

volatile std::sig_atomic_t requestedBy = 0;

void onInterruption(int signal)
{
    requestedBy = signal;
    std::signal(signal, SIG_DFL);   // a second request ends the process
}

}   // namespace

void installInterruptionHandlers()
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action = {};
        action.sa_handler = onInterruption;
        action.sa_flags = SA_RESTART;   // file I/O in progress goes on undisturbed
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
    // A reader of standard output that goes away (`| head`) makes the write fail with a
    // message and exit status instead of ending the process on the spot.
    std::signal(SIGPIPE, SIG_IGN);
}

int interruptionSignal()
{
    return requestedBy;
}

}   // namespace render
}   // namespace zephra

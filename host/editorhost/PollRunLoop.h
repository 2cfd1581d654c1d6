// The editor host's event loop: a poll() loop that serves the plug-in's descriptor watches
// and timers (Steinberg::Linux::IRunLoop) on the one thread that runs the editor, and keeps
// the longest times one of its calls held that thread (what a user feels as a frozen window).
// UI thread only; not real-time safe.
#pragma once

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"

#include <chrono>
#include <functional>
#include <vector>

namespace zephra::editorhost {

class PollRunLoop : public Steinberg::FObject, public Steinberg::Linux::IRunLoop {
public:
    using Clock = std::chrono::steady_clock;

    Steinberg::tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler* handler,
                                                       Steinberg::Linux::FileDescriptor fd) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                                Steinberg::Linux::TimerInterval milliseconds) SMTG_OVERRIDE;
    Steinberg::tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler* handler) SMTG_OVERRIDE;

    // Waits at most until `deadline` for one round of descriptors and due timers.
    void runOnce(Clock::time_point deadline);
    // Also watches descriptors of the host itself (its X connection, standard input).
    void addHostDescriptor(int fd, std::function<void()> onReadable);
    size_t registrations() const { return handlers.size() + timers.size(); }
    // The longest single calls the loop made (a plug-in's descriptor or timer handler, or the
    // host's own), longest first: how long, which kind, and when after the loop was made.
    struct Call {
        Clock::duration took;
        const char* kind;
        Clock::duration at;
    };
    const std::vector<Call>& longestCalls() const { return longest; }

    OBJ_METHODS(PollRunLoop, FObject)
    REFCOUNT_METHODS(FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(Steinberg::Linux::IRunLoop)
    END_DEFINE_INTERFACES(FObject)

private:
    struct Watch {
        Steinberg::Linux::IEventHandler* handler;
        int fd;
    };
    struct Timer {
        Steinberg::Linux::ITimerHandler* handler;
        std::chrono::milliseconds interval;
        Clock::time_point next;
    };
    bool stillRegistered(Steinberg::Linux::IEventHandler* handler) const;
    bool stillRegistered(Steinberg::Linux::ITimerHandler* handler) const;
    // Runs call, keeping its duration if it is the longest so far.
    template <typename Function>
    void timed(const char* kind, Function call);

    std::vector<Watch> handlers;
    std::vector<Timer> timers;
    std::vector<std::pair<int, std::function<void()>>> hostDescriptors;
    const Clock::time_point created = Clock::now();
    std::vector<Call> longest;   // at most kLongestKept
    static constexpr size_t kLongestKept = 3;
};

}   // namespace zephra::editorhost

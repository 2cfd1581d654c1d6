#include "PollRunLoop.h"

#include <algorithm>
#include <poll.h>

using namespace Steinberg;

namespace zephra::editorhost {

tresult PLUGIN_API PollRunLoop::registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd)
{
    if (!handler || fd < 0 || stillRegistered(handler))
        return kInvalidArgument;
    handler->addRef();
    handlers.push_back({handler, fd});
    return kResultTrue;
}

tresult PLUGIN_API PollRunLoop::unregisterEventHandler(Linux::IEventHandler* handler)
{
    auto it = std::find_if(handlers.begin(), handlers.end(), [&](const Watch& w) { return w.handler == handler; });
    if (it == handlers.end())
        return kResultFalse;
    handlers.erase(it);
    handler->release();
    return kResultTrue;
}

tresult PLUGIN_API PollRunLoop::registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval milliseconds)
{
    if (!handler || milliseconds == 0 || stillRegistered(handler))
        return kInvalidArgument;
    handler->addRef();
    const auto interval = std::chrono::milliseconds(milliseconds);
    timers.push_back({handler, interval, Clock::now() + interval});
    return kResultTrue;
}

tresult PLUGIN_API PollRunLoop::unregisterTimer(Linux::ITimerHandler* handler)
{
    auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.handler == handler; });
    if (it == timers.end())
        return kResultFalse;
    timers.erase(it);
    handler->release();
    return kResultTrue;
}

bool PollRunLoop::stillRegistered(Linux::IEventHandler* handler) const
{
    return std::any_of(handlers.begin(), handlers.end(), [&](const Watch& w) { return w.handler == handler; });
}

bool PollRunLoop::stillRegistered(Linux::ITimerHandler* handler) const
{
    return std::any_of(timers.begin(), timers.end(), [&](const Timer& t) { return t.handler == handler; });
}

void PollRunLoop::addHostDescriptor(int fd, std::function<void()> onReadable)
{
    if (fd >= 0 && onReadable)
        hostDescriptors.emplace_back(fd, std::move(onReadable));
}

template <typename Function>
void PollRunLoop::timed(const char* kind, Function call)
{
    const auto start = Clock::now();
    call();
    const Call done{Clock::now() - start, kind, start - created};
    const auto place =
        std::find_if(longest.begin(), longest.end(), [&](const Call& kept) { return kept.took < done.took; });
    longest.insert(place, done);
    if (longest.size() > kLongestKept)
        longest.pop_back();
}

void PollRunLoop::runOnce(Clock::time_point deadline)
{
    Clock::time_point wake = deadline;
    for (const Timer& t : timers)
        wake = std::min(wake, t.next);
    const auto now = Clock::now();
    const int timeout =
        wake <= now ? 0 : int(std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count()) + 1;

    std::vector<pollfd> fds;
    for (const Watch& w : handlers)
        fds.push_back({w.fd, POLLIN, 0});
    for (const auto& host : hostDescriptors)
        fds.push_back({host.first, POLLIN, 0});
    const std::vector<Watch> watched = handlers;
    poll(fds.data(), nfds_t(fds.size()), timeout);

    // Handlers may unregister themselves or others while running: check before each call.
    for (size_t i = 0; i < watched.size(); ++i) {
        if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) && stillRegistered(watched[i].handler))
            timed("plug-in events", [&] { watched[i].handler->onFDIsSet(watched[i].fd); });
    }
    for (size_t i = 0; i < hostDescriptors.size(); ++i)
        if (fds[watched.size() + i].revents & (POLLIN | POLLHUP | POLLERR))
            timed("host input", hostDescriptors[i].second);

    const auto after = Clock::now();
    std::vector<Linux::ITimerHandler*> due;
    for (Timer& t : timers) {
        if (t.next <= after) {
            due.push_back(t.handler);
            t.next = after + t.interval;
        }
    }
    for (Linux::ITimerHandler* handler : due)
        if (stillRegistered(handler))
            timed("plug-in timer", [&] { handler->onTimer(); });
}

}   // namespace zephra::editorhost

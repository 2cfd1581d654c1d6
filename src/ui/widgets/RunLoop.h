// The event loop the on-screen widgets run on: file-descriptor watches and periodic timers,
// provided by the host (through the plug-in view glue) or by a tool's own loop. The widget
// layer never starts a thread. UI thread only; not real-time safe.
#pragma once

#include <cstdint>

namespace VSTGUI::X11 {

class IEventHandler
{
public:
    virtual ~IEventHandler() = default;
    virtual void onEvent() = 0;  // the watched descriptor is readable
};

class ITimerHandler
{
public:
    virtual ~ITimerHandler() = default;
    virtual void onTimer() = 0;
};

class IRunLoop
{
public:
    virtual ~IRunLoop() = default;
    virtual bool registerEventHandler(int fd, IEventHandler* handler) = 0;
    virtual bool unregisterEventHandler(IEventHandler* handler) = 0;
    virtual bool registerTimer(uint64_t intervalMilliseconds, ITimerHandler* handler) = 0;
    virtual bool unregisterTimer(ITimerHandler* handler) = 0;
};

// The process's current loop for timers and dialogs. init/exit nest: the loop given to the
// first init stays current until the matching last exit. Not owned.
class RunLoop
{
public:
    static void init(IRunLoop* loop);
    static void exit();
    static IRunLoop* get();
};

}  // namespace VSTGUI::X11

// The editor's platform pieces on Linux: X11 embedding, and the widget layer's descriptor
// watches and timers run on the host's Linux::IRunLoop (queried from the IPlugFrame).
#include "sdk/EditorPlatform.h"

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"

#include <cstdio>
#include <map>

namespace Steinberg {
namespace Vst {

namespace {

// Host-side wrappers for the widget layer's handlers; one per registration.
class EventHandlerWrapper : public FObject, public Linux::IEventHandler
{
public:
    explicit EventHandlerWrapper(VSTGUI::X11::IEventHandler* handler) : handler(handler) {}
    void PLUGIN_API onFDIsSet(Linux::FileDescriptor) SMTG_OVERRIDE { handler->onEvent(); }
    OBJ_METHODS(EventHandlerWrapper, FObject)
    REFCOUNT_METHODS(FObject)
    DEFINE_INTERFACES
        DEF_INTERFACE(Linux::IEventHandler)
    END_DEFINE_INTERFACES(FObject)

private:
    VSTGUI::X11::IEventHandler* handler;
};

class TimerHandlerWrapper : public FObject, public Linux::ITimerHandler
{
public:
    explicit TimerHandlerWrapper(VSTGUI::X11::ITimerHandler* handler) : handler(handler) {}
    void PLUGIN_API onTimer() SMTG_OVERRIDE { handler->onTimer(); }
    OBJ_METHODS(TimerHandlerWrapper, FObject)
    REFCOUNT_METHODS(FObject)
    DEFINE_INTERFACES
        DEF_INTERFACE(Linux::ITimerHandler)
    END_DEFINE_INTERFACES(FObject)

private:
    VSTGUI::X11::ITimerHandler* handler;
};

} // namespace

// Runs the widget layer's descriptor watches and timers on the host's run loop.
class HostRunLoopAdapter final : public VSTGUI::X11::IRunLoop
{
public:
    explicit HostRunLoopAdapter(Linux::IRunLoop* hostLoop) : hostLoop(hostLoop) { hostLoop->addRef(); }
    ~HostRunLoopAdapter() override
    {
        for (auto& entry : events)
            hostLoop->unregisterEventHandler(entry.second);
        for (auto& entry : timers)
            hostLoop->unregisterTimer(entry.second);
        for (auto& entry : events)
            entry.second->release();
        for (auto& entry : timers)
            entry.second->release();
        hostLoop->release();
    }

    bool registerEventHandler(int fd, VSTGUI::X11::IEventHandler* handler) override
    {
        if (!handler || events.count(handler))
            return false;
        auto* wrapper = new EventHandlerWrapper(handler);
        if (hostLoop->registerEventHandler(wrapper, fd) != kResultTrue) {
            wrapper->release();
            return false;
        }
        events[handler] = wrapper;
        return true;
    }
    bool unregisterEventHandler(VSTGUI::X11::IEventHandler* handler) override
    {
        auto it = events.find(handler);
        if (it == events.end())
            return false;
        hostLoop->unregisterEventHandler(it->second);
        it->second->release();
        events.erase(it);
        return true;
    }
    bool registerTimer(uint64_t interval, VSTGUI::X11::ITimerHandler* handler) override
    {
        if (!handler || timers.count(handler))
            return false;
        auto* wrapper = new TimerHandlerWrapper(handler);
        if (hostLoop->registerTimer(wrapper, interval) != kResultTrue) {
            wrapper->release();
            return false;
        }
        timers[handler] = wrapper;
        return true;
    }
    bool unregisterTimer(VSTGUI::X11::ITimerHandler* handler) override
    {
        auto it = timers.find(handler);
        if (it == timers.end())
            return false;
        hostLoop->unregisterTimer(it->second);
        it->second->release();
        timers.erase(it);
        return true;
    }

private:
    Linux::IRunLoop* hostLoop;
    std::map<VSTGUI::X11::IEventHandler*, EventHandlerWrapper*> events;
    std::map<VSTGUI::X11::ITimerHandler*, TimerHandlerWrapper*> timers;
};

FIDString editorPlatformTypeName()
{
    return kPlatformTypeX11EmbedWindowID;
}

std::unique_ptr<VSTGUI::X11::IRunLoop> makeEditorRunLoop(IPlugFrame* plugFrame)
{
    Linux::IRunLoop* hostLoop = nullptr;
    if (!plugFrame ||
        plugFrame->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&hostLoop)) !=
            kResultTrue ||
        !hostLoop) {
        std::fprintf(stderr, "Zephra SF2 Player: the host offers no run loop; the editor "
                             "cannot open.\n");
        return nullptr;
    }
    auto loop = std::make_unique<HostRunLoopAdapter>(hostLoop);
    hostLoop->release();
    return loop;
}

} // namespace Vst
} // namespace Steinberg

#include "sdk/VSTGUIEditor.h"

#include "ui/CFrame.h"
#include "ui/RunLoop.h"

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"

#include <cmath>
#include <cstdio>
#include <cstring>
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
class HostRunLoopAdapter : public VSTGUI::X11::IRunLoop
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

VSTGUIEditor::VSTGUIEditor(EditController* controller, ViewRect* size)
    : EditorView(controller, size), timer(new VSTGUI::CVSTGUITimer(this, 100))
{
}

VSTGUIEditor::~VSTGUIEditor()
{
    timer->stop();
    timer->forget();
    // A host that releases the view without removing it first: the frame goes before the
    // run loop it is registered with.
    if (frame) {
        frame->close();
        frame = nullptr;
    }
    if (runLoop)
        VSTGUI::X11::RunLoop::exit();
}

void VSTGUIEditor::setIdleRate(int32 milliseconds)
{
    if (milliseconds > 0)
        timer->setFireTime(uint32_t(milliseconds));
}

void VSTGUIEditor::beginEdit(int32_t index)
{
    if (controller)
        controller->beginEdit(ParamID(index));
}

void VSTGUIEditor::endEdit(int32_t index)
{
    if (controller)
        controller->endEdit(ParamID(index));
}

VSTGUI::CMessageResult VSTGUIEditor::notify(VSTGUI::CBaseObject*, VSTGUI::IdStringPtr message)
{
    if (message == VSTGUI::kMsgTimer) {
        if (frame)
            frame->idle();
        return VSTGUI::kMessageNotified;
    }
    return VSTGUI::kMessageUnknown;
}

tresult PLUGIN_API VSTGUIEditor::isPlatformTypeSupported(FIDString type)
{
    return type && std::strcmp(type, kPlatformTypeX11EmbedWindowID) == 0 ? kResultTrue
                                                                         : kResultFalse;
}

tresult PLUGIN_API VSTGUIEditor::attached(void* parent, FIDString type)
{
    if (isPlatformTypeSupported(type) != kResultTrue || !parent || frame)
        return kResultFalse;
    Linux::IRunLoop* hostLoop = nullptr;
    if (!plugFrame ||
        plugFrame->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&hostLoop)) !=
            kResultTrue ||
        !hostLoop) {
        std::fprintf(stderr, "Zephra SF2 Player: the host offers no run loop; the editor "
                             "cannot open.\n");
        return kResultFalse;
    }
    runLoop = std::make_unique<HostRunLoopAdapter>(hostLoop);
    hostLoop->release();
    VSTGUI::X11::RunLoop::init(runLoop.get());

    if (!open(parent, VSTGUI::PlatformType::kX11EmbedWindowID) || !frame) {
        if (frame)
            close();
        VSTGUI::X11::RunLoop::exit();
        runLoop.reset();
        return kResultFalse;
    }
    frame->setScaleFactor(contentScale);
    EditorView::attached(parent, type);
    // Size the host's window to the frame, in physical pixels.
    ViewRect frameRect(0, 0, int32(std::lround(frame->getWidth() * contentScale)),
                       int32(std::lround(frame->getHeight() * contentScale)));
    if (plugFrame)
        plugFrame->resizeView(this, &frameRect);
    rect = frameRect;
    timer->start();
    return kResultTrue;
}

tresult PLUGIN_API VSTGUIEditor::removed()
{
    timer->stop();
    if (frame)
        close();
    if (runLoop) {
        VSTGUI::X11::RunLoop::exit();
        runLoop.reset();
    }
    return EditorView::removed();
}

tresult PLUGIN_API VSTGUIEditor::onSize(ViewRect* newSize)
{
    if (!newSize)
        return kInvalidArgument;
    return EditorView::onSize(newSize);
}

tresult PLUGIN_API VSTGUIEditor::checkSizeConstraint(ViewRect* constraint)
{
    if (!constraint)
        return kInvalidArgument;
    // Fixed size: whatever the host proposes, the editor keeps its own.
    *constraint = rect;
    return kResultTrue;
}

tresult PLUGIN_API VSTGUIEditor::setContentScaleFactor(ScaleFactor factor)
{
    if (!(factor >= 0.5f && factor <= 8.f))
        return kInvalidArgument;
    // The view's size is in physical pixels, so it grows and shrinks with the scale.
    const float previous = contentScale;
    contentScale = factor;
    ViewRect scaled(0, 0, int32(std::lround(rect.getWidth() / previous * factor)),
                    int32(std::lround(rect.getHeight() / previous * factor)));
    if (frame) {
        frame->setScaleFactor(factor);
        scaled = ViewRect(0, 0, int32(std::lround(frame->getWidth() * factor)),
                          int32(std::lround(frame->getHeight() * factor)));
    }
    if (scaled.getWidth() != rect.getWidth() || scaled.getHeight() != rect.getHeight()) {
        if (frame && plugFrame)
            plugFrame->resizeView(this, &scaled);
        rect = scaled;
    }
    return kResultTrue;
}

tresult PLUGIN_API VSTGUIEditor::queryInterface(const TUID iid, void** obj)
{
    QUERY_INTERFACE(iid, obj, IPlugViewContentScaleSupport::iid, IPlugViewContentScaleSupport)
    return EditorView::queryInterface(iid, obj);
}

} // namespace Vst
} // namespace Steinberg

#include "sdk/VSTGUIEditor.h"

#include "sdk/EditorPlatform.h"

#include "ui/CFrame.h"
#include "ui/RunLoop.h"

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"

#include <cmath>
#include <cstring>

namespace Steinberg {
namespace Vst {

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
    return type && std::strcmp(type, editorPlatformTypeName()) == 0 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API VSTGUIEditor::attached(void* parent, FIDString type)
{
    if (isPlatformTypeSupported(type) != kResultTrue || !parent || frame)
        return kResultFalse;
    runLoop = makeEditorRunLoop(plugFrame);
    if (!runLoop)
        return kResultFalse;
    VSTGUI::X11::RunLoop::init(runLoop.get());

    if (!open(parent, VSTGUI::kNativePlatformType) || !frame) {
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

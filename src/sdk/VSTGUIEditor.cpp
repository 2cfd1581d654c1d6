#include "sdk/VSTGUIEditor.h"

#include "sdk/EditorPlatform.h"

#include "ui/widgets/CFrame.h"
#include "ui/widgets/COptionMenu.h"
#include "ui/widgets/RunLoop.h"

#include "base/source/fobject.h"
#include "pluginterfaces/gui/iplugview.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace Steinberg {
namespace Vst {

VSTGUIEditor::VSTGUIEditor(EditController* controller, ViewRect* size)
    : EditorView(controller, size), timer(new VSTGUI::CVSTGUITimer(this, 100)),
      constructedSize(size ? *size : ViewRect())
{
}

namespace {
bool sameSize(const ViewRect& a, const ViewRect& b)
{
    return a.getWidth() == b.getWidth() && a.getHeight() == b.getHeight();
}
} // namespace

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
        flushZoomFactor();
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
    applyScale();
    EditorView::attached(parent, type);
    // Hosts size their window from getSize before attaching; one that did not (or was told
    // another size since) is asked to take the editor's size now.
    const ViewRect size = scaledSize(zoomFactor);
    if (!sameSize(size, sizeHostKnows))
        askHostToResize(size);
    rect = sizeHostKnows = size;
    timer->start();
    return kResultTrue;
}

tresult PLUGIN_API VSTGUIEditor::removed()
{
    timer->stop();
    flushZoomFactor();
    if (frame)
        close();
    if (runLoop) {
        VSTGUI::X11::RunLoop::exit();
        runLoop.reset();
    }
    return EditorView::removed();
}

ViewRect VSTGUIEditor::getEditorBaseSize() const
{
    if (frame)
        return ViewRect(0, 0, int32(frame->getWidth()), int32(frame->getHeight()));
    return ViewRect(0, 0, constructedSize.getWidth(), constructedSize.getHeight());
}

ViewRect VSTGUIEditor::scaledSize(double zoom) const
{
    const ViewRect base = getEditorBaseSize();
    return ViewRect(0, 0, int32(std::lround(base.getWidth() * contentScale * zoom)),
                    int32(std::lround(base.getHeight() * contentScale * zoom)));
}

double VSTGUIEditor::fittingZoom(const ViewRect& proposal) const
{
    const ViewRect base = getEditorBaseSize();
    const double unitWidth = base.getWidth() * double(contentScale);
    const double unitHeight = base.getHeight() * double(contentScale);
    if (unitWidth <= 0 || unitHeight <= 0)
        return zoomFactor;
    // Whole pixels of height decide, so a size the editor gave out maps back to itself.
    double height = std::min(double(proposal.getHeight()), proposal.getWidth() * unitHeight / unitWidth);
    height = std::clamp(height, unitHeight * kSmallestZoom, unitHeight * kLargestZoom);
    return std::clamp(std::round(height) / unitHeight, kSmallestZoom, kLargestZoom);
}

void VSTGUIEditor::applyScale()
{
    if (frame)
        frame->setScaleFactor(double(contentScale) * zoomFactor);
}

tresult PLUGIN_API VSTGUIEditor::getSize(ViewRect* size)
{
    if (!size)
        return kInvalidArgument;
    // While the host is asked for a new size it still sees the old one: hosts compare the
    // request with getSize and do nothing when they match.
    *size = sizeHostKnows = askingHost ? sizeHostKnows : scaledSize(zoomFactor);
    return kResultTrue;
}

tresult PLUGIN_API VSTGUIEditor::onSize(ViewRect* newSize)
{
    if (!newSize || newSize->getWidth() <= 0 || newSize->getHeight() <= 0)
        return kInvalidArgument;
    const double zoom = fittingZoom(*newSize);
    // The size the editor has already (rounding aside) is no new choice. A size that the
    // host had checked first comes from the user dragging the window and is remembered; any
    // other (a host replaying an old size) only applies to this view.
    const ViewRect taken = scaledSize(zoom);
    if (!sameSize(taken, scaledSize(zoomFactor))) {
        zoomFactor = zoom;
        zoomUnsaved = zoomUnsaved || sameSize(taken, lastConstrained);
        applyScale();
    }
    sizeHostKnows = *newSize;
    return EditorView::onSize(newSize);
}

tresult PLUGIN_API VSTGUIEditor::checkSizeConstraint(ViewRect* constraint)
{
    if (!constraint)
        return kInvalidArgument;
    const ViewRect base = getEditorBaseSize();
    if (base.getWidth() <= 0 || base.getHeight() <= 0)
        return kResultFalse;
    const ViewRect size = scaledSize(fittingZoom(*constraint));
    constraint->right = constraint->left + size.getWidth();
    constraint->bottom = constraint->top + size.getHeight();
    lastConstrained = size;
    return kResultTrue;
}

tresult PLUGIN_API VSTGUIEditor::setContentScaleFactor(ScaleFactor factor)
{
    if (!(factor >= 0.5f && factor <= 8.f))
        return kInvalidArgument;
    contentScale = factor;
    applyScale();
    // Before attached the host reads the new size from getSize; while attached it is asked.
    const ViewRect size = scaledSize(zoomFactor);
    if (frame && !sameSize(size, sizeHostKnows) && askHostToResize(size))
        sizeHostKnows = size;
    return kResultTrue;
}

bool VSTGUIEditor::setZoomFactor(double factor)
{
    if (!(factor >= kSmallestZoom && factor <= kLargestZoom))
        return false;
    const double previous = zoomFactor;
    zoomFactor = factor;
    const ViewRect size = scaledSize(factor);
    if (frame && !sameSize(size, sizeHostKnows)) {
        applyScale();
        if (!askHostToResize(size)) {
            zoomFactor = previous;   // the host keeps its window: so does the editor
            applyScale();
            return false;
        }
        sizeHostKnows = size;
    }
    applyScale();
    zoomUnsaved = zoomUnsaved || factor != previous;
    return true;
}

bool VSTGUIEditor::askHostToResize(ViewRect size)
{
    if (!plugFrame)
        return true;
    if (askingHost)
        return false;
    askingHost = true;
    const bool agreed = plugFrame->resizeView(this, &size) == kResultTrue;
    askingHost = false;
    return agreed;
}

void VSTGUIEditor::restoreZoomFactor(double factor)
{
    if (factor >= kSmallestZoom && factor <= kLargestZoom) {
        zoomFactor = factor;
        applyScale();
    }
}

void VSTGUIEditor::flushZoomFactor()
{
    if (!zoomUnsaved)
        return;
    zoomUnsaved = false;
    saveZoomFactor(zoomFactor);
}

const std::vector<int32>& VSTGUIEditor::zoomMenuPercents()
{
    static const std::vector<int32> percents{75, 100, 125, 150, 200};
    return percents;
}

bool VSTGUIEditor::onContextMenu(VSTGUI::CFrame* menuFrame, const VSTGUI::CPoint& where)
{
    if (!menuFrame || menuFrame != frame)
        return false;
    std::vector<VSTGUI::UTF8String> entries;
    int32 checked = -1;
    for (int32 percent : zoomMenuPercents()) {
        if (std::fabs(zoomFactor * 100.0 - percent) < 0.5)
            checked = int32(entries.size());
        entries.push_back("Size " + std::to_string(percent) + " %");
    }
    auto* menu = new VSTGUI::COptionMenu(entries, checked, [this](int32_t index) {
        setZoomFactor(zoomMenuPercents()[size_t(index)] / 100.0);
    });
    menu->popup(menuFrame, where);
    return true;
}

tresult PLUGIN_API VSTGUIEditor::queryInterface(const TUID iid, void** obj)
{
    QUERY_INTERFACE(iid, obj, IPlugViewContentScaleSupport::iid, IPlugViewContentScaleSupport)
    return EditorView::queryInterface(iid, obj);
}

} // namespace Vst
} // namespace Steinberg

#include "ui/widgets/CFrame.h"

#include "ui/widgets/CDrawContext.h"
#include "ui/widgets/CNewFileSelector.h"
#include "ui/widgets/COptionMenu.h"
#include "ui/widgets/CTextLabel.h"
#include "ui/widgets/IMouseObserver.h"
#include "ui/widgets/RunLoop.h"
#include "ui/widgets/VSTGUIEditorInterface.h"

#include <algorithm>
#include <cstdint>

namespace VSTGUI {

CFrame::CFrame(const CRect& size, VSTGUIEditorInterface* editor)
    : CViewContainer(size), editor(editor)
{
}

CFrame::~CFrame()
{
    detachSelectors();
    focusView = nullptr;
    removeAll(true);
    platformFrame.reset();
}

bool CFrame::open(void* parent, PlatformType type, IPlatformFrameConfig* config)
{
    if (platformFrame || !parent)
        return false;
    platformFrame = createPlatformFrame(*this, parent, type, config);
    if (!platformFrame)
        return false;
    invalidRect(size);
    return true;
}

void CFrame::close()
{
    detachSelectors();
    focusView = nullptr;
    removeAll(true);
    platformFrame.reset();
    forget();
}

void CFrame::addRunningSelector(CNewFileSelector* selector)
{
    if (std::find(runningSelectors.begin(), runningSelectors.end(), selector) ==
        runningSelectors.end())
        runningSelectors.push_back(selector);
}

void CFrame::removeRunningSelector(CNewFileSelector* selector)
{
    runningSelectors.erase(std::remove(runningSelectors.begin(), runningSelectors.end(), selector),
                           runningSelectors.end());
}

void CFrame::detachSelectors()
{
    std::vector<CNewFileSelector*> running;
    running.swap(runningSelectors);
    for (CNewFileSelector* selector : running)
        selector->detachFromFrame();
}

void CFrame::showNotice(const UTF8String& text)
{
    if (noticeView) {
        CView* old = noticeView;
        noticeView = nullptr;
        removeView(old);
    }
    noticeText = text;
    if (text.empty())
        return;
    const CCoord height = 24;
    auto* label = new CTextLabel(CRect(0, getHeight() - height, getWidth(), getHeight()), text.c_str());
    label->setBackColor(CColor(150, 30, 30, 255));
    label->setFrameColor(CColor(255, 255, 255, 120));
    label->setFontColor(kWhiteCColor);
    label->setHoriAlign(kLeftText);
    label->setTextInset(CPoint(6, 0));
    label->setMouseEnabled(false);
    addView(label);
    noticeView = label;
}

void CFrame::setFocusView(CView* view)
{
    if (view == focusView)
        return;
    CView* old = focusView;
    focusView = view;
    if (old)
        old->looseFocus();  // may commit an edit; the new focus is already in place
    if (focusView && focusView == view)
        focusView->takeFocus();
}

bool CFrame::focusFirstView(bool last)
{
    if (focusView)
        return true;
    auto takes = [](CView* child) { return child->isVisible() && child->wantsFocus(); };
    CView* first = nullptr;
    if (last) {
        auto found = std::find_if(children.rbegin(), children.rend(), takes);
        first = found == children.rend() ? nullptr : *found;
    } else {
        auto found = std::find_if(children.begin(), children.end(), takes);
        first = found == children.end() ? nullptr : *found;
    }
    if (first)
        setFocusView(first);
    return first != nullptr;
}

void CFrame::onViewRemoved(CView* view)
{
    if (view == noticeView)
        noticeView = nullptr;
    if (view == modalView)
        modalView = nullptr;
    if (view == hoverView)
        hoverView = nullptr;   // a removed view is left silently, as it loses focus
    tooltips.onViewRemoved(view);
    for (CView* v = focusView; v; v = v->getParentView()) {
        if (v == view) {
            focusView = nullptr;  // removed views lose focus silently
            break;
        }
    }
}

void CFrame::setScaleFactor(double scale)
{
    if (!(scale >= 0.25 && scale <= 16.0))
        return;  // refuse nonsense factors
    scaleFactor = scale;
    if (platformFrame)
        platformFrame->setSize(size, scaleFactor);
    invalidRect(size);
}

void CFrame::setViewSize(const CRect& rect, bool invalidate)
{
    CViewContainer::setViewSize(rect, false);
    if (platformFrame)
        platformFrame->setSize(size, scaleFactor);
    if (invalidate)
        invalidRect(CRect(0, 0, size.getWidth(), size.getHeight()));
}

void CFrame::invalidRect(const CRect& rect)
{
    CRect area = rect;
    area.bound(CRect(0, 0, size.getWidth(), size.getHeight()));
    if (area.isEmpty())
        return;
    invalidArea.unite(area);
    if (platformFrame)
        platformFrame->invalidRect(area);
}

void CFrame::idle()
{
    tooltips.onIdle();
    if (editor)
        editor->doIdleStuff();
}

void CFrame::registerMouseObserver(IMouseObserver* observer)
{
    if (observer && std::find(mouseObservers.begin(), mouseObservers.end(), observer) == mouseObservers.end())
        mouseObservers.push_back(observer);
}

void CFrame::unregisterMouseObserver(IMouseObserver* observer)
{
    mouseObservers.erase(std::remove(mouseObservers.begin(), mouseObservers.end(), observer),
                         mouseObservers.end());
}

void CFrame::setHoverView(CView* view)
{
    if (view == hoverView)
        return;
    CView* left = hoverView;
    hoverView = view;
    // Copies: an observer may unregister while it is told.
    const std::vector<IMouseObserver*> observers = mouseObservers;
    for (IMouseObserver* observer : observers) {
        if (left)
            observer->onMouseExited(left, this);
        if (view && view == hoverView)
            observer->onMouseEntered(view, this);
    }
}

void CFrame::setFileDialogFactory(std::shared_ptr<IFileDialogFactory> factory)
{
    dialogFactory = std::move(factory);
}

CMouseEventResult CFrame::platformOnMouseDown(CPoint where, const CButtonState& buttons)
{
    remember();  // a handler may close the frame
    tooltips.hide();
    if (noticeView)
        showNotice({});
    if (modalView) {
        SharedPointer<CView> modal = shared(modalView);
        const CMouseEventResult result = modal->onMouseDown(where, buttons);
        forget();
        return result;
    }
    CView* target = getViewAt(where);
    // Clicking elsewhere ends a text entry; clicking a focusable view focuses it.
    if (target && target->wantsFocus())
        setFocusView(target);
    else if (focusView && focusView != target)
        setFocusView(nullptr);
    CMouseEventResult result = onMouseDown(where, buttons);
    // A right click that no view takes asks the editor for its context menu.
    if (result == kMouseEventNotHandled && (buttons & kRButton) && editor &&
        editor->onContextMenu(this, where))
        result = kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    forget();
    return result;
}

CMouseEventResult CFrame::platformOnMouseMoved(CPoint where, const CButtonState& buttons)
{
    if (modalView)
        return modalView->onMouseMoved(where, buttons);
    remember();
    setHoverView(getViewAt(where));
    tooltips.onMouseMoved(where, buttons.getButtonState() != 0);
    const CMouseEventResult result = onMouseMoved(where, buttons);
    forget();
    return result;
}

void CFrame::platformOnMouseExited()
{
    remember();
    tooltips.hide();
    setHoverView(nullptr);
    forget();
}

CMouseEventResult CFrame::platformOnMouseUp(CPoint where, const CButtonState& buttons)
{
    remember();
    const CMouseEventResult result =
        modalView ? shared(modalView)->onMouseUp(where, buttons) : onMouseUp(where, buttons);
    forget();
    return result;
}

bool CFrame::platformOnMouseWheel(CPoint where, const CMouseWheelAxis& axis, float distance,
                                  const CButtonState& buttons)
{
    return onWheel(where, axis, distance, buttons);
}

bool CFrame::platformOnKeyDown(VstKeyCode& key)
{
    tooltips.hide();
    if (modalView)
        return shared(modalView)->onKeyDown(key) == 1;
    if (focusView && focusView->onKeyDown(key) == 1)
        return true;
    return false;
}

bool CFrame::platformOnKeyUp(VstKeyCode& key)
{
    if (focusView && focusView->onKeyUp(key) == 1)
        return true;
    return false;
}

bool CFrame::platformOnDrop(const std::vector<UTF8String>& files)
{
    if (files.empty() || !editor)
        return false;
    remember();
    if (modalView)
        if (auto* menu = dynamic_cast<COptionMenu*>(modalView))
            menu->close();
    const bool taken = editor->onFilesDropped(files);
    forget();
    return taken;
}

void CFrame::platformDrawRect(NativeGraphics* graphics, const CRect& area)
{
    CRect update = area;
    update.bound(CRect(0, 0, size.getWidth(), size.getHeight()));
    if (update.isEmpty())
        return;
    CDrawContext context(graphics);
    context.clipRect(update);
    // The frame's children are placed in frame coordinates, so the frame draws at the origin.
    CRect self(0, 0, size.getWidth(), size.getHeight());
    if (backgroundColour.alpha > 0) {
        context.setFillColor(backgroundColour);
        context.drawRect(update, kDrawFilled);
    }
    if (background)
        background->draw(&context, self);
    for (CView* child : children) {
        if (!child->isVisible() || !child->getViewSize().rectOverlap(update))
            continue;
        context.saveGlobalState();
        context.setGlobalAlpha(child->getAlphaValue());
        child->drawRect(&context, update);
        context.restoreGlobalState();
        child->setDirty(false);
    }
    invalidArea = CRect();
}

}  // namespace VSTGUI

#include "ui/widgets/CView.h"

#include "ui/widgets/CDrawContext.h"
#include "ui/widgets/CFrame.h"
#include "ui/widgets/CViewContainer.h"

namespace VSTGUI {

CView::CView(const CRect& size) : size(size) {}

CView::~CView() = default;

void CView::draw(CDrawContext* context)
{
    if (background)
        background->draw(context, size);
    dirty = false;
}

void CView::drawRect(CDrawContext* context, const CRect&)
{
    draw(context);
}

CMouseEventResult CView::onMouseDown(CPoint&, const CButtonState&)
{
    return kMouseEventNotImplemented;
}

CMouseEventResult CView::onMouseUp(CPoint&, const CButtonState&)
{
    return kMouseEventNotImplemented;
}

CMouseEventResult CView::onMouseMoved(CPoint&, const CButtonState&)
{
    return kMouseEventNotImplemented;
}

CMouseEventResult CView::onMouseCancel()
{
    return kMouseEventNotImplemented;
}

bool CView::onWheel(const CPoint&, const CMouseWheelAxis&, const float&, const CButtonState&)
{
    return false;
}

int32_t CView::onKeyDown(VstKeyCode&)
{
    return -1;
}

int32_t CView::onKeyUp(VstKeyCode&)
{
    return -1;
}

void CView::setDirty(bool state)
{
    dirty = state;
    if (state)
        invalid();
}

void CView::invalid()
{
    invalidRect(size);
}

void CView::invalidRect(const CRect& rect)
{
    if (!visible)
        return;
    if (CFrame* frame = getFrame()) {
        CRect inFrame = rect;
        frame->invalidRect(localToFrame(inFrame));
    }
}

void CView::setViewSize(const CRect& rect, bool invalidate)
{
    if (invalidate)
        invalid();
    size = rect;
    if (invalidate)
        invalid();
}

void CView::setVisible(bool state)
{
    if (visible == state)
        return;
    if (!state)
        invalid();
    visible = state;
    if (state)
        invalid();
}

void CView::setAlphaValue(float alpha)
{
    alpha = alpha > 0.f ? (alpha < 1.f ? alpha : 1.f) : 0.f;   // NaN counts as 0
    if (alpha == alphaValue)
        return;
    alphaValue = alpha;
    setDirty(true);
}

UTF8String CView::getTooltipText(const CPoint&) const
{
    return tooltipText;
}

void CView::setBackground(CBitmap* bitmap)
{
    background = shared(bitmap);
    setDirty(true);
}

CFrame* CView::getFrame() const
{
    if (isFrame())
        return static_cast<CFrame*>(const_cast<CView*>(this));
    return parent ? parent->getFrame() : nullptr;
}

bool CView::attached(CViewContainer* newParent)
{
    parent = newParent;
    return true;
}

bool CView::removed(CViewContainer*)
{
    if (CFrame* frame = getFrame())
        frame->onViewRemoved(this);
    parent = nullptr;
    return true;
}

CPoint& CView::localToFrame(CPoint& point) const
{
    // Each container's children are placed relative to the container's top-left corner.
    for (const CViewContainer* p = parent; p && !p->isFrame(); p = p->getParentView())
        point.offset(p->getViewSize().left, p->getViewSize().top);
    return point;
}

CPoint& CView::frameToLocal(CPoint& point) const
{
    for (const CViewContainer* p = parent; p && !p->isFrame(); p = p->getParentView())
        point.offset(-p->getViewSize().left, -p->getViewSize().top);
    return point;
}

CRect& CView::localToFrame(CRect& rect) const
{
    CPoint origin(0, 0);
    localToFrame(origin);
    return rect.offset(origin.x, origin.y);
}

}  // namespace VSTGUI

#include "ui/widgets/CViewContainer.h"

#include "ui/widgets/CDrawContext.h"

#include <algorithm>

namespace VSTGUI {

CViewContainer::CViewContainer(const CRect& size) : CView(size) {}

CViewContainer::~CViewContainer()
{
    removeAll(true);
}

bool CViewContainer::addView(CView* view)
{
    if (!view || view == this || isChild(view) || view->getParentView())
        return false;
    children.push_back(view);
    view->attached(this);
    view->setDirty(true);
    return true;
}

bool CViewContainer::removeView(CView* view, bool withForget)
{
    auto it = std::find(children.begin(), children.end(), view);
    if (it == children.end())
        return false;
    view->invalid();
    if (mouseDownView == view)
        mouseDownView = nullptr;
    view->removed(this);
    children.erase(it);
    if (withForget)
        view->forget();
    return true;
}

bool CViewContainer::removeAll(bool withForget)
{
    mouseDownView = nullptr;
    while (!children.empty())
        removeView(children.back(), withForget);
    return true;
}

CView* CViewContainer::getView(uint32_t index) const
{
    return index < children.size() ? children[index] : nullptr;
}

bool CViewContainer::isChild(const CView* view) const
{
    return std::find(children.begin(), children.end(), view) != children.end();
}

void CViewContainer::setBackgroundColor(const CColor& colour)
{
    backgroundColour = colour;
    setDirty(true);
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& updateRect)
{
    CRect area = size;
    area.bound(updateRect);
    if (area.isEmpty())
        return;
    if (backgroundColour.alpha > 0) {
        context->setDrawMode(kAliasing);
        context->setFillColor(backgroundColour);
        context->drawRect(area, kDrawFilled);
    }
    if (background)
        background->draw(context, size);
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect)
{
    drawBackgroundRect(context, updateRect);
    context->saveGlobalState();
    context->clipRect(size);
    context->translate(size.left, size.top);
    CRect localUpdate = updateRect;
    localUpdate.offset(-size.left, -size.top);
    for (CView* child : children) {
        if (!child->isVisible() || !child->getViewSize().rectOverlap(localUpdate))
            continue;
        context->saveGlobalState();
        context->setGlobalAlpha(context->getGlobalAlpha() * child->getAlphaValue());
        child->drawRect(context, localUpdate);
        context->restoreGlobalState();
        child->setDirty(false);
    }
    context->restoreGlobalState();
    CView::setDirty(false);
}

CView* CViewContainer::getViewAt(const CPoint& where) const
{
    CPoint local = where;
    local.offset(-size.left, -size.top);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CView* child = *it;
        if (child->isVisible() && child->getMouseEnabled() && child->getViewSize().pointInside(local))
            return child;
    }
    return nullptr;
}

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    CPoint local = where;
    local.offset(-size.left, -size.top);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CView* child = *it;
        if (!child->isVisible() || !child->getMouseEnabled() ||
            !child->getViewSize().pointInside(local))
            continue;
        CPoint childWhere = local;
        const CMouseEventResult result = child->onMouseDown(childWhere, buttons);
        if (result == kMouseEventNotImplemented || result == kMouseEventNotHandled)
            continue;
        if (result == kMouseEventHandled)
            mouseDownView = child;
        return result == kMouseEventHandled ? kMouseEventHandled
                                            : kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    if (!mouseDownView)
        return kMouseEventNotHandled;
    CView* view = mouseDownView;
    mouseDownView = nullptr;
    CPoint local = where;
    local.offset(-size.left, -size.top);
    view->remember();  // the handler may remove the view from its container
    view->onMouseUp(local, buttons);
    view->forget();
    return kMouseEventHandled;
}

CMouseEventResult CViewContainer::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!mouseDownView)
        return kMouseEventNotHandled;
    CPoint local = where;
    local.offset(-size.left, -size.top);
    const CMouseEventResult result = mouseDownView->onMouseMoved(local, buttons);
    if (result == kMouseMoveEventHandledButDontNeedMoreEvents)
        mouseDownView = nullptr;
    return kMouseEventHandled;
}

CMouseEventResult CViewContainer::onMouseCancel()
{
    if (!mouseDownView)
        return kMouseEventNotHandled;
    CView* view = mouseDownView;
    mouseDownView = nullptr;
    view->onMouseCancel();
    return kMouseEventHandled;
}

bool CViewContainer::onWheel(const CPoint& where, const CMouseWheelAxis& axis,
                             const float& distance, const CButtonState& buttons)
{
    CView* child = getViewAt(where);
    if (!child)
        return false;
    CPoint local = where;
    local.offset(-size.left, -size.top);
    return child->onWheel(local, axis, distance, buttons);
}

}  // namespace VSTGUI

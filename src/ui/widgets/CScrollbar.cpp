#include "ui/widgets/CScrollbar.h"

#include "ui/widgets/CDrawContext.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

namespace {
constexpr CCoord kMinimumScrollerLength = 8;
}

CScrollbar::CScrollbar(const CRect& size, IControlListener* listener, int32_t tag,
                       ScrollbarDirection direction)
    : CControl(size, listener, tag), direction(direction)
{
    wheelInc = 0.1f;
}

void CScrollbar::setScrollLengths(CCoord content, CCoord visible)
{
    contentLength = std::max<CCoord>(0, content);
    visibleLength = std::max<CCoord>(0, visible);
    setDirty(true);
}

CCoord CScrollbar::trackLength() const
{
    return direction == kVertical ? getHeight() : getWidth();
}

CCoord CScrollbar::scrollerLength() const
{
    const CCoord track = trackLength();
    if (contentLength <= visibleLength || contentLength <= 0)
        return track;
    return std::min(track, std::max(kMinimumScrollerLength, track * visibleLength / contentLength));
}

CRect CScrollbar::getScrollerRect() const
{
    const CCoord length = scrollerLength();
    const CCoord start = (trackLength() - length) * getValueNormalized();
    CRect r = size;
    if (direction == kVertical) {
        r.top = size.top + start;
        r.bottom = r.top + length;
    } else {
        r.left = size.left + start;
        r.right = r.left + length;
    }
    return r;
}

void CScrollbar::setDrawer(IScrollbarDrawer* newDrawer)
{
    drawer = newDrawer;
    setDirty(true);
}

void CScrollbar::draw(CDrawContext* context)
{
    const CRect scroller = getScrollerRect();
    if (drawer) {
        drawer->drawScrollbarBackground(context, size, direction, this);
        drawer->drawScrollbarScroller(context, scroller, direction, this);
    } else {
        context->setDrawMode(kAliasing);
        context->setLineWidth(1);
        context->setLineStyle(kLineSolid);
        context->setFillColor(backgroundColour);
        context->setFrameColor(frameColour);
        context->drawRect(size, kDrawFilledAndStroked);
        context->setFillColor(scrollerColour);
        context->drawRect(scroller, kDrawFilledAndStroked);
    }
    setDirty(false);
}

CCoord CScrollbar::along(const CPoint& where) const
{
    return direction == kVertical ? where.y : where.x;
}

void CScrollbar::changeTo(float newValue)
{
    const float old = value;
    setValue(newValue);
    if (value != old)
        valueChanged();
}

CMouseEventResult CScrollbar::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    const CRect scroller = getScrollerRect();
    if (scroller.pointInside(where)) {
        dragging = true;
        dragStart = along(where);
        dragStartValue = value;
        return kMouseEventHandled;
    }
    // A click on the track pages towards the click.
    if (contentLength > visibleLength) {
        const float page = float(visibleLength / (contentLength - visibleLength));
        const bool before = along(where) < along(scroller.getTopLeft());
        changeTo(value + (before ? -page : page));
    }
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMouseEventResult CScrollbar::onMouseMoved(CPoint& where, const CButtonState&)
{
    if (!dragging)
        return kMouseEventNotHandled;
    const CCoord free = trackLength() - scrollerLength();
    if (free > 0)
        changeTo(dragStartValue + float((along(where) - dragStart) / free));
    return kMouseEventHandled;
}

CMouseEventResult CScrollbar::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    if (!dragging)
        return kMouseEventNotHandled;
    onMouseMoved(where, buttons);
    dragging = false;
    return kMouseEventHandled;
}

CMouseEventResult CScrollbar::onMouseCancel()
{
    dragging = false;
    return kMouseEventHandled;
}

bool CScrollbar::onWheel(const CPoint&, const CMouseWheelAxis&, const float& distance,
                         const CButtonState&)
{
    if (distance == 0.f || std::isnan(distance) || contentLength <= visibleLength)
        return false;
    changeTo(value - distance * wheelInc);
    return true;
}

}  // namespace VSTGUI

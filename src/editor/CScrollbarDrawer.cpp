#include "editor/CScrollbarDrawer.h"

#include "ui/widgets/CDrawContext.h"

#include <algorithm>

namespace VSTGUI {

void CScrollbarDrawer::drawScrollbarBackground(CDrawContext* context, const CRect& size, int32_t,
                                               CScrollbar*)
{
    if (!context)
        return;
    context->setDrawMode(kAliasing);
    context->setLineWidth(1);
    context->setFillColor(backColour);
    context->setFrameColor(frameColour);
    context->setLineStyle(kLineSolid);
    context->drawRect(size, kDrawFilledAndStroked);
}

void CScrollbarDrawer::drawScrollbarScroller(CDrawContext* context, const CRect& size,
                                             int32_t direction, CScrollbar*)
{
    if (!context)
        return;
    // Narrower than its track, so it never merges with a selected row beside it.
    CRect scroller = size;
    if (direction == CScrollbar::kVertical)
        scroller.inset(std::min(kScrollerGap, scroller.getWidth() / 4), 0);
    else
        scroller.inset(0, std::min(kScrollerGap, scroller.getHeight() / 4));
    // The line style stays as the track left it.
    context->setLineWidth(1);
    context->setFillColor(scrollerColour);
    context->setFrameColor(frameColour);
    context->setDrawMode(kNonIntegralMode);
    context->drawRect(scroller, kDrawFilledAndStroked);
}

} // namespace VSTGUI

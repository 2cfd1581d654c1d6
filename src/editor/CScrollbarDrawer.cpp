#include "editor/CScrollbarDrawer.h"

#include "ui/CDrawContext.h"

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

void CScrollbarDrawer::drawScrollbarScroller(CDrawContext* context, const CRect& size, int32_t,
                                             CScrollbar*)
{
    if (!context)
        return;
    // The line style stays as the track left it.
    context->setLineWidth(1);
    context->setFillColor(scrollerColour);
    context->setFrameColor(frameColour);
    context->setDrawMode(kNonIntegralMode);
    context->drawRect(size, kDrawFilledAndStroked);
}

} // namespace VSTGUI

#pragma once
// Paints a data browser's scrollbars in three flat colours: a track with a 1-pixel outline on
// whole pixels, and the scroller drawn at its exact position, a little narrower than the track.
// Threads: the host's UI thread only. Not real-time safe.
#include "ui/widgets/CColor.h"
#include "ui/widgets/CScrollbar.h"

namespace VSTGUI {

class CScrollbarDrawer : public IScrollbarDrawer
{
public:
    void drawScrollbarBackground(CDrawContext* context, const CRect& size, int32_t direction,
                                 CScrollbar* bar) override;
    void drawScrollbarScroller(CDrawContext* context, const CRect& size, int32_t direction,
                               CScrollbar* bar) override;

    // Pixels kept free on each side of the scroller, across the track.
    static constexpr CCoord kScrollerGap = 2;

    CColor backColour{255, 255, 255, 200};
    CColor frameColour{0, 0, 0, 255};
    CColor scrollerColour{127, 127, 127, 255};
};

} // namespace VSTGUI

// A scrollbar: value 0..1 is the scroll position over the part of the content that does not
// fit. Dragging the scroller or clicking the track changes it (no edit gesture is reported:
// scrolling is not a parameter edit). Drawing can be taken over by an IScrollbarDrawer.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CColor.h"
#include "ui/widgets/CControl.h"

namespace VSTGUI {

class CScrollbar;

class IScrollbarDrawer
{
public:
    virtual ~IScrollbarDrawer() = default;
    virtual void drawScrollbarBackground(CDrawContext* context, const CRect& size,
                                         int32_t direction, CScrollbar* bar) = 0;
    virtual void drawScrollbarScroller(CDrawContext* context, const CRect& size,
                                       int32_t direction, CScrollbar* bar) = 0;
};

class CScrollbar : public CControl
{
public:
    enum ScrollbarDirection
    {
        kHorizontal = 0,
        kVertical,
    };

    CScrollbar(const CRect& size, IControlListener* listener, int32_t tag,
               ScrollbarDirection direction);

    ScrollbarDirection getDirection() const { return direction; }
    // Content length and visible length along the scrollbar, in pixels.
    void setScrollLengths(CCoord content, CCoord visible);
    CCoord getContentLength() const { return contentLength; }
    CCoord getVisibleLength() const { return visibleLength; }
    // Where the scroller is drawn now (parent coordinates).
    CRect getScrollerRect() const;

    // Not owned; must outlive the scrollbar or be reset to null.
    void setDrawer(IScrollbarDrawer* newDrawer);
    IScrollbarDrawer* getDrawer() const { return drawer; }
    void setFrameColor(const CColor& colour) { frameColour = colour; setDirty(true); }
    void setScrollerColor(const CColor& colour) { scrollerColour = colour; setDirty(true); }
    void setBackgroundColor(const CColor& colour) { backgroundColour = colour; setDirty(true); }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseCancel() override;
    bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;

private:
    CCoord trackLength() const;
    CCoord scrollerLength() const;
    CCoord along(const CPoint& where) const;
    void changeTo(float newValue);

    ScrollbarDirection direction;
    CCoord contentLength = 0;
    CCoord visibleLength = 0;
    IScrollbarDrawer* drawer = nullptr;
    CColor frameColour = kBlackCColor;
    CColor scrollerColour = kGreyCColor;
    CColor backgroundColour = kWhiteCColor;
    bool dragging = false;
    CCoord dragStart = 0;
    float dragStartValue = 0.f;
};

}  // namespace VSTGUI

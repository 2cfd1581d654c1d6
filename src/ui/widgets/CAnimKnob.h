// A knob drawn from a vertical strip of equal frames (first frame = minimum). Vertical mouse
// drag (Shift for fine steps), Ctrl-click for the default value, and the wheel change it.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CControl.h"

namespace VSTGUI {

class CAnimKnob : public CControl
{
public:
    CAnimKnob(const CRect& size, IControlListener* listener, int32_t tag, CBitmap* background,
              const CPoint& offset = CPoint(0, 0));

    // Frames in the strip: bitmap height / view height (at least 1).
    int32_t getNumSubPixmaps() const;
    // The frame shown for the current value.
    int32_t getFrameIndex() const;
    // Pixels of vertical drag for the whole range.
    void setDragRange(CCoord pixels) { dragRange = pixels > 1 ? pixels : 1; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseCancel() override;
    bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;

private:
    CPoint offset;
    CCoord dragRange = 200;
    CCoord dragStartY = 0;
    float dragStartValue = 0.f;
    float valueBeforeDrag = 0.f;
};

}  // namespace VSTGUI

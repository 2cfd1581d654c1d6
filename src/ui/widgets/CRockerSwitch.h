// A three-position rocker: -1 while its upper (left) half is held, +1 while its lower (right)
// half is held, 0 at rest. The bitmap holds three frames: -1, 0, +1.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CControl.h"

namespace VSTGUI {

class CRockerSwitch : public CControl
{
public:
    enum Style
    {
        kHorizontal = 1 << 0,
        kVertical = 1 << 1,
    };

    CRockerSwitch(const CRect& size, IControlListener* listener, int32_t tag, CBitmap* background,
                  const CPoint& offset = CPoint(0, 0), int32_t style = kHorizontal);

    int32_t getStyle() const { return style; }
    // 0 for -1, 1 for the rest position, 2 for +1.
    int32_t getFrameIndex() const;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseCancel() override;
    // One wheel notch is a press and release: up = -1, down = +1.
    bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;

private:
    float positionValue(const CPoint& where) const;
    void changeTo(float newValue);

    CPoint offset;
    int32_t style;
};

}  // namespace VSTGUI

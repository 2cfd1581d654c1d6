// A momentary button: pressed while held, reports 1 on release over it and 0 right after.
// The bitmap holds the released and pressed states stacked vertically; without one the
// button is an invisible click area. UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CControl.h"

namespace VSTGUI {

class CKickButton : public CControl
{
public:
    CKickButton(const CRect& size, IControlListener* listener, int32_t tag, CBitmap* background,
                const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseCancel() override;

private:
    CPoint offset;
};

}  // namespace VSTGUI

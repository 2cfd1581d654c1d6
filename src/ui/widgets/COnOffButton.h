// A two-state switch: each click flips its value between its minimum ("off") and its maximum
// ("on") and reports it. The bitmap holds the off and on states stacked vertically.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CControl.h"

namespace VSTGUI {

class COnOffButton : public CControl
{
public:
    COnOffButton(const CRect& size, IControlListener* listener, int32_t tag, CBitmap* background);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
};

}  // namespace VSTGUI

#include "ui/widgets/COnOffButton.h"

namespace VSTGUI {

COnOffButton::COnOffButton(const CRect& size, IControlListener* listener, int32_t tag, CBitmap* background)
    : CControl(size, listener, tag, background)
{
    defaultValue = 0.f;
}

void COnOffButton::draw(CDrawContext* context)
{
    if (background)
        background->draw(context, size, CPoint(0, value == getMax() ? getHeight() : 0));
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    beginEdit();
    setValue(value == getMax() ? getMin() : getMax());
    valueChanged();
    endEdit();
    return kMouseEventHandled;
}

}  // namespace VSTGUI

#include "ui/widgets/CRockerSwitch.h"

#include <cmath>

namespace VSTGUI {

CRockerSwitch::CRockerSwitch(const CRect& size, IControlListener* listener, int32_t tag,
                             CBitmap* background, const CPoint& offset, int32_t style)
    : CControl(size, listener, tag, background), offset(offset), style(style)
{
    vmin = -1.f;
    vmax = 1.f;
    value = 0.f;
    defaultValue = 0.f;
}

int32_t CRockerSwitch::getFrameIndex() const
{
    if (value == getMin())
        return 0;
    if (value == getMax())
        return 2;
    return 1;
}

void CRockerSwitch::draw(CDrawContext* context)
{
    if (background) {
        const CPoint where(offset.x, offset.y + getFrameIndex() * getHeight());
        background->draw(context, size, where);
    }
    setDirty(false);
}

float CRockerSwitch::positionValue(const CPoint& where) const
{
    if (!size.pointInside(where))
        return 0.f;
    if (style & kVertical)
        return where.y < size.top + getHeight() / 2 ? getMin() : getMax();
    return where.x < size.left + getWidth() / 2 ? getMin() : getMax();
}

void CRockerSwitch::changeTo(float newValue)
{
    if (newValue == value)
        return;
    setValue(newValue);
    valueChanged();
}

CMouseEventResult CRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    beginEdit();
    changeTo(positionValue(where));
    return kMouseEventHandled;
}

CMouseEventResult CRockerSwitch::onMouseMoved(CPoint& where, const CButtonState&)
{
    if (!isEditing())
        return kMouseEventNotHandled;
    changeTo(positionValue(where));
    return kMouseEventHandled;
}

CMouseEventResult CRockerSwitch::onMouseUp(CPoint&, const CButtonState&)
{
    if (!isEditing())
        return kMouseEventNotHandled;
    changeTo(0.f);
    endEdit();
    return kMouseEventHandled;
}

CMouseEventResult CRockerSwitch::onMouseCancel()
{
    CPoint nowhere;
    return onMouseUp(nowhere, CButtonState());
}

bool CRockerSwitch::onWheel(const CPoint&, const CMouseWheelAxis&, const float& distance,
                            const CButtonState&)
{
    if (distance == 0.f || std::isnan(distance))
        return false;
    beginEdit();
    changeTo(distance > 0 ? getMin() : getMax());
    changeTo(0.f);
    endEdit();
    return true;
}

}  // namespace VSTGUI

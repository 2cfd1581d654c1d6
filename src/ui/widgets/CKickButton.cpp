#include "ui/widgets/CKickButton.h"

namespace VSTGUI {

CKickButton::CKickButton(const CRect& size, IControlListener* listener, int32_t tag,
                         CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset)
{
    defaultValue = 0.f;
}

void CKickButton::draw(CDrawContext* context)
{
    if (background) {
        const CCoord frameHeight = getHeight();
        const CPoint where(offset.x, offset.y + (value == getMax() ? frameHeight : 0));
        background->draw(context, size, where);
    }
    setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const CButtonState&)
{
    if (!isEditing())
        return kMouseEventNotHandled;
    setValue(size.pointInside(where) ? getMax() : getMin());
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    if (!isEditing())
        return kMouseEventNotHandled;
    onMouseMoved(where, buttons);
    if (value != getMin())
        valueChanged();
    setValue(getMin());
    valueChanged();
    endEdit();
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseCancel()
{
    if (!isEditing())
        return kMouseEventNotHandled;
    setValue(getMin());
    endEdit();
    return kMouseEventHandled;
}

}  // namespace VSTGUI

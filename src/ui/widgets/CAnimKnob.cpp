#include "ui/widgets/CAnimKnob.h"

#include <cmath>

namespace VSTGUI {

CAnimKnob::CAnimKnob(const CRect& size, IControlListener* listener, int32_t tag,
                     CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset)
{
}

int32_t CAnimKnob::getNumSubPixmaps() const
{
    if (!background || getHeight() < 1)
        return 1;
    const auto frames = int32_t(background->getHeight() / getHeight());
    return frames > 0 ? frames : 1;
}

int32_t CAnimKnob::getFrameIndex() const
{
    const int32_t last = getNumSubPixmaps() - 1;
    return int32_t(std::lround(getValueNormalized() * float(last)));
}

void CAnimKnob::draw(CDrawContext* context)
{
    if (background) {
        const CPoint where(offset.x, offset.y + getFrameIndex() * getHeight());
        background->draw(context, size, where);
    }
    setDirty(false);
}

CMouseEventResult CAnimKnob::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    if (buttons & kControl) {
        beginEdit();
        setValue(defaultValue);
        valueChanged();
        endEdit();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    beginEdit();
    dragStartY = where.y;
    dragStartValue = value;
    valueBeforeDrag = value;
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!isEditing())
        return kMouseEventNotHandled;
    // Shift gives ten times finer steps; restarting the drag keeps the value continuous.
    const double pixels = (buttons & kShift) ? dragRange * 10 : dragRange;
    const float newValue =
        dragStartValue + float((dragStartY - where.y) / pixels) * getRange();
    const float oldValue = value;
    setValue(newValue);
    if (value != oldValue)
        valueChanged();
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    if (!isEditing())
        return kMouseEventNotHandled;
    onMouseMoved(where, buttons);
    endEdit();
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob::onMouseCancel()
{
    if (!isEditing())
        return kMouseEventNotHandled;
    if (value != valueBeforeDrag) {
        setValue(valueBeforeDrag);
        valueChanged();
    }
    endEdit();
    return kMouseEventHandled;
}

bool CAnimKnob::onWheel(const CPoint&, const CMouseWheelAxis& axis, const float& distance,
                        const CButtonState& buttons)
{
    if (axis != kMouseWheelAxisY || distance == 0.f || std::isnan(distance))
        return false;
    const float step = (buttons & kShift) ? wheelInc * 0.1f : wheelInc;
    const float oldValue = value;
    beginEdit();
    setValue(value + distance * step * getRange());
    if (value != oldValue)
        valueChanged();
    endEdit();
    return true;
}

}  // namespace VSTGUI

#include "ui/widgets/CControl.h"

#include "ui/widgets/CFrame.h"
#include "ui/widgets/VSTGUIEditorInterface.h"

#include <cmath>

namespace VSTGUI {

CControl::CControl(const CRect& size, IControlListener* listener, int32_t tag, CBitmap* bitmap)
    : CView(size), listener(listener), tag(tag)
{
    if (bitmap)
        background = shared(bitmap);
}

void CControl::setValue(float newValue)
{
    if (std::isnan(newValue))
        return;  // a NaN would stick and poison every later computation
    const float low = vmin < vmax ? vmin : vmax;
    const float high = vmin < vmax ? vmax : vmin;
    newValue = newValue < low ? low : (newValue > high ? high : newValue);
    if (newValue == value)
        return;
    value = newValue;
    setDirty(true);
}

void CControl::setValueNormalized(float normalized)
{
    if (std::isnan(normalized))
        return;
    normalized = normalized < 0.f ? 0.f : (normalized > 1.f ? 1.f : normalized);
    setValue(vmin + normalized * getRange());
}

float CControl::getValueNormalized() const
{
    const float range = getRange();
    if (range == 0.f)
        return 0.f;
    return (value - vmin) / range;
}

void CControl::setTag(int32_t newTag)
{
    if (listener)
        listener->controlTagWillChange(this);
    tag = newTag;
    if (listener)
        listener->controlTagDidChange(this);
}

void CControl::valueChanged()
{
    if (listener)
        listener->valueChanged(this);
}

void CControl::beginEdit()
{
    if (editing++ > 0)
        return;
    if (CFrame* frame = getFrame())
        if (VSTGUIEditorInterface* editor = frame->getEditor())
            editor->beginEdit(tag);
    if (listener)
        listener->controlBeginEdit(this);
}

void CControl::endEdit()
{
    if (editing == 0 || --editing > 0)
        return;
    if (listener)
        listener->controlEndEdit(this);
    if (CFrame* frame = getFrame())
        if (VSTGUIEditorInterface* editor = frame->getEditor())
            editor->endEdit(tag);
}

}  // namespace VSTGUI

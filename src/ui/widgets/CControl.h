// A view with a tag and a value that reports changes to its listener and gestures to the
// frame's editor interface. UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CView.h"
#include "ui/widgets/IControlListener.h"

namespace VSTGUI {

class CControl : public CView
{
public:
    CControl(const CRect& size, IControlListener* listener = nullptr, int32_t tag = -1,
             CBitmap* background = nullptr);

    // Plain value between getMin() and getMax(); values outside are limited.
    virtual void setValue(float value);
    float getValue() const { return value; }
    virtual void setValueNormalized(float normalized);
    float getValueNormalized() const;
    virtual void setMin(float minimum) { vmin = minimum; }
    float getMin() const { return vmin; }
    virtual void setMax(float maximum) { vmax = maximum; }
    float getMax() const { return vmax; }
    float getRange() const { return vmax - vmin; }
    void setDefaultValue(float value) { defaultValue = value; }
    float getDefaultValue() const { return defaultValue; }
    void setWheelInc(float increment) { wheelInc = increment; }
    float getWheelInc() const { return wheelInc; }

    void setTag(int32_t tag);
    int32_t getTag() const { return tag; }
    void setListener(IControlListener* newListener) { listener = newListener; }
    IControlListener* getListener() const { return listener; }

    // Tells the listener about the current value.
    virtual void valueChanged();
    // Gesture brackets; nested calls report only the outermost pair.
    virtual void beginEdit();
    virtual void endEdit();
    bool isEditing() const { return editing > 0; }

protected:
    IControlListener* listener;
    int32_t tag;
    float value = 0.f;
    float vmin = 0.f;
    float vmax = 1.f;
    float defaultValue = 0.5f;
    float wheelInc = 0.1f;
    int32_t editing = 0;
};

}  // namespace VSTGUI

// Receives a control's value changes and gesture start/end. UI thread only; not real-time safe.
#pragma once

#include <cstdint>

namespace VSTGUI {

class CControl;

class IControlListener
{
public:
    virtual ~IControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    virtual void controlBeginEdit(CControl* control) { (void)control; }
    virtual void controlEndEdit(CControl* control) { (void)control; }
    virtual void controlTagWillChange(CControl* control) { (void)control; }
    virtual void controlTagDidChange(CControl* control) { (void)control; }
};

}  // namespace VSTGUI

// What a frame needs from the editor that owns it: gesture start/end reporting by control tag.
// UI thread only; not real-time safe.
#pragma once

#include <cstdint>

namespace VSTGUI {

class CFrame;

class VSTGUIEditorInterface
{
public:
    virtual ~VSTGUIEditorInterface() = default;
    virtual void doIdleStuff() {}
    // A control with this tag starts / ends a user gesture.
    virtual void beginEdit(int32_t index) { (void)index; }
    virtual void endEdit(int32_t index) { (void)index; }
    virtual CFrame* getFrame() const { return frame; }

protected:
    CFrame* frame = nullptr;  // the open frame, null while closed
};

}  // namespace VSTGUI

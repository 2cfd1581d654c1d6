// What a frame needs from the editor that owns it: gesture start/end reporting by control tag,
// the context menu of the background and dropped files.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CGeometry.h"

#include <cstdint>
#include <string>
#include <vector>

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
    // A right click that no view took, at `where` (frame coordinates): true when the editor
    // showed a context menu.
    virtual bool onContextMenu(CFrame* menuFrame, const CPoint& where)
    {
        (void)menuFrame;
        (void)where;
        return false;
    }
    // Files dropped on the frame (UTF-8 paths): true when the editor took them.
    virtual bool onFilesDropped(const std::vector<std::string>& files)
    {
        (void)files;
        return false;
    }

protected:
    CFrame* frame = nullptr;  // the open frame, null while closed
};

}  // namespace VSTGUI

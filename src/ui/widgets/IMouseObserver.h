// What a frame tells those who follow the pointer: it entered or left one of the frame's
// views (the topmost one under it). UI thread only; not real-time safe.
#pragma once

namespace VSTGUI {

class CFrame;
class CView;

class IMouseObserver
{
public:
    virtual ~IMouseObserver() = default;
    virtual void onMouseEntered(CView* view, CFrame* frame) = 0;
    virtual void onMouseExited(CView* view, CFrame* frame) = 0;
};

}  // namespace VSTGUI

// Tooltips of a frame: when the pointer rests over a view that has a tooltip text (a label
// showing its text shortened, a list row cut with "…"), the whole text appears in a small box
// beside the pointer, wrapped to the frame's width; moving to other text, a click, a key or
// the pointer leaving the window hide it. Timed in the frame's idle ticks (the editor's 100 ms
// timer), so it needs no timer of its own. UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CBaseObject.h"
#include "ui/widgets/CGeometry.h"

namespace VSTGUI {

class CFrame;
class CView;

class CTooltipSupport
{
public:
    // Idle ticks the pointer rests over a text before its tooltip shows.
    static constexpr int kDelayTicks = 5;

    explicit CTooltipSupport(CFrame& frame) : frame(frame) {}

    // The pointer moved to `where` (frame coordinates); a held button hides the tooltip.
    void onMouseMoved(const CPoint& where, bool buttonDown);
    // A click, a key or the pointer leaving: the tooltip goes until the pointer moves again.
    void hide();
    void onIdle();
    // The frame removes `view`: forget it if it is the tooltip's box.
    void onViewRemoved(const CView* view);

    const UTF8String& getShownText() const { return shownText; }

private:
    void show();

    CFrame& frame;
    CPoint pointer;
    UTF8String pendingText;  // the tooltip text under the resting pointer
    int restingTicks = 0;
    CView* box = nullptr;    // owned by the frame while shown
    UTF8String shownText;
};

}  // namespace VSTGUI

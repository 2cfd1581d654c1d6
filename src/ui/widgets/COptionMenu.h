// A pop-up menu drawn inside the frame (the editor's context menu): popped up at a point, it
// lies over every other view and takes the mouse and keys until it closes. A click on an entry
// reports that entry's index to the callback; a click elsewhere or Escape closes it without a
// choice. The checked entry carries a mark.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CView.h"

#include <functional>
#include <vector>

namespace VSTGUI {

class COptionMenu : public CView
{
public:
    using Callback = std::function<void(int32_t index)>;

    COptionMenu(std::vector<UTF8String> entries, int32_t checkedEntry, Callback onChoice);

    // Shows the menu in the frame with its top-left corner at `where` (frame coordinates),
    // moved as little as needed to lie inside the frame. Takes over the caller's reference.
    void popup(CFrame* frame, const CPoint& where);
    // Closes without a choice (also done by the frame when another menu pops up).
    void close();

    static constexpr CCoord kEntryHeight = 22;
    static constexpr CCoord kWidth = 120;
    int32_t getNbEntries() const { return int32_t(entries.size()); }
    int32_t getHighlighted() const { return highlighted; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;

private:
    int32_t entryAt(const CPoint& where) const;
    void choose(int32_t index);

    std::vector<UTF8String> entries;
    int32_t checked;
    int32_t highlighted = -1;
    bool armed = false;   // a button went down on an entry since the menu opened
    Callback callback;
};

}  // namespace VSTGUI

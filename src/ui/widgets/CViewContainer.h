// A view that owns child views, draws them in order and routes mouse and wheel events to
// the topmost child under the pointer. UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CColor.h"
#include "ui/widgets/CView.h"

#include <vector>

namespace VSTGUI {

class CViewContainer : public CView
{
public:
    explicit CViewContainer(const CRect& size);
    ~CViewContainer() override;

    // Takes over the caller's reference: the container now owns the view.
    virtual bool addView(CView* view);
    // Removes and, with `withForget`, releases the view.
    virtual bool removeView(CView* view, bool withForget = true);
    virtual bool removeAll(bool withForget = true);
    CView* getView(uint32_t index) const;
    uint32_t getNbViews() const { return uint32_t(children.size()); }
    bool isChild(const CView* view) const;

    void setBackgroundColor(const CColor& colour);
    CColor getBackgroundColor() const { return backgroundColour; }

    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseCancel() override;
    bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;

    // The topmost visible child under `where` (parent coordinates), or null.
    CView* getViewAt(const CPoint& where) const;

protected:
    void drawBackgroundRect(CDrawContext* context, const CRect& updateRect);

    std::vector<CView*> children;
    CColor backgroundColour = kTransparentCColor;
    CView* mouseDownView = nullptr;  // receives moves and the release after a handled press
};

}  // namespace VSTGUI

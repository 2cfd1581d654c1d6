// The base of every view: size in parent coordinates, drawing, mouse/keyboard/wheel hooks,
// dirty marking, focus, opacity and tooltip text. UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CBaseObject.h"
#include "ui/widgets/CBitmap.h"
#include "ui/widgets/CGeometry.h"
#include "ui/widgets/Events.h"

namespace VSTGUI {

class CDrawContext;
class CFrame;
class CViewContainer;

class CView : public CBaseObject
{
public:
    explicit CView(const CRect& size);
    ~CView() override;

    // Drawing happens in parent coordinates: getViewSize() is where the view appears.
    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);

    // `where` is in parent coordinates, like getViewSize().
    virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseCancel();
    // Positive distance: the wheel turned away from the user (scroll up / increase).
    virtual bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                         const CButtonState& buttons);
    // Returns 1 when the key was used, -1 otherwise.
    virtual int32_t onKeyDown(VstKeyCode& key);
    virtual int32_t onKeyUp(VstKeyCode& key);

    virtual void takeFocus() {}
    virtual void looseFocus() {}
    void setWantsFocus(bool state) { wantsFocusFlag = state; }
    bool wantsFocus() const { return wantsFocusFlag; }

    virtual void setDirty(bool state = true);
    bool isDirty() const { return dirty; }
    // Asks the frame to redraw this view's area.
    void invalid();
    void invalidRect(const CRect& rect);

    virtual void setViewSize(const CRect& rect, bool invalidate = true);
    const CRect& getViewSize() const { return size; }
    CCoord getWidth() const { return size.getWidth(); }
    CCoord getHeight() const { return size.getHeight(); }
    void setMouseEnabled(bool state) { mouseEnabled = state; }
    bool getMouseEnabled() const { return mouseEnabled; }
    void setVisible(bool state);
    bool isVisible() const { return visible; }

    // Opacity the view is drawn with (0..1), over what its container sets.
    void setAlphaValue(float alpha);
    float getAlphaValue() const { return alphaValue; }
    // The text to show as a tooltip while the pointer rests at `where` (parent coordinates);
    // empty: none. By default the text given to setTooltipText.
    virtual UTF8String getTooltipText(const CPoint& where) const;
    void setTooltipText(const UTF8String& text) { tooltipText = text; }

    virtual void setBackground(CBitmap* bitmap);
    CBitmap* getBackground() const { return background.get(); }

    CViewContainer* getParentView() const { return parent; }
    CFrame* getFrame() const;
    bool isAttached() const { return parent != nullptr || isFrame(); }
    // Called by the container when the view enters or leaves it.
    virtual bool attached(CViewContainer* parent);
    virtual bool removed(CViewContainer* parent);
    virtual bool isFrame() const { return false; }

    // Converts between this view's parent coordinates and frame coordinates.
    CPoint& localToFrame(CPoint& point) const;
    CPoint& frameToLocal(CPoint& point) const;
    CRect& localToFrame(CRect& rect) const;

protected:
    CRect size;
    SharedPointer<CBitmap> background;

private:
    CViewContainer* parent = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool visible = true;
    bool wantsFocusFlag = false;
    float alphaValue = 1.f;
    UTF8String tooltipText;
};

}  // namespace VSTGUI

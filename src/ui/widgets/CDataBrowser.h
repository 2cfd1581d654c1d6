// A scrolling table of rows drawn by its delegate, with one selected row, row lines, a frame,
// and vertical/horizontal scrollbars. Mouse click selects, the wheel and the scrollbars scroll,
// Up/Down/Page/Home/End move the selection. UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CScrollbar.h"
#include "ui/widgets/CViewContainer.h"
#include "ui/widgets/IDataBrowserDelegate.h"

namespace VSTGUI {

class CDataBrowser : public CViewContainer, private IControlListener
{
public:
    enum Style
    {
        kHorizontalScrollbar = 1 << 0,
        kVerticalScrollbar = 1 << 1,
        kDontDrawFrame = 1 << 2,
        kDrawRowLines = 1 << 3,
    };
    static constexpr int32_t kNoSelection = -1;

    // The delegate is kept alive (remember/forget) when it is a CBaseObject.
    CDataBrowser(const CRect& size, IDataBrowserDelegate* delegate, int32_t style = 0,
                 CCoord scrollbarWidth = 16, CBitmap* background = nullptr);

    IDataBrowserDelegate* getDelegate() const { return delegate; }
    int32_t getStyle() const { return style; }

    // Re-reads row count and sizes from the delegate; without rememberSelection the selection
    // is cleared (reported as row -1 when there was one).
    void recalculateLayout(bool rememberSelection = false);
    int32_t getSelectedRow() const { return selectedRow; }
    // Rows outside 0..rows-1 clear the selection. A change is reported to the delegate.
    void setSelectedRow(int32_t row, bool makeVisible = false);
    void unselectAll();
    // Scrolls just enough that the row is fully visible (if it exists).
    void makeRowVisible(int32_t row);
    // Row under a point in browser-local coordinates; -1 when none.
    int32_t getRowAt(const CPoint& local) const;
    CRect getCellBounds(int32_t row, int32_t column = 0) const;  // browser-local

    CScrollbar* getVerticalScrollbar() const { return verticalBar; }
    CScrollbar* getHorizontalScrollbar() const { return horizontalBar; }
    CPoint getScrollOffset() const { return scrollOffset; }
    void setScrollOffset(CPoint offset);
    // The part of the browser where rows show (browser-local).
    CRect getVisibleSize() const;
    CCoord getRowHeight() const { return rowHeight; }
    CCoord getContentWidth() const { return contentWidth; }
    void setFrameColor(const CColor& colour) { frameColour = colour; setDirty(true); }

    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    // The delegate's tooltip for the cell under `where` (parent coordinates).
    UTF8String getTooltipText(const CPoint& where) const override;
    bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;
    bool attached(CViewContainer* parent) override;
    bool removed(CViewContainer* parent) override;

protected:
    ~CDataBrowser() override;

private:
    void valueChanged(CControl* control) override;  // from the scrollbars
    void layoutScrollbars();
    void updateScrollbars();
    int32_t rowCount() const;

    IDataBrowserDelegate* delegate;
    int32_t style;
    CCoord scrollbarWidth;
    CScrollbar* verticalBar = nullptr;
    CScrollbar* horizontalBar = nullptr;
    int32_t selectedRow = kNoSelection;
    int32_t rows = 0;
    CCoord rowHeight = 20;
    CCoord contentWidth = 0;
    CPoint scrollOffset;
    CColor frameColour = kBlackCColor;
};

}  // namespace VSTGUI

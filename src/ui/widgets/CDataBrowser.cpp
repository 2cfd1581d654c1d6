#include "ui/widgets/CDataBrowser.h"

#include "ui/widgets/CDrawContext.h"
#include "ui/widgets/CFrame.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

CDataBrowser::CDataBrowser(const CRect& size, IDataBrowserDelegate* delegate, int32_t style,
                           CCoord scrollbarWidth, CBitmap* background)
    : CViewContainer(size), delegate(delegate), style(style),
      scrollbarWidth(scrollbarWidth > 0 ? scrollbarWidth : 16)
{
    if (auto* object = dynamic_cast<CBaseObject*>(delegate))
        object->remember();
    if (background)
        this->background = shared(background);
    setWantsFocus(true);
    if (style & kVerticalScrollbar) {
        verticalBar = new CScrollbar(CRect(), this, -1, CScrollbar::kVertical);
        addView(verticalBar);
    }
    if (style & kHorizontalScrollbar) {
        horizontalBar = new CScrollbar(CRect(), this, -1, CScrollbar::kHorizontal);
        addView(horizontalBar);
    }
    layoutScrollbars();
}

CDataBrowser::~CDataBrowser()
{
    removeAll(true);
    if (auto* object = dynamic_cast<CBaseObject*>(delegate))
        object->forget();
}

bool CDataBrowser::attached(CViewContainer* parent)
{
    CViewContainer::attached(parent);
    if (delegate)
        delegate->dbAttached(this);
    recalculateLayout(true);
    return true;
}

bool CDataBrowser::removed(CViewContainer* parent)
{
    if (delegate)
        delegate->dbRemoved(this);
    return CViewContainer::removed(parent);
}

CRect CDataBrowser::getVisibleSize() const
{
    CRect visible(0, 0, getWidth(), getHeight());
    if (verticalBar)
        visible.right -= scrollbarWidth;
    if (horizontalBar)
        visible.bottom -= scrollbarWidth;
    if (visible.right < 0)
        visible.right = 0;
    if (visible.bottom < 0)
        visible.bottom = 0;
    return visible;
}

void CDataBrowser::layoutScrollbars()
{
    const CRect visible = getVisibleSize();
    if (verticalBar)
        verticalBar->setViewSize(CRect(visible.right, 0, getWidth(), visible.bottom), false);
    if (horizontalBar)
        horizontalBar->setViewSize(CRect(0, visible.bottom, visible.right, getHeight()), false);
}

int32_t CDataBrowser::rowCount() const
{
    return rows;
}

void CDataBrowser::recalculateLayout(bool rememberSelection)
{
    rows = delegate ? std::max(0, delegate->dbGetNumRows(this)) : 0;
    const CCoord askedHeight = delegate ? delegate->dbGetRowHeight(this) : 20;
    rowHeight = (askedHeight >= 1 && std::isfinite(askedHeight)) ? askedHeight : 20;
    const CRect visible = getVisibleSize();
    const CCoord askedWidth = delegate ? delegate->dbGetCurrentColumnWidth(0, this) : 0;
    contentWidth = std::max(visible.getWidth(), std::isfinite(askedWidth) ? askedWidth : 0);
    layoutScrollbars();
    if (!rememberSelection)
        unselectAll();
    else if (selectedRow >= rows)
        setSelectedRow(kNoSelection);
    setScrollOffset(scrollOffset);  // clamps to the new content size
    updateScrollbars();
    setDirty(true);
}

void CDataBrowser::updateScrollbars()
{
    const CRect visible = getVisibleSize();
    const CCoord contentHeight = rows * rowHeight;
    if (verticalBar) {
        verticalBar->setScrollLengths(contentHeight, visible.getHeight());
        const CCoord free = contentHeight - visible.getHeight();
        verticalBar->setValue(free > 0 ? float(scrollOffset.y / free) : 0.f);
    }
    if (horizontalBar) {
        horizontalBar->setScrollLengths(contentWidth, visible.getWidth());
        const CCoord free = contentWidth - visible.getWidth();
        horizontalBar->setValue(free > 0 ? float(scrollOffset.x / free) : 0.f);
    }
}

void CDataBrowser::setScrollOffset(CPoint offset)
{
    const CRect visible = getVisibleSize();
    const CCoord maxY = std::max<CCoord>(0, rows * rowHeight - visible.getHeight());
    const CCoord maxX = std::max<CCoord>(0, contentWidth - visible.getWidth());
    offset.x = std::isfinite(offset.x) ? std::clamp<CCoord>(offset.x, 0, maxX) : 0;
    offset.y = std::isfinite(offset.y) ? std::clamp<CCoord>(offset.y, 0, maxY) : 0;
    if (offset == scrollOffset)
        return;
    scrollOffset = offset;
    updateScrollbars();
    setDirty(true);
}

void CDataBrowser::valueChanged(CControl* control)
{
    const CRect visible = getVisibleSize();
    CPoint offset = scrollOffset;
    if (control == verticalBar)
        offset.y = control->getValue() * std::max<CCoord>(0, rows * rowHeight - visible.getHeight());
    else if (control == horizontalBar)
        offset.x = control->getValue() * std::max<CCoord>(0, contentWidth - visible.getWidth());
    setScrollOffset(offset);
}

void CDataBrowser::unselectAll()
{
    setSelectedRow(kNoSelection);
}

void CDataBrowser::setSelectedRow(int32_t row, bool makeVisible)
{
    if (row < 0 || row >= rows)
        row = kNoSelection;
    if (row != selectedRow) {
        selectedRow = row;
        setDirty(true);
        remember();  // the delegate's listener may rebuild the view tree
        if (delegate)
            delegate->dbSelectionChanged(this);
        forget();
    }
    if (makeVisible && row != kNoSelection)
        makeRowVisible(row);
}

void CDataBrowser::makeRowVisible(int32_t row)
{
    if (row < 0 || row >= rows)
        return;
    const CRect visible = getVisibleSize();
    const CCoord top = row * rowHeight;
    const CCoord bottom = top + rowHeight;
    CPoint offset = scrollOffset;
    if (top < offset.y)
        offset.y = top;
    else if (bottom > offset.y + visible.getHeight())
        offset.y = bottom - visible.getHeight();
    setScrollOffset(offset);
}

int32_t CDataBrowser::getRowAt(const CPoint& local) const
{
    if (!getVisibleSize().pointInside(local) || rowHeight <= 0)
        return kNoSelection;
    const auto row = int32_t(std::floor((local.y + scrollOffset.y) / rowHeight));
    return row >= 0 && row < rows ? row : kNoSelection;
}

CRect CDataBrowser::getCellBounds(int32_t row, int32_t) const
{
    const CCoord top = row * rowHeight - scrollOffset.y;
    return CRect(-scrollOffset.x, top, contentWidth - scrollOffset.x, top + rowHeight);
}

void CDataBrowser::drawRect(CDrawContext* context, const CRect& updateRect)
{
    drawBackgroundRect(context, updateRect);
    context->saveGlobalState();
    context->translate(size.left, size.top);
    const CRect visible = getVisibleSize();

    context->saveGlobalState();
    context->clipRect(visible);
    if (rowHeight > 0 && rows > 0 && delegate) {
        const auto first = int32_t(std::floor(scrollOffset.y / rowHeight));
        const auto last = std::min<int32_t>(
            rows - 1, int32_t(std::floor((scrollOffset.y + visible.getHeight()) / rowHeight)));
        CCoord lineWidth = 1;
        CColor lineColour;
        const bool lines = (style & kDrawRowLines) &&
                           delegate->dbGetLineWidthAndColor(lineWidth, lineColour, this);
        for (int32_t row = std::max(0, first); row <= last; ++row) {
            const CRect cell = getCellBounds(row);
            const int32_t flags = row == selectedRow ? IDataBrowserDelegate::kRowSelected : 0;
            context->saveGlobalState();
            context->clipRect(cell);
            delegate->dbDrawCell(context, cell, row, 0, flags, this);
            context->restoreGlobalState();
            if (lines && lineColour.alpha > 0) {
                context->setDrawMode(kAliasing);
                context->setLineStyle(kLineSolid);
                context->setLineWidth(lineWidth);
                context->setFrameColor(lineColour);
                context->drawLine(CPoint(cell.left, cell.bottom - 1),
                                  CPoint(cell.right, cell.bottom - 1));
            }
        }
    }
    context->restoreGlobalState();

    for (CView* child : children) {
        if (!child->isVisible())
            continue;
        context->saveGlobalState();
        child->drawRect(context, child->getViewSize());
        context->restoreGlobalState();
    }
    if (!(style & kDontDrawFrame) && frameColour.alpha > 0) {
        context->setDrawMode(kAliasing);
        context->setLineStyle(kLineSolid);
        context->setLineWidth(1);
        context->setFrameColor(frameColour);
        context->drawRect(CRect(0, 0, getWidth(), getHeight()), kDrawStroked);
    }
    context->restoreGlobalState();
    CView::setDirty(false);
}

CMouseEventResult CDataBrowser::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    CPoint local = where;
    local.offset(-size.left, -size.top);
    if (!getVisibleSize().pointInside(local))
        return CViewContainer::onMouseDown(where, buttons);  // the scrollbars
    if (!buttons.isLeftButton())
        return kMouseEventNotHandled;
    const int32_t row = getRowAt(local);
    if (row == kNoSelection)
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    if (delegate) {
        const CMouseEventResult result = delegate->dbOnMouseDown(local, buttons, row, 0, this);
        if (result != kMouseEventNotHandled && result != kMouseEventNotImplemented)
            return result;
    }
    setSelectedRow(row);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

UTF8String CDataBrowser::getTooltipText(const CPoint& where) const
{
    CPoint local = where;
    local.offset(-size.left, -size.top);
    const int32_t row = getRowAt(local);
    if (row == kNoSelection || !delegate)
        return CViewContainer::getTooltipText(where);
    return delegate->dbGetCellTooltip(row, 0, const_cast<CDataBrowser*>(this));
}

bool CDataBrowser::onWheel(const CPoint&, const CMouseWheelAxis& axis, const float& distance,
                           const CButtonState& buttons)
{
    if (distance == 0.f || !std::isfinite(distance))
        return false;
    // Three rows per notch; Shift turns the vertical wheel sideways.
    const CCoord step = distance * rowHeight * 3;
    CPoint offset = scrollOffset;
    if (axis == kMouseWheelAxisX || (buttons & kShift))
        offset.x -= step;
    else
        offset.y -= step;
    setScrollOffset(offset);
    return true;
}

int32_t CDataBrowser::onKeyDown(VstKeyCode& key)
{
    if (delegate && delegate->dbOnKeyDown(key, this) == 1)
        return 1;
    if (rows == 0)
        return -1;
    const auto page = std::max<int32_t>(1, int32_t(getVisibleSize().getHeight() / rowHeight) - 1);
    int32_t row = selectedRow;
    switch (key.virt) {
        case VKEY_UP: row = row == kNoSelection ? rows - 1 : std::max(0, row - 1); break;
        case VKEY_DOWN: row = row == kNoSelection ? 0 : std::min(rows - 1, row + 1); break;
        case VKEY_PAGEUP: row = std::max(0, (row == kNoSelection ? 0 : row) - page); break;
        case VKEY_PAGEDOWN: row = std::min(rows - 1, (row == kNoSelection ? 0 : row) + page); break;
        case VKEY_HOME: row = 0; break;
        case VKEY_END: row = rows - 1; break;
        default: return -1;
    }
    setSelectedRow(row, true);
    return 1;
}

}  // namespace VSTGUI

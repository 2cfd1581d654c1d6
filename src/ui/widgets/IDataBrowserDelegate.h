// What a data browser asks of its content: rows, columns, sizes, cell drawing, mouse and key
// handling, selection changes. UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CBaseObject.h"
#include "ui/widgets/CColor.h"
#include "ui/widgets/CGeometry.h"
#include "ui/widgets/Events.h"

namespace VSTGUI {

class CDataBrowser;
class CDrawContext;

class IDataBrowserDelegate
{
public:
    enum DrawCellFlags
    {
        kRowSelected = 1 << 1,
    };

    virtual ~IDataBrowserDelegate() = default;
    virtual int32_t dbGetNumRows(CDataBrowser* browser) = 0;
    virtual int32_t dbGetNumColumns(CDataBrowser* browser) = 0;
    virtual CCoord dbGetCurrentColumnWidth(int32_t index, CDataBrowser* browser) = 0;
    virtual CCoord dbGetRowHeight(CDataBrowser* browser) = 0;
    // Row separator lines; false: none.
    virtual bool dbGetLineWidthAndColor(CCoord& width, CColor& colour, CDataBrowser* browser) = 0;
    virtual void dbDrawCell(CDrawContext* context, const CRect& size, int32_t row, int32_t column,
                            int32_t flags, CDataBrowser* browser) = 0;
    // kMouseEventNotHandled lets the browser select the row.
    virtual CMouseEventResult dbOnMouseDown(const CPoint& where, const CButtonState& buttons,
                                            int32_t row, int32_t column, CDataBrowser* browser) = 0;
    virtual void dbSelectionChanged(CDataBrowser* browser) = 0;
    // 1 when the key was used; -1 lets the browser handle it.
    virtual int32_t dbOnKeyDown(const VstKeyCode& key, CDataBrowser* browser) = 0;
    virtual void dbAttached(CDataBrowser* browser) = 0;
    virtual void dbRemoved(CDataBrowser* browser) = 0;
    // The tooltip of a cell (its whole text where the cell shows it shortened); empty: none.
    virtual UTF8String dbGetCellTooltip(int32_t row, int32_t column, CDataBrowser* browser) = 0;
};

// Neutral answers for every operation, so a delegate writes only what it needs.
class DataBrowserDelegateAdapter : public IDataBrowserDelegate
{
public:
    int32_t dbGetNumRows(CDataBrowser*) override { return 0; }
    int32_t dbGetNumColumns(CDataBrowser*) override { return 1; }
    CCoord dbGetCurrentColumnWidth(int32_t, CDataBrowser*) override { return 100; }
    CCoord dbGetRowHeight(CDataBrowser*) override { return 20; }
    bool dbGetLineWidthAndColor(CCoord&, CColor&, CDataBrowser*) override { return false; }
    void dbDrawCell(CDrawContext*, const CRect&, int32_t, int32_t, int32_t, CDataBrowser*) override {}
    CMouseEventResult dbOnMouseDown(const CPoint&, const CButtonState&, int32_t, int32_t,
                                    CDataBrowser*) override
    {
        return kMouseEventNotHandled;
    }
    void dbSelectionChanged(CDataBrowser*) override {}
    int32_t dbOnKeyDown(const VstKeyCode&, CDataBrowser*) override { return -1; }
    void dbAttached(CDataBrowser*) override {}
    void dbRemoved(CDataBrowser*) override {}
    UTF8String dbGetCellTooltip(int32_t, int32_t, CDataBrowser*) override { return {}; }
};

}  // namespace VSTGUI

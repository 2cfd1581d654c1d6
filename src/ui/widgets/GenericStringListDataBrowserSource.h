// A data-browser delegate that shows a list of strings, one per row, in a single column as
// wide as the browser (a row that does not fit ends in "…" and has its whole text as
// tooltip), reports selection changes to a listener, and selects rows by typing: typed
// characters (within a second of each other) jump to the next row whose search text starts
// with them, ignoring ASCII case; the same letter again goes on to the next such row.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CBaseObject.h"
#include "ui/widgets/CFontDesc.h"
#include "ui/widgets/IDataBrowserDelegate.h"

#include <chrono>
#include <functional>
#include <vector>

namespace VSTGUI {

class GenericStringListDataBrowserSource;

// The text colour for a selected row: `text` itself, unless it is too close in brightness to
// the selection colour `back` to be read; then black or white, whichever stands out.
CColor readableOn(const CColor& back, const CColor& text);

class IGenericStringListDataBrowserSourceSelectionChanged
{
public:
    virtual ~IGenericStringListDataBrowserSourceSelectionChanged() = default;
    // `selectedRow` is -1 when the selection was cleared.
    virtual void dbSelectionChanged(int32_t selectedRow,
                                    GenericStringListDataBrowserSource* source) = 0;
};

class GenericStringListDataBrowserSource : public DataBrowserDelegateAdapter, public CBaseObject
{
public:
    using StringVector = std::vector<UTF8String>;
    // The part of a row that typing matches; by default the whole row.
    using SearchText = std::function<UTF8String(const UTF8String& row)>;

    // The list is read in place, not copied: it must outlive the source or be replaced.
    explicit GenericStringListDataBrowserSource(
        const StringVector* stringList,
        IGenericStringListDataBrowserSourceSelectionChanged* delegate = nullptr);

    void setStringList(const StringVector* stringList);
    const StringVector* getStringList() const { return strings; }
    // rowHeight < 0: derived from the font.
    void setupUI(const CColor& selectionColor, const CColor& fontColor,
                 const CColor& rowlineColor, const CColor& rowBackColor,
                 const CColor& rowAlternateBackColor, CFontRef font = nullptr,
                 int32_t rowHeight = -1, CCoord textInset = 2.);

    void setSearchText(SearchText function) { searchText = std::move(function); }

    CDataBrowser* getDataBrowser() const { return browser; }
    CFontRef getFont() const { return font.get(); }
    CColor getSelectionColor() const { return selectionColour; }

    int32_t dbGetNumRows(CDataBrowser* browser) override;
    int32_t dbGetNumColumns(CDataBrowser* browser) override;
    CCoord dbGetCurrentColumnWidth(int32_t index, CDataBrowser* browser) override;
    CCoord dbGetRowHeight(CDataBrowser* browser) override;
    bool dbGetLineWidthAndColor(CCoord& width, CColor& colour, CDataBrowser* browser) override;
    void dbDrawCell(CDrawContext* context, const CRect& size, int32_t row, int32_t column,
                    int32_t flags, CDataBrowser* browser) override;
    void dbSelectionChanged(CDataBrowser* browser) override;
    int32_t dbOnKeyDown(const VstKeyCode& key, CDataBrowser* browser) override;
    void dbAttached(CDataBrowser* browser) override;
    void dbRemoved(CDataBrowser* browser) override;
    UTF8String dbGetCellTooltip(int32_t row, int32_t column, CDataBrowser* browser) override;

private:
    const StringVector* strings;
    IGenericStringListDataBrowserSourceSelectionChanged* delegate;
    CDataBrowser* browser = nullptr;
    SharedPointer<CFontDesc> font;
    CColor selectionColour{0, 0, 255, 255};
    CColor fontColour = kBlackCColor;
    CColor rowlineColour = kGreyCColor;
    CColor rowBackColour = kWhiteCColor;
    CColor rowAlternateBackColour = kWhiteCColor;
    int32_t rowHeight = -1;
    CCoord textInset = 2.;
    SearchText searchText;
    UTF8String typed;  // the characters typed so far
    std::chrono::steady_clock::time_point lastTyped;
};

}  // namespace VSTGUI

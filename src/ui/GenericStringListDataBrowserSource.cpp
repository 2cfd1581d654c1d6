#include "ui/GenericStringListDataBrowserSource.h"

#include "ui/CDataBrowser.h"
#include "ui/CDrawContext.h"

#include "ui/MeasureContext.h"

#include <cmath>

namespace VSTGUI {

GenericStringListDataBrowserSource::GenericStringListDataBrowserSource(
    const StringVector* stringList, IGenericStringListDataBrowserSourceSelectionChanged* delegate)
    : strings(stringList), delegate(delegate), font(shared(kSystemFont))
{
}

void GenericStringListDataBrowserSource::setStringList(const StringVector* stringList)
{
    strings = stringList;
    if (browser)
        browser->recalculateLayout(false);
}

void GenericStringListDataBrowserSource::setupUI(const CColor& selectionColor,
                                                 const CColor& fontColor,
                                                 const CColor& rowlineColor,
                                                 const CColor& rowBackColor,
                                                 const CColor& rowAlternateBackColor,
                                                 CFontRef newFont, int32_t newRowHeight,
                                                 CCoord newTextInset)
{
    selectionColour = selectionColor;
    fontColour = fontColor;
    rowlineColour = rowlineColor;
    rowBackColour = rowBackColor;
    rowAlternateBackColour = rowAlternateBackColor;
    font = shared(newFont ? newFont : kSystemFont);
    rowHeight = newRowHeight;
    textInset = std::isfinite(newTextInset) && newTextInset >= 0 ? newTextInset : 0;
    if (browser)
        browser->recalculateLayout(true);
}

int32_t GenericStringListDataBrowserSource::dbGetNumRows(CDataBrowser*)
{
    return strings ? int32_t(strings->size()) : 0;
}

int32_t GenericStringListDataBrowserSource::dbGetNumColumns(CDataBrowser*)
{
    return 1;
}

CCoord GenericStringListDataBrowserSource::dbGetCurrentColumnWidth(int32_t, CDataBrowser* db)
{
    // As wide as the widest row, so long names can be scrolled into view sideways.
    CCoord widest = 0;
    if (strings && !strings->empty()) {
        MeasureContext scratch;
        CDrawContext& context = scratch.context();
        context.setFont(font.get());
        for (const UTF8String& text : *strings)
            widest = std::max(widest, context.getStringWidth(text.c_str()));
    }
    const CCoord visible = db ? db->getVisibleSize().getWidth() : 0;
    return std::max(visible, std::ceil(widest + 2 * textInset));
}

CCoord GenericStringListDataBrowserSource::dbGetRowHeight(CDataBrowser*)
{
    if (rowHeight > 0)
        return rowHeight;
    // Automatic: the font's line height plus the inset above and below.
    MeasureContext scratch;
    CDrawContext& context = scratch.context();
    context.setFont(font.get());
    return std::ceil(context.getFontHeight() + 2 * textInset);
}

bool GenericStringListDataBrowserSource::dbGetLineWidthAndColor(CCoord& width, CColor& colour,
                                                                CDataBrowser*)
{
    width = 1;
    colour = rowlineColour;
    return true;
}

namespace {
// Relative luminance of a colour (sRGB weights on the byte values), 0..1.
double luminance(const CColor& colour)
{
    return (0.2126 * colour.red + 0.7152 * colour.green + 0.0722 * colour.blue) / 255.0;
}
}  // namespace

CColor readableOn(const CColor& back, const CColor& text)
{
    // Text too close in brightness to an opaque selection would vanish into it.
    if (back.alpha < 128 || std::fabs(luminance(back) - luminance(text)) >= 0.35)
        return text;
    return luminance(back) > 0.5 ? CColor(0, 0, 0, 255) : CColor(255, 255, 255, 255);
}

void GenericStringListDataBrowserSource::dbDrawCell(CDrawContext* context, const CRect& size,
                                                    int32_t row, int32_t, int32_t flags,
                                                    CDataBrowser*)
{
    if (!strings || row < 0 || row >= int32_t(strings->size()))
        return;
    const CColor back = (flags & kRowSelected) ? selectionColour
                        : (row % 2 == 1)        ? rowAlternateBackColour
                                                : rowBackColour;
    context->setDrawMode(kAliasing);
    if (back.alpha > 0) {
        context->setFillColor(back);
        context->drawRect(size, kDrawFilled);
    }
    CRect textRect = size;
    textRect.inset(textInset, 0);
    context->setFont(font.get());
    context->setFontColor((flags & kRowSelected) ? readableOn(selectionColour, fontColour) : fontColour);
    context->drawString((*strings)[size_t(row)].c_str(), textRect, kLeftText);
}

void GenericStringListDataBrowserSource::dbSelectionChanged(CDataBrowser* db)
{
    if (delegate && db)
        delegate->dbSelectionChanged(db->getSelectedRow(), this);
}

void GenericStringListDataBrowserSource::dbAttached(CDataBrowser* db)
{
    browser = db;
}

void GenericStringListDataBrowserSource::dbRemoved(CDataBrowser* db)
{
    if (browser == db)
        browser = nullptr;
}

}  // namespace VSTGUI

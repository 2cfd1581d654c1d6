#include "ui/widgets/GenericStringListDataBrowserSource.h"

#include "ui/widgets/CDataBrowser.h"
#include "ui/widgets/CDrawContext.h"

#include "ui/widgets/MeasureContext.h"
#include "ui/widgets/TextFitting.h"

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
    // As wide as the browser: rows that do not fit end in "…", nothing scrolls sideways.
    return db ? db->getVisibleSize().getWidth() : 0;
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
    const UTF8String shown = elideEnd((*strings)[size_t(row)], textRect.getWidth(), [context](const UTF8String& t) {
        return context->getStringWidth(t.c_str());
    });
    context->drawString(shown.c_str(), textRect, kLeftText);
}

UTF8String GenericStringListDataBrowserSource::dbGetCellTooltip(int32_t row, int32_t, CDataBrowser* db)
{
    if (!strings || !db || row < 0 || row >= int32_t(strings->size()))
        return {};
    const UTF8String& text = (*strings)[size_t(row)];
    MeasureContext scratch;
    scratch.context().setFont(font.get());
    const CCoord room = db->getVisibleSize().getWidth() - 2 * textInset;
    return scratch.context().getStringWidth(text.c_str()) > room ? text : UTF8String();
}

namespace {
bool startsWithIgnoringAsciiCase(const UTF8String& text, const UTF8String& prefix)
{
    if (prefix.size() > text.size())
        return false;
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < prefix.size(); ++i)
        if (fold(text[i]) != fold(prefix[i]))
            return false;
    return true;
}
}  // namespace

int32_t GenericStringListDataBrowserSource::dbOnKeyDown(const VstKeyCode& key, CDataBrowser* db)
{
    const UTF8String character = characterText(key.character);
    if (!db || !strings || strings->empty() || character.empty() ||
        (key.virt != VKEY_NONE && key.virt != VKEY_SPACE) ||
        (key.modifier & (MODIFIER_CONTROL | MODIFIER_COMMAND | MODIFIER_ALTERNATE)))
        return -1;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastTyped > std::chrono::seconds(1))
        typed.clear();
    lastTyped = now;
    typed += character;

    // One character, or the same one again and again: the next matching row after the
    // selection. A longer prefix may still match the selected row itself.
    bool repeated = typed.size() > character.size() && typed.size() % character.size() == 0;
    for (size_t i = 0; repeated && i < typed.size(); i += character.size())
        repeated = typed.compare(i, character.size(), character) == 0;
    const UTF8String prefix = repeated ? character : typed;
    const auto rows = int32_t(strings->size());
    const int32_t selected = db->getSelectedRow();
    const int32_t from = (prefix.size() == typed.size() && typed.size() > character.size())
                             ? std::max(selected, 0)
                             : selected + 1;
    for (int32_t i = 0; i < rows; ++i) {
        const int32_t row = (from + i) % rows;
        const UTF8String& text = (*strings)[size_t(row)];
        if (startsWithIgnoringAsciiCase(searchText ? searchText(text) : text, prefix)) {
            db->setSelectedRow(row, true);
            return 1;
        }
    }
    return 1;  // no match: the selection stays
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

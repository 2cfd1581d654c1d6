#include "editor/CListBox.h"

namespace Steinberg {
namespace Vst {

CListBox::CListBox(const std::vector<::VSTGUI::UTF8String>& rows, ::VSTGUI::CDataBrowser* browser,
                   ::VSTGUI::GenericStringListDataBrowserSource* source)
    : strings(rows), source(source), browser(browser)
{
    if (browser) {
        if (auto* bar = browser->getVerticalScrollbar())
            bar->setDrawer(&drawer);
        if (auto* bar = browser->getHorizontalScrollbar())
            bar->setDrawer(&drawer);
    }
    if (source)
        source->setStringList(&strings);
}

CListBox::~CListBox()
{
    strings.clear();
}

void CListBox::setRows(const std::vector<::VSTGUI::UTF8String>& rows)
{
    strings = rows;
    if (browser)
        browser->recalculateLayout(false);
}

} // namespace Vst
} // namespace Steinberg

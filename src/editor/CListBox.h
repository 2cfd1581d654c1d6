#pragma once
// A list box of the editor: the row texts, the data browser showing them, its data source and
// the drawer of its scrollbars. The editor keeps each list box alive as long as its frame, since
// the browser's scrollbars draw through the list box's drawer.
// Threads: the host's UI thread only. Not real-time safe.
#include "editor/CScrollbarDrawer.h"
#include "ui/widgets/CDataBrowser.h"
#include "ui/widgets/GenericStringListDataBrowserSource.h"

#include <vector>

namespace Steinberg {
namespace Vst {

class CListBox : public ::VSTGUI::CBaseObject
{
public:
    // Takes a copy of the rows; the source reads `strings` in place from then on.
    CListBox(const std::vector<::VSTGUI::UTF8String>& rows, ::VSTGUI::CDataBrowser* browser,
             ::VSTGUI::GenericStringListDataBrowserSource* source);
    ~CListBox() override;

    // Replaces the rows in place and lets the browser lay them out anew (selection cleared).
    void setRows(const std::vector<::VSTGUI::UTF8String>& rows);

    std::vector<::VSTGUI::UTF8String> strings;
    ::VSTGUI::GenericStringListDataBrowserSource* source;   // held by the browser
    ::VSTGUI::CDataBrowser* browser;                         // owned by the frame
    ::VSTGUI::CScrollbarDrawer drawer;
};

} // namespace Vst
} // namespace Steinberg

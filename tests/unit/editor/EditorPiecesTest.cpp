// The editor's frame-free pieces: how presets become sorted rows, what the bend-range field
// reads, where the file dialog starts, and how the list's scrollbars are painted.
#include "editor/BendRangeText.h"
#include "editor/CScrollbarDrawer.h"
#include "editor/InitialFolder.h"
#include "editor/PresetList.h"
#include "platform/Text.h"
#include "support/SoundFontWriter.h"
#include "ui/widgets/CDrawContext.h"
#include "ui/widgets/OffscreenImage.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {
std::u16string writeFont(const SoundFontSpec& spec, const std::string& name)
{
    const std::string path = "/tmp/zephra_editor_" + std::to_string(getpid()) + "_" + name;
    writeFile(path, buildSoundFont(spec));
    return std::u16string(path.begin(), path.end());
}

SoundFontSpec fontWithPresets(const std::vector<PresetSpec>& presets)
{
    SoundFontSpec spec;
    SampleSpec sample;
    sample.points.assign(200, 1000);
    spec.samples.push_back(sample);
    spec.instruments.push_back({"i", {{{}, {}, 0}}});
    spec.presets = presets;
    for (PresetSpec& preset : spec.presets)
        preset.zones = {{{}, {}, 0}};
    return spec;
}
} // namespace

TEST(PresetRows, SortByTextWithEqualRowsMappedToTheLaterPreset)
{
    // Bank 1000 has four digits and sorts before bank 128 as text.
    const std::u16string path = writeFont(
        fontWithPresets({{"Piano", 0, 0, {}}, {"Drums", 0, 128, {}}, {"Twin", 3, 0, {}},
                         {"Twin", 3, 0, {}}, {"Far", 2, 1000, {}}, {"Organ", 5, 0, {}}}),
        "rows.sf2");
    const PresetList list = buildPresetList(path);
    EXPECT_EQ(list.status, FontStatus::listed);
    EXPECT_EQ(list.rows, (std::vector<std::string>{"000:000 - Piano", "000:003 - Twin", "000:003 - Twin",
                                                   "000:005 - Organ", "1000:002 - Far", "128:000 - Drums"}));
    EXPECT_EQ(list.rowToPreset, (std::map<int32_t, int32_t>{{0, 0}, {1, 3}, {3, 5}, {4, 4}, {5, 1}}))
        << "the second of two equal rows loads nothing";
    std::remove(std::string(path.begin(), path.end()).c_str());

    const std::u16string empty = writeFont(fontWithPresets({}), "empty.sf2");
    EXPECT_TRUE(buildPresetList(empty).rows.empty());
    EXPECT_EQ(buildPresetList(empty).status, FontStatus::listed);
    std::remove(std::string(empty.begin(), empty.end()).c_str());
    EXPECT_EQ(buildPresetList(u"/nonexistent/x.sf2").status, FontStatus::missing);
    EXPECT_EQ(buildPresetList(u"/tmp").status, FontStatus::notSoundFont);
    EXPECT_EQ(buildPresetList(u"").status, FontStatus::noPath);

    const char twentyChars[20] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J',
                                  'K', 'L', 'M', 'N', 'O', 'P', 'Q', 'R', 'S', 'T'};
    EXPECT_EQ(presetRowText(65535, 7, twentyChars), "65535:007 - ABCDEFGHIJKLMNOPQRST");
}

TEST(BendRangeText, ReadsTheLeadingNumberLimitedToTwelveSemitones)
{
    EXPECT_FLOAT_EQ(bendRangeFromText("15"), 1.f);
    EXPECT_FLOAT_EQ(bendRangeFromText("2.5 st"), 2.5f * 0.083333336f);
    EXPECT_FLOAT_EQ(bendRangeFromText(" 7"), 7 * 0.083333336f);
    for (const char* zero : std::initializer_list<const char*>{"abc", "-3", "", "nan", nullptr})
        EXPECT_EQ(bendRangeFromText(zero), 0.f) << (zero ? zero : "null");
}

TEST(InitialFolder, TakesTheFirstFolderThatExists)
{
    EXPECT_EQ(initialFontFolder("/tmp/song.sf2", "/usr/", {"/"}, "/"), "/tmp/");
    EXPECT_EQ(initialFontFolder("/gone/song.sf2", "/gone/presets/", {"/tmp"}, "/"), "/tmp");
    // A system with only compressed fonts installed opens their folder.
    EXPECT_EQ(initialFontFolder("", "", {"/nonexistent/sf2", "/usr"}, "/"), "/usr");
    EXPECT_EQ(initialFontFolder("", "", {"/nonexistent"}, "/"), "/");
    EXPECT_EQ(initialFontFolder("", "", {}, ""), "");
}

TEST(ScrollbarDrawer, TrackOnWholePixelsWithOutlineAndScrollerInItsColour)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 40);
    cairo_t* cairo = cairo_create(surface);
    {
        ::VSTGUI::CDrawContext context(cairo);
        ::VSTGUI::CScrollbarDrawer drawer;
        drawer.backColour = {0, 0, 255, 255};
        drawer.scrollerColour = {0, 255, 0, 255};
        drawer.drawScrollbarBackground(&context, {2.3, 2.3, 18.6, 38.6}, 1, nullptr);
        drawer.drawScrollbarScroller(&context, {6, 10, 14, 20}, 1, nullptr);
        EXPECT_EQ(context.getLineStyle(), ::VSTGUI::kLineSolid);
        EXPECT_FALSE(context.getDrawMode().integralMode()) << "the scroller keeps its exact place";
    }
    cairo_destroy(cairo);
    cairo_surface_flush(surface);
    auto pixel = [&](int x, int y) {
        return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) +
                                                 y * cairo_image_surface_get_stride(surface))[x];
    };
    EXPECT_EQ(pixel(4, 30), 0xFF0000FFu) << "track fill";
    EXPECT_EQ(pixel(10, 15), 0xFF00FF00u) << "scroller fill";
    EXPECT_EQ(pixel(2, 30) >> 24, 0xFFu) << "the track outline lies on a whole pixel";
    cairo_surface_destroy(surface);
}

TEST(PresetRows, LoadingLineNamesTheFileAndTypingMatchesTheName)
{
    EXPECT_EQ(loadingLabelText(u"/fonts/Grand Piano.sf3"), "Loading Grand Piano.sf3\xE2\x80\xA6");
    EXPECT_EQ(loadingLabelText(pathFromBytes("/x/Fl\xFCgel.sf2")), "Loading Fl\xEF\xBF\xBDgel.sf2\xE2\x80\xA6");
    EXPECT_EQ(presetNameOfRow("000:005 - Organ - Full"), "Organ - Full");
    EXPECT_EQ(presetNameOfRow("odd"), "odd");
}

// Guards against the cairo context's error state: one bad string once made it draw nothing more.
TEST(TextDrawing, BadBytesLeaveTheCairoContextClean)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100, 20);
    cairo_t* cairo = cairo_create(surface);
    {
        ::VSTGUI::CDrawContext context(cairo);
        for (const char* text : {"\xFF\xFE", "Fl\xFCgel", "\xE3\x83", "\xF0\x9F\x8E\xB9 \xE6\x9C\xA8\n\t"})
            context.drawString(text, ::VSTGUI::CRect(0, 0, 100, 20));
        EXPECT_GT(context.getStringWidth("\xC3("), 0);
    }
    EXPECT_EQ(cairo_status(cairo), CAIRO_STATUS_SUCCESS);
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
}

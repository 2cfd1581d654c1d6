// The string-list data browser: rows, selection and its reports, scrolling by wheel, keys and
// scrollbars, layout recalculation, and drawing through a scrollbar drawer.
#include "UiTestSupport.h"

#include "ui/widgets/CDataBrowser.h"
#include "ui/widgets/CDrawContext.h"
#include "ui/widgets/GenericStringListDataBrowserSource.h"
#include "ui/widgets/OffscreenImage.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace VSTGUI;
using namespace zephra::test;

namespace {

class SelectionRecorder : public IGenericStringListDataBrowserSourceSelectionChanged
{
public:
    void dbSelectionChanged(int32_t row, GenericStringListDataBrowserSource* source) override
    {
        rows.push_back(row);
        sources.push_back(source);
    }
    std::vector<int32_t> rows;
    std::vector<GenericStringListDataBrowserSource*> sources;
};

class FlatDrawer : public IScrollbarDrawer
{
public:
    void drawScrollbarBackground(CDrawContext* context, const CRect& size, int32_t direction,
                                 CScrollbar*) override
    {
        ++backgrounds[direction];
        context->setDrawMode(kAliasing);
        context->setLineWidth(1);
        context->setLineStyle(kLineSolid);
        context->setFillColor(CColor(255, 255, 255, 255));
        context->setFrameColor(CColor(0, 0, 0, 255));
        context->drawRect(size, kDrawFilledAndStroked);
    }
    void drawScrollbarScroller(CDrawContext* context, const CRect& size, int32_t direction,
                               CScrollbar*) override
    {
        ++scrollers[direction];
        lastScroller[direction] = size;
        context->setLineWidth(1);
        context->setFillColor(CColor(255, 0, 0, 255));
        context->setFrameColor(CColor(0, 0, 0, 255));
        context->setDrawMode(kNonIntegralMode);
        context->drawRect(size, kDrawFilledAndStroked);
    }
    int backgrounds[2] = {0, 0};
    int scrollers[2] = {0, 0};
    CRect lastScroller[2];
};

std::vector<UTF8String> numberedRows(int count)
{
    std::vector<UTF8String> rows;
    for (int i = 0; i < count; ++i) {
        char text[48];   // room for any int twice
        std::snprintf(text, sizeof text, "000:%03d - Preset %d", i, i);
        rows.emplace_back(text);
    }
    return rows;
}

// A 195 x 300 browser with both scrollbars, like the player's preset list.
class DataBrowserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        strings = numberedRows(200);
        source = new GenericStringListDataBrowserSource(nullptr, &recorder);
        source->setupUI(CColor(0, 255, 0, 255), kBlackCColor, kGreyCColor, kTransparentCColor,
                        kTransparentCColor, nullptr, -1, 2);
        browser = new CDataBrowser(CRect(25, 125, 220, 425), source,
                                   CDataBrowser::kHorizontalScrollbar | CDataBrowser::kVerticalScrollbar,
                                   16);
        frame->addView(browser);
        browser->getVerticalScrollbar()->setDrawer(&drawer);
        browser->getHorizontalScrollbar()->setDrawer(&drawer);
        source->setStringList(&strings);
        browser->recalculateLayout(false);
        source->forget();
    }

    std::vector<UTF8String> strings;
    SelectionRecorder recorder;
    FlatDrawer drawer;
    TestFrame frame{nullptr, 681, 441};
    GenericStringListDataBrowserSource* source = nullptr;
    CDataBrowser* browser = nullptr;
};

}  // namespace

TEST_F(DataBrowserTest, AutomaticRowHeightFitsTheFont)
{
    EXPECT_GE(browser->getRowHeight(), 12 + 4);
    EXPECT_LE(browser->getRowHeight(), 30);
}

TEST_F(DataBrowserTest, ClickSelectsTheRowUnderThePointerAndReportsIt)
{
    const CCoord h = browser->getRowHeight();
    frame.click(60, 125 + 2 * h + h / 2);
    EXPECT_EQ(browser->getSelectedRow(), 2);
    ASSERT_EQ(recorder.rows, std::vector<int32_t>{2});
    EXPECT_EQ(recorder.sources[0], source);
}

TEST_F(DataBrowserTest, ClearingTheSelectionReportsMinusOne)
{
    browser->setSelectedRow(5);
    browser->recalculateLayout(false);
    EXPECT_EQ(browser->getSelectedRow(), -1);
    EXPECT_EQ(recorder.rows, (std::vector<int32_t>{5, -1}));
}

TEST_F(DataBrowserTest, RecalculateKeepingTheSelectionReportsNothing)
{
    browser->setSelectedRow(5);
    browser->recalculateLayout(true);
    EXPECT_EQ(browser->getSelectedRow(), 5);
    EXPECT_EQ(recorder.rows, std::vector<int32_t>{5});
}

TEST_F(DataBrowserTest, SelectingTheSameRowAgainReportsOnce)
{
    browser->setSelectedRow(7);
    browser->setSelectedRow(7);
    EXPECT_EQ(recorder.rows, std::vector<int32_t>{7});
}

TEST_F(DataBrowserTest, RowsOutsideTheListClearTheSelection)
{
    browser->setSelectedRow(3);
    browser->setSelectedRow(200);
    EXPECT_EQ(browser->getSelectedRow(), -1);
    browser->setSelectedRow(-7);
    EXPECT_EQ(recorder.rows, (std::vector<int32_t>{3, -1}));
}

TEST_F(DataBrowserTest, SetSelectedRowWithoutScrollingLeavesTheOffset)
{
    browser->setSelectedRow(150);
    EXPECT_EQ(browser->getScrollOffset().y, 0);
    browser->setSelectedRow(100, true);
    EXPECT_GT(browser->getScrollOffset().y, 0);
}

TEST_F(DataBrowserTest, MakeRowVisibleScrollsJustEnough)
{
    const CCoord h = browser->getRowHeight();
    const CCoord visible = browser->getVisibleSize().getHeight();
    browser->makeRowVisible(50);
    EXPECT_DOUBLE_EQ(browser->getScrollOffset().y, 51 * h - visible);
    browser->makeRowVisible(10);
    EXPECT_DOUBLE_EQ(browser->getScrollOffset().y, 10 * h);
    browser->makeRowVisible(12);  // already visible: no change
    EXPECT_DOUBLE_EQ(browser->getScrollOffset().y, 10 * h);
    browser->makeRowVisible(199);
    EXPECT_DOUBLE_EQ(browser->getScrollOffset().y, 200 * h - visible);
    EXPECT_FLOAT_EQ(browser->getVerticalScrollbar()->getValue(), 1.f);
}

TEST_F(DataBrowserTest, WheelScrollsThreeRowsPerNotchWithinTheContent)
{
    const CCoord h = browser->getRowHeight();
    frame->platformOnMouseWheel(CPoint(60, 200), kMouseWheelAxisY, -1.f, 0);
    EXPECT_DOUBLE_EQ(browser->getScrollOffset().y, 3 * h);
    frame->platformOnMouseWheel(CPoint(60, 200), kMouseWheelAxisY, 5.f, 0);
    EXPECT_DOUBLE_EQ(browser->getScrollOffset().y, 0);
    for (int i = 0; i < 200; ++i)
        frame->platformOnMouseWheel(CPoint(60, 200), kMouseWheelAxisY, -1.f, 0);
    EXPECT_DOUBLE_EQ(browser->getScrollOffset().y, 200 * h - browser->getVisibleSize().getHeight());
}

TEST_F(DataBrowserTest, ClickAfterScrollingSelectsTheScrolledRow)
{
    const CCoord h = browser->getRowHeight();
    browser->makeRowVisible(120);
    const CCoord offset = browser->getScrollOffset().y;
    frame.click(60, 125 + 5);
    EXPECT_EQ(browser->getSelectedRow(), int32_t(offset / h));
}

TEST_F(DataBrowserTest, DraggingTheVerticalScrollerScrolls)
{
    CScrollbar* bar = browser->getVerticalScrollbar();
    const CRect scroller = bar->getScrollerRect();  // browser-local
    const CCoord x = 25 + scroller.left + 8;
    const CCoord y = 125 + scroller.top + 2;
    frame.drag(x, y, x, y + 100);
    EXPECT_GT(browser->getScrollOffset().y, 0);
    EXPECT_GT(bar->getValue(), 0.f);
    // Dragging far beyond the end stops at the last row.
    frame.drag(x, 125 + bar->getScrollerRect().top + 2, x, 2000);
    EXPECT_FLOAT_EQ(bar->getValue(), 1.f);
    EXPECT_DOUBLE_EQ(browser->getScrollOffset().y,
                     200 * browser->getRowHeight() - browser->getVisibleSize().getHeight());
}

TEST_F(DataBrowserTest, ClickOnTheTrackPagesDown)
{
    frame.click(25 + 195 - 8, 125 + 250);
    EXPECT_NEAR(browser->getScrollOffset().y, browser->getVisibleSize().getHeight(), 0.01);
}

TEST_F(DataBrowserTest, ScrollbarDragIsNotAnEdit)
{
    RecordingEditor editor;
    TestFrame own(&editor, 300, 300);
    auto* s = new GenericStringListDataBrowserSource(&strings);
    auto* b = new CDataBrowser(CRect(0, 0, 200, 200), s, CDataBrowser::kVerticalScrollbar);
    s->forget();
    own->addView(b);
    own.drag(190, 2, 190, 50);
    EXPECT_TRUE(editor.log.empty());
}

TEST_F(DataBrowserTest, UpAndDownKeysMoveTheSelectionAndKeepItVisible)
{
    frame.click(60, 130);  // row 0, focuses the browser
    EXPECT_EQ(frame->getFocusView(), browser);
    for (int i = 0; i < 30; ++i)
        frame.key(VKEY_DOWN);
    EXPECT_EQ(browser->getSelectedRow(), 30);
    const CCoord h = browser->getRowHeight();
    EXPECT_DOUBLE_EQ(browser->getScrollOffset().y, 31 * h - browser->getVisibleSize().getHeight());
    frame.key(VKEY_UP);
    EXPECT_EQ(browser->getSelectedRow(), 29);
    frame.key(VKEY_HOME);
    EXPECT_EQ(browser->getSelectedRow(), 0);
    frame.key(VKEY_UP);
    EXPECT_EQ(browser->getSelectedRow(), 0);
    frame.key(VKEY_END);
    EXPECT_EQ(browser->getSelectedRow(), 199);
    frame.key(VKEY_DOWN);
    EXPECT_EQ(browser->getSelectedRow(), 199);
}

// Guards against long names cut mid-letter with nothing to show it.
TEST_F(DataBrowserTest, LongRowEndsInAnEllipsisHasItsTextAsTooltipAndNothingScrollsSideways)
{
    strings[3] = "000:003 - " + UTF8String(20, 'W');
    browser->recalculateLayout(true);
    EXPECT_EQ(browser->getContentWidth(), browser->getVisibleSize().getWidth());
    frame->platformOnMouseWheel(CPoint(60, 200), kMouseWheelAxisX, -1.f, 0);
    EXPECT_EQ(browser->getScrollOffset().x, 0);
    const CCoord h = browser->getRowHeight();
    EXPECT_EQ(browser->getTooltipText(CPoint(60, 125 + 3.5 * h)), strings[3]);
    EXPECT_EQ(browser->getTooltipText(CPoint(60, 125 + 2.5 * h)), "") << "a row that fits";

    // The row's last ink is the ellipsis: three dots low in the row, nothing above them.
    frame->setBackgroundColor(kWhiteCColor);
    OffscreenImage image = OffscreenImage::render(*frame);
    const int top = int(125 + 3 * h), bottom = int(125 + 4 * h);
    auto ink = [&](int x, int y) { return image.getPixel(x, y).red < 128; };
    int last = 0;
    for (int x = 25; x < 25 + 195 - 16; ++x)
        for (int y = top + 1; y < bottom - 1; ++y)
            last = ink(x, y) ? x : last;
    int upper = 0, lower = 0;
    for (int x = last - 6; x <= last; ++x)
        for (int y = top + 1; y < bottom - 1; ++y)
            (y < top + h * 0.55 ? upper : lower) += ink(x, y);
    EXPECT_EQ(upper, 0);
    EXPECT_GT(lower, 0);
}

TEST_F(DataBrowserTest, TypedLettersSelectTheNextRowWhoseSearchTextStartsWithThem)
{
    strings = {"000:000 - Piano", "000:001 - Organ", "000:002 - piccolo", "000:003 - Oboe"};
    source->setSearchText([](const UTF8String& row) { return row.substr(10); });
    browser->recalculateLayout(false);
    recorder.rows.clear();
    frame.click(60, 130);   // row 0; the list has the keyboard
    frame.type("p");
    EXPECT_EQ(browser->getSelectedRow(), 2) << "the next row, in any case";
    frame.type("p");
    EXPECT_EQ(browser->getSelectedRow(), 0) << "the same letter again goes on, round the end";
    frame.type("i");
    EXPECT_EQ(browser->getSelectedRow(), 0) << "\"ppi\" starts no name: nothing moves";
    frame.key(VKEY_DOWN);
    EXPECT_EQ(browser->getSelectedRow(), 1);
    EXPECT_EQ(recorder.rows, (std::vector<int32_t>{0, 2, 0, 1}));
}

TEST_F(DataBrowserTest, RefilledStringsShowAfterRecalculation)
{
    strings = numberedRows(3);
    browser->makeRowVisible(150);  // beyond the new content: clamped on recalculation
    browser->recalculateLayout(false);
    EXPECT_EQ(browser->getScrollOffset().y, 0);
    EXPECT_EQ(browser->getSelectedRow(), -1);
    browser->setSelectedRow(2);
    EXPECT_EQ(browser->getSelectedRow(), 2);
    browser->setSelectedRow(3);
    EXPECT_EQ(browser->getSelectedRow(), -1);
}

TEST_F(DataBrowserTest, DrawsSelectionRowsAndScrollbarsThroughTheDrawer)
{
    frame->setBackgroundColor(kWhiteCColor);
    browser->setSelectedRow(1);
    OffscreenImage image = OffscreenImage::render(*frame);
    const CCoord h = browser->getRowHeight();
    // Selected row 1 is green where no text is (the right end of the row).
    EXPECT_EQ(image.getPixel(25 + 170, int(125 + h + h / 2)), CColor(0, 255, 0, 255));
    // Row 0 is transparent over the white frame.
    EXPECT_EQ(image.getPixel(25 + 170, int(125 + h / 2)), kWhiteCColor);
    // Vertical scrollbar: background and a red scroller at the top, both with a black outline.
    EXPECT_EQ(drawer.backgrounds[CScrollbar::kVertical], 1);
    EXPECT_EQ(drawer.scrollers[CScrollbar::kHorizontal], 1);
    EXPECT_EQ(image.getPixel(25 + 195 - 8, 125 + 4), CColor(255, 0, 0, 255));
    EXPECT_EQ(image.getPixel(25 + 195 - 8, 125 + 280), kWhiteCColor);
    EXPECT_EQ(image.getPixel(25 + 195 - 16, 125 + 150), kBlackCColor);
    // Frame around the browser.
    EXPECT_EQ(image.getPixel(25, 200), kBlackCColor);
    EXPECT_TRUE(image.writePng(std::string(ZEPHRA_UI_SNAPSHOT_DIR) + "/databrowser.png"));
}

TEST_F(DataBrowserTest, RowLinesAreDrawnWithTheStyle)
{
    TestFrame own(nullptr, 200, 200);
    own->setBackgroundColor(kWhiteCColor);
    auto* s = new GenericStringListDataBrowserSource(&strings);
    s->setupUI(kGreenCColor, kBlackCColor, CColor(255, 0, 0, 255), kWhiteCColor, kWhiteCColor,
               nullptr, 20, 2);
    auto* b = new CDataBrowser(CRect(0, 0, 200, 200), s,
                               CDataBrowser::kDrawRowLines | CDataBrowser::kDontDrawFrame);
    s->forget();
    own->addView(b);
    OffscreenImage image = OffscreenImage::render(*own);
    EXPECT_EQ(b->getRowHeight(), 20);
    EXPECT_EQ(image.getPixel(190, 19), CColor(255, 0, 0, 255));
    EXPECT_EQ(image.getPixel(190, 39), CColor(255, 0, 0, 255));
    EXPECT_EQ(image.getPixel(190, 25), kWhiteCColor);
}

TEST_F(DataBrowserTest, EmptyListStillDrawsBothScrollbars)
{
    strings.clear();
    browser->recalculateLayout(false);
    drawer = FlatDrawer();
    OffscreenImage::render(*frame);
    EXPECT_EQ(drawer.backgrounds[0], 1);
    EXPECT_EQ(drawer.backgrounds[1], 1);
    // The scroller fills the whole track when everything fits.
    EXPECT_EQ(drawer.lastScroller[CScrollbar::kVertical].getHeight(),
              browser->getVisibleSize().getHeight());
    frame.click(60, 130);
    EXPECT_EQ(browser->getSelectedRow(), -1);
}

TEST(DataBrowserSource, SourceWithoutStringListHasNoRows)
{
    auto* s = new GenericStringListDataBrowserSource(nullptr);
    EXPECT_EQ(s->dbGetNumRows(nullptr), 0);
    s->forget();
}

TEST(DataBrowserSource, BrowserKeepsTheSourceAlive)
{
    std::vector<UTF8String> rows{"a"};
    auto* s = new GenericStringListDataBrowserSource(&rows);
    auto* b = new CDataBrowser(CRect(0, 0, 100, 100), s, 0);
    EXPECT_EQ(s->getNbReference(), 2);
    s->forget();
    EXPECT_EQ(s->getNbReference(), 1);
    b->forget();  // releases the source too (checked by ASan)
}

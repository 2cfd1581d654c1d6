// Text labels draw their colours, alignment and text (any bytes, any script an installed font
// covers), shorten what does not fit and show it whole as a tooltip; text edits select their
// value on the first click, take keyboard entry with a cursor and commit on Enter or focus
// loss, restore on Escape, and convert text to values.
#include "UiTestSupport.h"

#include "ui/widgets/CKickButton.h"
#include "ui/widgets/CTextEdit.h"
#include "ui/widgets/OffscreenImage.h"
#include "ui/widgets/TextFitting.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace VSTGUI;
using namespace zephra::test;

namespace {

int countInkPixels(const OffscreenImage& image, const CRect& area, const CColor& ink)
{
    int count = 0;
    for (int y = int(area.top); y < int(area.bottom); ++y)
        for (int x = int(area.left); x < int(area.right); ++x) {
            const CColor p = image.getPixel(x, y);
            if (std::abs(p.red - ink.red) < 60 && std::abs(p.green - ink.green) < 60 &&
                std::abs(p.blue - ink.blue) < 60 && p.alpha > 200)
                ++count;
        }
    return count;
}

// Parses the leading number like the player's bend-range field, limited to 0..12.
bool bendRangeValue(UTF8StringPtr text, float& result, CTextEdit*)
{
    char* end = nullptr;
    double semitones = std::strtod(text, &end);
    if (end == text || !(semitones >= 0))
        semitones = 0;
    if (semitones > 12)
        semitones = 12;
    result = float(semitones) * 0.083333336f;
    return true;
}

}  // namespace

TEST(TextLabel, DrawsBackFrameAndTextInItsColours)
{
    TestFrame frame;
    frame->setBackgroundColor(kWhiteCColor);
    auto* label = new CTextLabel(CRect(10, 10, 110, 30), "WWWW");
    label->setBackColor(CColor(0, 0, 200, 255));
    label->setFrameColor(CColor(255, 0, 0, 255));
    label->setFontColor(CColor(255, 255, 0, 255));
    frame->addView(label);

    OffscreenImage image = OffscreenImage::render(*frame);
    EXPECT_EQ(image.getPixel(10, 20), CColor(255, 0, 0, 255));   // frame, left edge
    EXPECT_EQ(image.getPixel(109, 20), CColor(255, 0, 0, 255));  // frame, right edge
    EXPECT_EQ(image.getPixel(12, 12), CColor(0, 0, 200, 255));   // back colour
    EXPECT_GT(countInkPixels(image, CRect(11, 11, 109, 29), CColor(255, 255, 0, 255)), 20);
    EXPECT_EQ(image.getPixel(5, 5), kWhiteCColor);
}

TEST(TextLabel, TransparentColoursLeaveOnlyTheText)
{
    TestFrame frame;
    frame->setBackgroundColor(kWhiteCColor);
    auto* label = new CTextLabel(CRect(10, 10, 110, 30), "88");
    label->setBackColor(kTransparentCColor);
    label->setFrameColor(kTransparentCColor);
    label->setFontColor(kBlackCColor);
    frame->addView(label);
    OffscreenImage image = OffscreenImage::render(*frame);
    EXPECT_EQ(image.getPixel(10, 10), kWhiteCColor);
    EXPECT_EQ(image.getPixel(15, 20), kWhiteCColor);  // left of the centred text
    EXPECT_GT(countInkPixels(image, CRect(40, 10, 80, 30), kBlackCColor), 5);
}

TEST(TextLabel, AlignmentMovesTheText)
{
    TestFrame frame;
    frame->setBackgroundColor(kWhiteCColor);
    auto* label = new CTextLabel(CRect(0, 0, 300, 20), "MMM");
    label->setBackColor(kTransparentCColor);
    label->setFrameColor(kTransparentCColor);
    label->setFontColor(kBlackCColor);
    frame->addView(label);

    label->setHoriAlign(kLeftText);
    OffscreenImage left = OffscreenImage::render(*frame);
    EXPECT_GT(countInkPixels(left, CRect(0, 0, 60, 20), kBlackCColor), 5);
    EXPECT_EQ(countInkPixels(left, CRect(240, 0, 300, 20), kBlackCColor), 0);

    label->setHoriAlign(kRightText);
    OffscreenImage right = OffscreenImage::render(*frame);
    EXPECT_EQ(countInkPixels(right, CRect(0, 0, 60, 20), kBlackCColor), 0);
    EXPECT_GT(countInkPixels(right, CRect(240, 0, 300, 20), kBlackCColor), 5);
}

TEST(TextLabel, SettingTheSameTextDoesNotDirty)
{
    TestFrame frame;
    auto* label = new CTextLabel(CRect(0, 0, 50, 20), "0");
    frame->addView(label);
    OffscreenImage::render(*frame);
    label->setText("0");
    EXPECT_FALSE(label->isDirty());
    label->setText("1");
    EXPECT_TRUE(label->isDirty());
    label->setText(nullptr);
    EXPECT_EQ(label->getText(), "");
}

class TextEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        edit = new CTextEdit(CRect(10, 10, 110, 30), &listener, 1000, "0");
        edit->setStringToValueFunction(bendRangeValue);
        frame->addView(edit);
    }

    RecordingEditor editor;
    RecordingListener listener;
    TestFrame frame{&editor};
    CTextEdit* edit = nullptr;
};

TEST_F(TextEditTest, FirstClickSelectsTheValueSoTypingReplacesItAndLaterClicksPlaceTheCursor)
{
    edit->setText("2");
    frame.click(12, 20);
    EXPECT_TRUE(edit->isEditingText());
    EXPECT_EQ(frame->getFocusView(), edit);
    EXPECT_EQ(edit->getSelectedText(), "2");
    frame.type("7");
    EXPECT_EQ(edit->getEditText(), "7") << "clicking 2 and typing 7 must not give 72";
    frame.click(12, 20);
    EXPECT_EQ(edit->getCursorPosition(), 0u);
    EXPECT_EQ(edit->getSelectedText(), "");
    frame.key(VKEY_END);
    frame.key(VKEY_HOME);
    EXPECT_EQ(edit->getCursorPosition(), 0u);
}

TEST_F(TextEditTest, DoubleClickAndCtrlASelectEverythingAndShiftExtends)
{
    edit->setText("12");
    frame.click(100, 20);
    frame.click(12, 20);
    frame->platformOnMouseDown(CPoint(12, 20), CButtonState(kLButton | kDoubleClick));
    EXPECT_EQ(edit->getSelectedText(), "12");
    frame.key(VKEY_RIGHT);
    EXPECT_EQ(edit->getSelectedText(), "");
    VstKeyCode selectAll;
    selectAll.character = 'a';
    selectAll.modifier = MODIFIER_CONTROL;
    EXPECT_TRUE(frame->platformOnKeyDown(selectAll));
    EXPECT_EQ(edit->getSelectedText(), "12");
    frame.key(VKEY_BACK);
    frame.type("34");
    VstKeyCode shiftLeft;
    shiftLeft.virt = VKEY_LEFT;
    shiftLeft.modifier = MODIFIER_SHIFT;
    frame->platformOnKeyDown(shiftLeft);
    EXPECT_EQ(edit->getSelectedText(), "4");
    frame.key(VKEY_RETURN);
    EXPECT_EQ(edit->getText(), "34");
}

TEST_F(TextEditTest, EnterCommitsTheTypedTextAsValueInOneGesture)
{
    frame.click(100, 20);
    frame.key(VKEY_BACK);
    frame.type("2.5");
    EXPECT_EQ(edit->getEditText(), "2.5");
    EXPECT_TRUE(listener.changes.empty());

    EXPECT_TRUE(frame.key(VKEY_RETURN));

    EXPECT_FALSE(edit->isEditingText());
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(edit->getText(), "2.5");
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_FLOAT_EQ(listener.changes[0].value, 2.5f * 0.083333336f);
    EXPECT_EQ(editor.log, (std::vector<std::string>{"begin 1000", "end 1000"}));
}

TEST_F(TextEditTest, ConversionLimitsAndRefusesNonNumbers)
{
    frame.click(100, 20);
    frame.key(VKEY_BACK);
    frame.type("15");
    frame.key(VKEY_RETURN);
    EXPECT_FLOAT_EQ(edit->getValue(), 1.f);

    frame.click(100, 20);
    frame.key(VKEY_END);
    frame.key(VKEY_BACK);
    frame.key(VKEY_BACK);
    frame.type("abc");
    frame.key(VKEY_ENTER);
    EXPECT_EQ(edit->getValue(), 0.f);

    edit->setText("-4");
    EXPECT_EQ(edit->getValue(), 0.f);
}

TEST_F(TextEditTest, EscapeRestoresTheTextAndReportsNothing)
{
    frame.click(100, 20);
    frame.type("99");
    EXPECT_EQ(edit->getEditText(), "99");
    frame.key(VKEY_ESCAPE);
    EXPECT_FALSE(edit->isEditingText());
    EXPECT_EQ(edit->getText(), "0");
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_TRUE(editor.log.empty());
}

TEST_F(TextEditTest, ClickingElsewhereCommitsAChangedText)
{
    RecordingListener other;
    frame->addView(new CKickButton(CRect(200, 100, 250, 150), &other, 5, nullptr));
    frame.click(100, 20);
    frame.key(VKEY_BACK);
    frame.type("6");
    frame.click(210, 110);
    EXPECT_FALSE(edit->isEditingText());
    EXPECT_EQ(edit->getText(), "6");
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_FLOAT_EQ(listener.changes[0].value, 0.5f);
}

TEST_F(TextEditTest, FocusLossWithoutChangeReportsNothing)
{
    frame.click(100, 20);
    frame->setFocusView(nullptr);
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(TextEditTest, CursorKeysEditInTheMiddle)
{
    frame.click(100, 20);
    frame.key(VKEY_END);
    frame.type("12");  // "012"
    frame.key(VKEY_LEFT);
    frame.key(VKEY_LEFT);
    frame.type("9");  // "0912"
    frame.key(VKEY_HOME);
    frame.key(VKEY_DELETE);  // "912"
    frame.key(VKEY_RIGHT);
    frame.key(VKEY_BACK);  // "12"
    EXPECT_EQ(edit->getEditText(), "12");
    EXPECT_EQ(edit->getCursorPosition(), 0u);
}

TEST_F(TextEditTest, MultiByteCharactersMoveAsOne)
{
    frame.click(100, 20);
    frame.key(VKEY_END);
    frame.key(VKEY_NONE, 0x00E9);  // é, two bytes in UTF-8
    EXPECT_EQ(edit->getEditText(), "0\xC3\xA9");
    frame.key(VKEY_LEFT);
    EXPECT_EQ(edit->getCursorPosition(), 1u);
    frame.key(VKEY_DELETE);
    EXPECT_EQ(edit->getEditText(), "0");
    frame.key(VKEY_NONE, 0x07);  // control characters are not typed
    EXPECT_EQ(edit->getEditText(), "0");
}

TEST_F(TextEditTest, SetTextRunsTheConversionWithoutReporting)
{
    edit->setText("3");
    EXPECT_FLOAT_EQ(edit->getValue(), 3 * 0.083333336f);
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(TextEditTest, KeysWithoutEditingAreNotUsed)
{
    EXPECT_FALSE(frame.key(VKEY_NONE, '5'));
    EXPECT_EQ(edit->getText(), "0");
}

TEST_F(TextEditTest, DrawsACaretWhileEditing)
{
    frame->setBackgroundColor(kWhiteCColor);
    edit->setBackColor(kTransparentCColor);
    edit->setFrameColor(kTransparentCColor);
    frame.click(100, 20);
    frame.click(100, 20);   // the cursor at the end: a caret instead of a selection
    OffscreenImage image = OffscreenImage::render(*frame);
    EXPECT_EQ(image.getPixel(10, 10), CColor(60, 120, 200, 255));  // editing outline
    EXPECT_GT(countInkPixels(image, CRect(55, 13, 75, 27), kBlackCColor), 10);  // "0" and caret
}

TEST(TextLabel, ShortenedTextEndsInAnEllipsisAndShowsWholeAsTooltipOnceThePointerRests)
{
    TestFrame frame;
    auto* name = new CTextLabel(CRect(10, 10, 90, 30), "000:000 - A very long preset name");
    auto* path = new CTextLabel(CRect(10, 40, 290, 60), "/home/me/Music/SoundFonts/Collections/Large/Orchestra/Piano.sf2");
    auto* fits = new CTextLabel(CRect(10, 70, 290, 90), "Piano");
    path->setTextTruncateMode(CTextLabel::kTruncatePath);
    frame->addView(name);
    frame->addView(path);
    frame->addView(fits);
    OffscreenImage::render(*frame);
    const UTF8String shortName = name->getTruncatedText(), shortPath = path->getTruncatedText();
    EXPECT_EQ(shortName.substr(shortName.size() - 3), kEllipsis);
    EXPECT_EQ(shortPath.substr(shortPath.size() - 13), UTF8String(kEllipsis) + "/Piano.sf2") << shortPath;
    EXPECT_FALSE(fits->isTruncated());

    frame->platformOnMouseMoved(CPoint(50, 20), 0);
    for (int tick = 1; tick < CTooltipSupport::kDelayTicks; ++tick)
        frame->idle();
    EXPECT_EQ(frame->getShownTooltip(), "");
    frame->idle();
    EXPECT_EQ(frame->getShownTooltip(), name->getText());
    frame->platformOnMouseMoved(CPoint(52, 21), 0);
    EXPECT_EQ(frame->getShownTooltip(), name->getText()) << "moving over the same text keeps it";
    frame.click(200, 150);
    EXPECT_EQ(frame->getShownTooltip(), "");
    frame->platformOnMouseMoved(CPoint(100, 80), 0);
    for (int tick = 0; tick < 2 * CTooltipSupport::kDelayTicks; ++tick)
        frame->idle();
    EXPECT_EQ(frame->getShownTooltip(), "") << "text that fits has no tooltip";
    frame->platformOnMouseMoved(CPoint(100, 50), 0);
    for (int tick = 0; tick < CTooltipSupport::kDelayTicks; ++tick)
        frame->idle();
    EXPECT_EQ(frame->getShownTooltip(), path->getText());
    frame->platformOnMouseExited();
    EXPECT_EQ(frame->getShownTooltip(), "");
}

// Guards against one string that is not UTF-8 stopping all drawing after it.
TEST(TextDrawing, BytesThatAreNotUtf8DrawAndTextAfterThemStillDraws)
{
    TestFrame frame;
    frame->setBackgroundColor(kWhiteCColor);
    for (const char* text : {"Fl\xFCgel \xC3( \xFF", "88"}) {
        auto* label = new CTextLabel(CRect(0, frame->getNbViews() * 30.0, 150, frame->getNbViews() * 30.0 + 20), text);
        label->setFontColor(kBlackCColor);
        label->setBackColor(kTransparentCColor);
        label->setFrameColor(kTransparentCColor);
        frame->addView(label);
    }
    OffscreenImage image = OffscreenImage::render(*frame);
    EXPECT_GT(countInkPixels(image, CRect(0, 0, 150, 20), kBlackCColor), 20);
    EXPECT_GT(countInkPixels(image, CRect(0, 30, 150, 50), kBlackCColor), 5);
}

// Characters the asked font lacks come from any installed font that has them: two different
// ideographs must not draw as the same empty box.
TEST(TextDrawing, IdeographsDrawAsTheirOwnGlyphsFromAFallbackFont)
{
    auto picture = [](const char* text) {
        TestFrame frame(nullptr, 60, 30);
        frame->setBackgroundColor(kWhiteCColor);
        auto* label = new CTextLabel(CRect(0, 0, 60, 30), text);
        label->setFontColor(kBlackCColor);
        label->setBackColor(kTransparentCColor);
        frame->addView(label);
        OffscreenImage image = OffscreenImage::render(*frame, 2);
        std::vector<CColor> pixels;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                pixels.push_back(image.getPixel(x, y));
        return pixels;
    };
    const auto tree = picture("\xE6\x9C\xA8"), forest = picture("\xE6\xA3\xAE");  // U+6728, U+68EE
    EXPECT_NE(tree, forest) << "install a CJK font (fonts-wqy-microhei) if none is";
}

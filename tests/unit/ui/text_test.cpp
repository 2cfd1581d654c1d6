// Text labels draw their colours, alignment and text; text edits take keyboard entry with a
// cursor and commit on Enter or focus loss, restore on Escape, and convert text to values.
#include "UiTestSupport.h"

#include "ui/CKickButton.h"
#include "ui/CTextEdit.h"
#include "ui/OffscreenImage.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

TEST_F(TextEditTest, ClickStartsEditingWithTheCursorAtTheClick)
{
    frame.click(100, 20);
    EXPECT_TRUE(edit->isEditingText());
    EXPECT_EQ(frame->getFocusView(), edit);
    EXPECT_EQ(edit->getCursorPosition(), 1u);  // right of the centred "0"
    frame.click(12, 20);
    EXPECT_EQ(edit->getCursorPosition(), 0u);
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
    OffscreenImage image = OffscreenImage::render(*frame);
    EXPECT_EQ(image.getPixel(10, 10), CColor(60, 120, 200, 255));  // editing outline
    EXPECT_GT(countInkPixels(image, CRect(55, 13, 75, 27), kBlackCColor), 10);  // "0" and caret
}

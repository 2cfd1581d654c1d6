// Fitting text into a width by any measure: "…" at the end, folders given up in the middle of
// a path so the file name stays whole, lines wrapped after separators; cuts never split a
// character.
#include "ui/widgets/TextFitting.h"

#include <gtest/gtest.h>

using namespace VSTGUI;

namespace {
// One unit per character, whatever its bytes.
const TextWidth perCharacter = [](const UTF8String& text) {
    CCoord characters = 0;
    for (size_t at = 0; at < text.size(); at = nextCharacter(text, at))
        ++characters;
    return characters;
};
using Lines = std::vector<UTF8String>;
} // namespace

TEST(TextFitting, EndEllipsisKeepsTheLongestStartThatFits)
{
    EXPECT_EQ(elideEnd("Grand Piano", 11, perCharacter), "Grand Piano");
    EXPECT_EQ(elideEnd("Grand Piano", 7, perCharacter), "Grand\xE2\x80\xA6") << "no space before the dots";
    EXPECT_EQ(elideEnd("\xE3\x83\x94\xE3\x82\xA2\xE3\x83\x8E", 2, perCharacter), "\xE3\x83\x94\xE2\x80\xA6");
    EXPECT_EQ(elideEnd("ab", 0, perCharacter), kEllipsis);
}

TEST(TextFitting, PathGivesUpFoldersAndKeepsTheFileNameWhole)
{
    EXPECT_EQ(elidePath("/home/me/Music/Fonts/Piano.sf2", 20, perCharacter), "/home/me/\xE2\x80\xA6/Piano.sf2");
    EXPECT_EQ(elidePath("/a/Very long file name.sf2", 12, perCharacter), "Very l\xE2\x80\xA6" "e.sf2")
        << "only a name wider than the room is cut, in its middle";
    EXPECT_EQ(elidePath("/a/b.sf2", 8, perCharacter), "/a/b.sf2");
}

TEST(TextFitting, WrappedLinesBreakAfterSeparatorsAndEndInAnEllipsisPastTheLimit)
{
    EXPECT_EQ(wrapText("/home/me/Music/Piano.sf2", 10, perCharacter), (Lines{"/home/me/", "Music/", "Piano.sf2"}));
    EXPECT_EQ(wrapText("abcdefghij", 3, perCharacter, 2), (Lines{"abc", "de\xE2\x80\xA6"}));
    EXPECT_EQ(wrapText("abc", 0, perCharacter), (Lines{"a", "b", "c"})) << "one character a line at least";
}

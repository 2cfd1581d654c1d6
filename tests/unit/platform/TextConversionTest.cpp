// UTF-8 <-> UTF-16 conversion: one UTF-16 unit per character, no replacement characters,
// invalid input refused with std::range_error("bad conversion"); paths keep bytes that are not
// UTF-8, and text to show has them replaced.
#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace Steinberg::Vst;

TEST(TextConversion, AsciiRoundTrips)
{
    EXPECT_EQ(fromUtf8(std::string("Output Level")), u"Output Level");
    EXPECT_EQ(toUtf8(std::u16string(u"Bend Range")), "Bend Range");
    EXPECT_EQ(fromUtf8(std::string()), u"");
    EXPECT_EQ(toUtf8(std::u16string()), "");
}

TEST(TextConversion, TwoAndThreeByteSequencesBecomeOneUnitEach)
{
    const std::string bytes = "\xC3\xA9\xE3\x83\x97";  // e acute, katakana PU
    const std::u16string wide = fromUtf8(bytes);
    ASSERT_EQ(wide.size(), 2u);
    EXPECT_EQ(wide[0], 0x00E9);
    EXPECT_EQ(wide[1], 0x30D7);
    EXPECT_EQ(toUtf8(wide), bytes);
}

TEST(TextConversion, JapaneseTextRoundTrips)
{
    const std::u16string wide = u"\u30D7\u30EA\u30BB\u30C3\u30C8 /home/\u97F3/a.sf2";
    EXPECT_EQ(fromUtf8(toUtf8(wide)), wide);
}

TEST(TextConversion, ZeroTerminatedOverloadsStopAtTheZero)
{
    EXPECT_EQ(fromUtf8("abc\0def"), u"abc");
    EXPECT_EQ(toUtf8(u"abc\0def"), "abc");
    EXPECT_EQ(fromUtf8(static_cast<const char*>(nullptr)), u"");
    EXPECT_EQ(toUtf8(static_cast<const char16_t*>(nullptr)), "");
}

TEST(TextConversionBadInput, TruncatedSequenceIsABadConversion)
{
    EXPECT_THROW(fromUtf8(std::string("ab\xE3\x83")), std::range_error);
    EXPECT_THROW(fromUtf8(std::string("\xC3")), std::range_error);
}

TEST(TextConversionBadInput, StrayContinuationAndOverlongFormsAreRefused)
{
    EXPECT_THROW(fromUtf8(std::string("\x80")), std::range_error);
    EXPECT_THROW(fromUtf8(std::string("\xC0\xAF")), std::range_error);       // overlong "/"
    EXPECT_THROW(fromUtf8(std::string("\xE0\x80\xAF")), std::range_error);   // overlong "/"
    EXPECT_THROW(fromUtf8(std::string("\xFF")), std::range_error);
}

// Guards against folders named with an emoji being impossible to load.
TEST(TextConversion, CharactersOutsideTheBasicPlaneTravelAsSurrogatePairsBothWays)
{
    const std::string keyboard = "Songs \xF0\x9F\x8E\xB9";   // U+1F3B9, a musical keyboard
    EXPECT_EQ(fromUtf8(keyboard), std::u16string(u"Songs \xD83C\xDFB9"));
    EXPECT_EQ(toUtf8(fromUtf8(keyboard)), keyboard);
    EXPECT_EQ(toUtf8(std::u16string(u"\U0010FFFF")), "\xF4\x8F\xBF\xBF");
    EXPECT_THROW(fromUtf8(std::string("\xED\xA0\x80")), std::range_error);      // encoded surrogate
    EXPECT_THROW(fromUtf8(std::string("\xF0\x8F\xBF\xBF")), std::range_error);  // overlong
    EXPECT_THROW(fromUtf8(std::string("\xF4\x90\x80\x80")), std::range_error);  // beyond U+10FFFF
    for (char16_t lone : {char16_t(0xD83C), char16_t(0xDFB9)})
        EXPECT_THROW(toUtf8(std::u16string(1, lone)), std::range_error);
}

TEST(TextConversionBadInput, TheErrorSaysBadConversion)
{
    try {
        fromUtf8(std::string("\xFF"));
        FAIL() << "no exception";
    } catch (const std::range_error& error) {
        EXPECT_STREQ(error.what(), "bad conversion");
    }
}

// Guards a path whose bytes are not UTF-8 (legal on Linux): it must come back byte for byte,
// so the file still opens, and show with U+FFFD for each bad byte.
TEST(PathText, BytesThatAreNotUtf8SurviveTheRoundTripAndShowAsReplacementCharacters)
{
    const std::string bytes = "/fonts/Fl\xFCgel \xE3\x83\x97 \xC3(.sf2";
    const std::u16string path = pathFromBytes(bytes);
    EXPECT_EQ(pathToBytes(path), bytes);
    const std::string shown = "/fonts/Fl\xEF\xBF\xBDgel \xE3\x83\x97 \xEF\xBF\xBD(.sf2";
    EXPECT_EQ(displayText(path), shown);
    EXPECT_EQ(validUtf8(bytes), shown);
    EXPECT_EQ(pathFromBytes("a\xE3\x83\x97"), fromUtf8("a\xE3\x83\x97")) << "UTF-8 reads as before";
    EXPECT_THROW(pathToBytes(u"\xD800"), std::range_error) << "a surrogate that stands for no byte";
}

TEST(PathText, OverlongFormsSurrogatesAndCutSequencesAreNotUtf8)
{
    EXPECT_TRUE(isValidUtf8("\xE3\x83\x97 \xF0\x9F\x8E\xB9"));
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x83", "\x80"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
    EXPECT_EQ(validUtf8("a\xE3\x83"), "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

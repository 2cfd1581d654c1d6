// Comma-separated item lists and substring replacement.
#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace Steinberg::Vst;
using Items = std::vector<std::string>;

TEST(SplitItems, EmptyTextGivesNoItem)
{
    EXPECT_TRUE(splitItems("").empty());
}

TEST(SplitItems, TextWithoutCommaIsOneItem)
{
    EXPECT_EQ(splitItems("off"), Items({"off"}));
}

TEST(SplitItems, CutsAtEachCommaKeepingOrderAndSpaces)
{
    EXPECT_EQ(splitItems("off,on"), Items({"off", "on"}));
    EXPECT_EQ(splitItems(" a , b"), Items({" a ", " b"}));
}

TEST(SplitItems, AdjacentAndLeadingCommasGiveEmptyItems)
{
    EXPECT_EQ(splitItems("a,,b"), Items({"a", "", "b"}));
    EXPECT_EQ(splitItems(",a"), Items({"", "a"}));
}

TEST(SplitItems, TrailingCommaAddsNoEmptyLastItem)
{
    EXPECT_EQ(splitItems("a,b,"), Items({"a", "b"}));
    EXPECT_EQ(splitItems(","), Items({""}));
}

TEST(SplitItems, ZeroByteEndsTheText)
{
    EXPECT_EQ(splitItems(std::string("a,b\0c,d", 7)), Items({"a", "b"}));
}

TEST(ReplaceAll, RemovesEveryHyphenOfAClassId)
{
    EXPECT_EQ(replaceAll("{12-34}", "-", ""), "{1234}");
    EXPECT_EQ(replaceAll(replaceAll(replaceAll("{1-2}", "-", ""), "{", ""), "}", ""), "12");
}

TEST(ReplaceAll, InsertedTextIsNeverSearchedAgain)
{
    EXPECT_EQ(replaceAll("abab", "ab", "abab"), "abababab");
}

TEST(ReplaceAll, EmptyFromLeavesTextUnchangedAndEnds)
{
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}

TEST(ReplaceAll, NoOccurrenceLeavesTextUnchanged)
{
    EXPECT_EQ(replaceAll("abc", "z", "y"), "abc");
}

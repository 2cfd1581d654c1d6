// The extension of a path: the last component's text from its last "." on, or nothing.
#include "platform/PathExtension.h"

#include <gtest/gtest.h>

using namespace Steinberg::Vst;

TEST(PathExtension, TakesTheLastDotOfTheLastComponent)
{
    EXPECT_EQ(pathExtension(u"/music/piano.sf2"), u".sf2");
    EXPECT_EQ(pathExtension(u"/music/piano.backup.SF2"), u".SF2");
    EXPECT_EQ(pathExtension(u"song.wav"), u".wav");
}

TEST(PathExtension, NoDotInTheLastComponentGivesNothing)
{
    EXPECT_EQ(pathExtension(u"/music.d/piano"), u"");
    EXPECT_EQ(pathExtension(u""), u"");
    EXPECT_EQ(pathExtension(u"/music/"), u"");
}

TEST(PathExtension, TrailingDotAndDotFiles)
{
    EXPECT_EQ(pathExtension(u"/a/piano."), u".");
    EXPECT_EQ(pathExtension(u"/a/.sf2"), u".sf2");
}

TEST(PathExtension, CaseIsKept)
{
    EXPECT_EQ(pathExtension(u"/a/b.Sf2"), u".Sf2");
}

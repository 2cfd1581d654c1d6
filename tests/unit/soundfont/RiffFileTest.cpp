// The RIFF chunk walk and readChunk: a flat index of every chunk in every list, odd sizes with
// or without a pad byte, and a walk that ends on every hostile size.
#include "TestFiles.h"
#include "soundfont/RiffFile.h"

#include <cstdio>
#include <unistd.h>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {
RawChunk text(const std::string& id, const std::string& body, bool pad = true)
{
    return RawChunk{id, std::vector<uint8_t>(body.begin(), body.end()), -1, pad};
}
std::string readAll(RiffFile& riff, const char (&id)[5])
{
    std::string out(64, '\0');
    uint32_t got = 0;
    EXPECT_TRUE(riff.readChunk(RiffFile::id(id), out.data(), 64, 0, &got));
    out.resize(got);
    return out;
}
} // namespace

TEST(RiffIndex, ChunkIdIsTheLittleEndianValueOfItsFourBytes)
{
    EXPECT_EQ(RiffFile::id("smpl"), 0x6C706D73u);
}

TEST(RiffIndex, EveryChunkOfEveryListLandsInOneFlatIndex)
{
    RiffFile riff(writeTemp(riffFile("ABCD", {text("aaaa", "12"),
                                             listChunk("xyzw", {text("bbbb", "3456"), listChunk("INFO", {text("cccc", "78")})}),
                                             text("dddd", "9a")})));
    ASSERT_TRUE(riff.isOpen());
    EXPECT_EQ(riff.chunkIndex().size(), 4u);
    EXPECT_EQ(readAll(riff, "bbbb"), "3456");
    EXPECT_EQ(readAll(riff, "cccc"), "78");
    EXPECT_EQ(readAll(riff, "dddd"), "9a");
    EXPECT_FALSE(riff.hasChunk(RiffFile::id("LIST")));
    EXPECT_EQ(riff.chunkIndex().at(RiffFile::id("aaaa")), 16);  // position of the size field
}

TEST(RiffIndex, TheLaterOfTwoChunksWithTheSameIdWins)
{
    RiffFile riff(writeTemp(riffFile("ABCD", {text("dupl", "first!"), listChunk("INFO", {text("dupl", "second")})})));
    EXPECT_EQ(readAll(riff, "dupl"), "second");
}

TEST(RiffIndex, OddSizedChunksAreFollowedWithAndWithoutTheirPadByte)
{
    // Guards against losing every chunk after a padded one (Debian's .sf3 files are unpadded).
    for (bool pad : {false, true}) {
        RiffFile riff(writeTemp(riffFile("ABCD", {text("oddc", "abc", pad), listChunk("LIST", {text("odd2", "z", pad)}), text("last", "!!")})));
        EXPECT_EQ(readAll(riff, "oddc") + readAll(riff, "odd2") + readAll(riff, "last"), "abcz!!") << pad;
    }
}

TEST(RiffReadChunk, ReadsUpToMaximumLengthFromAnOffsetIntoTheData)
{
    RiffFile riff(writeTemp(riffFile("ABCD", {text("data", "0123456789")})));
    char buffer[8] = {};
    uint32_t got = 0;
    EXPECT_TRUE(riff.readChunk(RiffFile::id("data"), buffer, 4, 3, &got));
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::string(buffer, 4), "3456");
    EXPECT_FALSE(riff.readChunk(RiffFile::id("none"), buffer, 4, 0, &got));
    EXPECT_EQ(got, 0u);
    uint32_t stated = 0;
    EXPECT_TRUE(riff.chunkSize(RiffFile::id("data"), stated));
    EXPECT_EQ(stated, 10u);
}

TEST(RiffHostileSizes, ChunkOfTwoGigabytesOrMoreEndsTheWalk)
{
    RawChunk huge = text("huge", "abcd");
    huge.statedSize = 0x80000000LL;
    RiffFile riff(writeTemp(riffFile("ABCD", {text("head", "hh"), huge, text("tail", "tt")})));
    EXPECT_TRUE(riff.hasChunk(RiffFile::id("head")));
    EXPECT_TRUE(riff.hasChunk(RiffFile::id("huge")));
    EXPECT_FALSE(riff.hasChunk(RiffFile::id("tail")));
    // It runs to the end of the file: only what the file holds is available.
    EXPECT_EQ(riff.availableSize(RiffFile::id("huge")), 4u + 8u + 2u);
}

TEST(RiffHostileSizes, MaximalSizeFieldDoesNotWrapIntoABackwardSeek)
{
    RawChunk huge = text("huge", "abcd");
    huge.statedSize = 0xFFFFFFF8LL;  // position + size would wrap to before the chunk
    RiffFile riff(writeTemp(riffFile("ABCD", {huge, text("tail", "tt")})));
    EXPECT_EQ(riff.chunkIndex().size(), 1u);
}

TEST(RiffHostileSizes, SizePastTheEndYieldsWhatTheFileHolds)
{
    RawChunk longer = text("long", "abcdef");
    longer.statedSize = 1000;
    RiffFile riff(writeTemp(riffFile("ABCD", {longer})));
    EXPECT_EQ(riff.availableSize(RiffFile::id("long")), 6u);
    EXPECT_EQ(readAll(riff, "long"), "abcdef");
}

TEST(RiffHostileSizes, OverlappingChunkHidesTheChunksItCovers)
{
    // "wide" claims the bytes of "hide": they are its data, and "hide" is never indexed.
    RawChunk wide = text("wide", "ab");
    wide.statedSize = 2 + 8 + 2;
    RiffFile riff(writeTemp(riffFile("ABCD", {wide, text("hide", "cd"), text("seen", "ef")})));
    EXPECT_FALSE(riff.hasChunk(RiffFile::id("hide")));
    EXPECT_EQ(readAll(riff, "seen"), "ef");
    EXPECT_EQ(readAll(riff, "wide").size(), 12u);
}

TEST(RiffHostileSizes, TruncatedHeadersAndEmptyFilesEndTheWalk)
{
    std::vector<uint8_t> bytes = riffFile("ABCD", {text("full", "ab")});
    bytes.insert(bytes.end(), {'p', 'a', 'r', 't', 1});
    RiffFile riff(writeTemp(bytes, "a.riff"));
    EXPECT_EQ(riff.chunkIndex().size(), 1u);

    RiffFile empty(writeTemp({}, "b.riff"));
    EXPECT_TRUE(empty.isOpen());
    EXPECT_EQ(empty.fileSize(), 0u);
    EXPECT_TRUE(empty.chunkIndex().empty());
}

TEST(RiffNullHandle, FailedOpenLeavesAnEmptyIndexAndReadsNothing)
{
    RiffFile riff(u"/nonexistent/zephra.sf2");
    EXPECT_FALSE(riff.isOpen());
    EXPECT_TRUE(riff.chunkIndex().empty());
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_FALSE(riff.readChunk(RiffFile::id("smpl"), buffer, 4, 0));
    EXPECT_EQ(riff.availableSize(RiffFile::id("smpl")), 0u);
    EXPECT_EQ(buffer[0], 'x');
}

TEST(RiffNullHandle, CloseDiscardsTheIndex)
{
    RiffFile riff(writeTemp(riffFile("ABCD", {text("data", "ab")})));
    riff.close();
    EXPECT_FALSE(riff.hasChunk(RiffFile::id("data")));
    uint32_t stated = 0;
    EXPECT_FALSE(riff.chunkSize(RiffFile::id("data"), stated));
}

TEST(RiffHostileSizes, FileOfTwoGigabytesOrMoreIsRefused)
{
    // Index positions are signed 32-bit: a larger file is not opened at all (a sparse file
    // stands in for a real one).
    const std::string path = tempPath("huge.sf2");
    ASSERT_TRUE(writeFile(path, riffFile("sfbk", {text("ifil", "ab")})));
    if (::truncate(path.c_str(), (int64_t{1} << 31) + 8) != 0)
        GTEST_SKIP() << "cannot make a sparse file of 2 GiB in " << path;
    RiffFile riff(std::u16string(path.begin(), path.end()));
    EXPECT_FALSE(riff.isOpen());
    EXPECT_TRUE(riff.chunkIndex().empty());
    std::remove(path.c_str());
}

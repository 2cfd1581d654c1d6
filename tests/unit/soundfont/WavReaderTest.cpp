// readWav: accepted formats and their conversion to floats, and every refusal handing
// nothing out.
#include "TestFiles.h"
#include "soundfont/WavReader.h"

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {
struct WavResult {
    bool ok = false;
    std::unique_ptr<float[]> left, right;
    int32_t frames = -1;
    int32_t rate = -1;
};
WavResult read(const std::vector<uint8_t>& bytes)
{
    WavResult r;
    r.ok = readWav(writeTemp(bytes, "w.wav"), r.left, r.right, r.frames, r.rate);
    return r;
}
void expectRefused(const WavResult& r)
{
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.left);
    EXPECT_FALSE(r.right);
    EXPECT_EQ(r.frames, -1);
    EXPECT_EQ(r.rate, -1);
}
} // namespace

TEST(WavAccepted, SixteenBitStereoSplitsTheChannels)
{
    WavResult r = read(makeWav(2, 16, 44100, {32767, -32768, 0, 16384}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.frames, 2);
    EXPECT_EQ(r.rate, 44100);
    EXPECT_EQ(r.left[0], 32767 * 3.0518509e-05f);
    EXPECT_FLOAT_EQ(r.left[0], 1.0f);
    EXPECT_LT(r.right[0], -1.0f);  // -32768 / 32767
    EXPECT_EQ(r.left[1], 0.0f);
    EXPECT_EQ(r.right[1], 16384 * 3.0518509e-05f);
}

TEST(WavAccepted, MonoFileCopiesLeftIntoRight)
{
    WavResult r = read(makeWav(1, 16, 44100, {100, -200, 300}));
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.frames, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(r.left[i], r.right[i]);
    EXPECT_EQ(r.left[1], -200 * 3.0518509e-05f);
}

TEST(WavAccepted, TwentyFourBitDropsTheLowByte)
{
    WavResult r = read(makeWav(2, 24, 44100, {0x7FFFFF, -0x800000, 0x0012FF, 0x001200}));
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.frames, 2);
    EXPECT_FLOAT_EQ(r.left[0], 1.0f);
    EXPECT_EQ(r.right[0], -32768 * 3.0518509e-05f);
    EXPECT_EQ(r.left[1], r.right[1]);  // 0x0012FF and 0x001200 differ only in the low byte
    EXPECT_EQ(r.left[1], 0x12 * 3.0518509e-05f);
}

TEST(WavAccepted, PartialFrameAtTheEndIsIgnored)
{
    std::vector<uint8_t> bytes = riffFile("WAVE", {RawChunk{"fmt ", pcmFormat(2, 16, 44100)},
                                                  RawChunk{"data", std::vector<uint8_t>(10, 0)}});
    WavResult r = read(bytes);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.frames, 2);
}

TEST(WavAccepted, EmptyDataChunkYieldsZeroFrames)
{
    WavResult r = read(makeWav(2, 16, 44100, {}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.frames, 0);
    EXPECT_TRUE(r.left);
    EXPECT_TRUE(r.right);
}

TEST(WavAccepted, FormatTagByteRateAndBlockAlignAreNotChecked)
{
    std::vector<uint8_t> fmt = pcmFormat(1, 16, 44100);
    fmt[0] = 0x55;  // not PCM
    fmt[8] = fmt[12] = 0;
    WavResult r = read(riffFile("WAVE", {RawChunk{"fmt ", fmt}, RawChunk{"data", {1, 0, 2, 0}}}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.frames, 2);
}

TEST(WavAccepted, DataRunningPastTheEndYieldsTheFramesTheFileHolds)
{
    RawChunk data{"data", {1, 0, 2, 0, 3, 0}};
    data.statedSize = 1 << 30;
    WavResult r = read(riffFile("WAVE", {RawChunk{"fmt ", pcmFormat(1, 16, 44100)}, data}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.frames, 3);
}

TEST(WavRefused, OtherRatesDepthsAndChannelCounts)
{
    expectRefused(read(makeWav(1, 16, 48000, {1, 2})));
    expectRefused(read(makeWav(1, 16, 22050, {1, 2})));
    expectRefused(read(makeWav(1, 8, 44100, {1, 2})));
    expectRefused(read(makeWav(1, 32, 44100, {1, 2})));
    expectRefused(read(makeWav(3, 16, 44100, {1, 2, 3})));
    expectRefused(read(makeWav(0, 16, 44100, {})));
}

TEST(WavRefused, ShortFormatChunkReadsMissingFieldsAsZero)
{
    std::vector<uint8_t> fmt = pcmFormat(2, 16, 44100);
    fmt.resize(14);  // bits per sample missing: zero, refused
    expectRefused(read(riffFile("WAVE", {RawChunk{"fmt ", fmt}, RawChunk{"data", {0, 0, 0, 0}}})));
    fmt.resize(2);
    expectRefused(read(riffFile("WAVE", {RawChunk{"fmt ", fmt}, RawChunk{"data", {0, 0, 0, 0}}})));
}

TEST(WavRefused, MissingFormatOrDataChunk)
{
    expectRefused(read(riffFile("WAVE", {RawChunk{"data", {0, 0}}})));
    expectRefused(read(riffFile("WAVE", {RawChunk{"fmt ", pcmFormat(1, 16, 44100)}})));
}

TEST(WavRefused, UnreadableEmptyAndForeignFiles)
{
    WavResult r;
    EXPECT_FALSE(readWav(u"/nonexistent/zephra.wav", r.left, r.right, r.frames, r.rate));
    expectRefused(r);
    expectRefused(read({}));
    expectRefused(read(std::vector<uint8_t>(64, 0x41)));
}

TEST(WavRefused, OutputsAlreadyHoldingArraysRefuseAtOnceAndStayUntouched)
{
    const std::u16string path = writeTemp(makeWav(1, 16, 44100, {1, 2, 3}), "w.wav");
    std::unique_ptr<float[]> left(new float[1]{7.0f}), right;
    int32_t frames = -1, rate = -1;
    EXPECT_FALSE(readWav(path, left, right, frames, rate));
    EXPECT_EQ(left[0], 7.0f);
    EXPECT_FALSE(right);
    EXPECT_EQ(frames, -1);
    std::unique_ptr<float[]> none, held(new float[1]{5.0f});
    EXPECT_FALSE(readWav(path, none, held, frames, rate));
    EXPECT_FALSE(none);
    EXPECT_EQ(held[0], 5.0f);
}

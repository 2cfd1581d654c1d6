// Sample players: which records are playable and which point each read position fetches.
#include "synth/SamplePlayer.h"
#include "synth/Voice.h"
#include "unit/synth/TestRecords.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Steinberg::Vst;
using zephra::test::rampRecord;

namespace {

int fetchedIndex(Voice& v, double position)
{
    v.position = position;
    return int(std::lround(double(v.fetch()) * 32768.0));
}

} // namespace

TEST(SamplePlayerFetch, LoopedSamplePlaysToTheLoopEndThenCyclesTheLoop)
{
    SFSynth r = rampRecord(300, 100, 200);
    SamplePlayer p = SamplePlayer::forRecord(r, 44100.0);
    ASSERT_EQ(p.loopStart, 100);
    ASSERT_EQ(p.loopLast, 199);
    Voice v;
    v.player = &p;
    for (int j = 0; j < 200; ++j)
        ASSERT_EQ(fetchedIndex(v, j + 0.5), j);
    for (int j = 200; j < 1000; ++j)
        ASSERT_EQ(fetchedIndex(v, j), 100 + (j - 100) % 100) << j;
    // Jumps of several loop lengths in one step land where a plain modulo does.
    for (double pos = 1000.0; pos < 100000.0; pos += 777.25)
        ASSERT_EQ(fetchedIndex(v, pos), 100 + (int(pos) - 100) % 100);
}

TEST(SamplePlayerFetch, UnloopedSampleHoldsTheThirdLastPoint)
{
    SFSynth r = rampRecord(50, 0, 0);
    r.sampleModes = 0;
    SamplePlayer p = SamplePlayer::forRecord(r, 44100.0);
    Voice v;
    v.player = &p;
    EXPECT_EQ(fetchedIndex(v, 47.0), 47);
    EXPECT_EQ(fetchedIndex(v, 48.0), 48);   // count is 51: loop start and last are 48
    EXPECT_EQ(fetchedIndex(v, 5000.0), 48);
}

// Guards against reading at a negative index once the position leaves the 32-bit range.
TEST(SamplePlayerFetch, PositionAtTwoToThe31OutputsZero)
{
    SFSynth r = rampRecord(300, 100, 200);
    SamplePlayer p = SamplePlayer::forRecord(r, 44100.0);
    Voice v;
    v.player = &p;
    EXPECT_NE(fetchedIndex(v, 2147483647.0), 0);
    EXPECT_EQ(fetchedIndex(v, 2147483648.0), 0);
    EXPECT_EQ(fetchedIndex(v, 1e300), 0);
}

TEST(SamplePlayerChecks, ReferenceFrequencyFollowsRootKeyRateAndCorrection)
{
    SFSynth r = rampRecord(300, 100, 200);
    r.rootKey = 69;
    r.sampleRate = 44100;
    EXPECT_EQ(SamplePlayer::forRecord(r, 44100.0).referenceFrequency, 440.0f);
    EXPECT_FLOAT_EQ(SamplePlayer::forRecord(r, 88200.0).referenceFrequency, 880.0f);
    r.rootKey = 81;
    EXPECT_FLOAT_EQ(SamplePlayer::forRecord(r, 44100.0).referenceFrequency, 880.0f);
    r.rootKey = 69;
    r.pitchCorrection = 100;
    EXPECT_NEAR(SamplePlayer::forRecord(r, 44100.0).referenceFrequency, 440.0 / std::pow(2.0, 1.0 / 12.0), 1e-3);
}

TEST(SamplePlayerChecks, LoopEndOnTheGuardPointIsRefused)
{
    SFSynth r = rampRecord(300, 100, 301);   // 301 points: index 300 is the guard point
    const SamplePlayer p = SamplePlayer::forRecord(r, 44100.0);
    EXPECT_EQ(p.count, 5);
    EXPECT_EQ(p.referenceFrequency, 8820.0f);
    r.loopEnd = 300;
    EXPECT_EQ(SamplePlayer::forRecord(r, 44100.0).count, 301);
}

TEST(SamplePlayerChecks, ShortOrEmptyOrBadlyLoopedRecordsGetTheSilentPlayer)
{
    SFSynth r = rampRecord(300, 100, 200);
    r.sampleModes = 0;
    r.samples = SharedSamples(std::vector<float>(2, 0.5f));
    EXPECT_EQ(SamplePlayer::forRecord(r, 44100.0).count, 5);
    r.samples = SharedSamples();
    EXPECT_EQ(SamplePlayer::forRecord(r, 44100.0).count, 5);
    SFSynth loops = rampRecord(300, 100, 200);
    for (auto [start, end] : {std::pair{-1, 10}, {50, 50}, {60, 40}, {301, 302}}) {
        loops.loopStart = start;
        loops.loopEnd = end;
        EXPECT_EQ(SamplePlayer::forRecord(loops, 44100.0).count, 5) << start << ".." << end;
    }
    SFSynth low = rampRecord(300, 100, 200);
    low.rootKey = -200;   // reference frequency below 1 Hz
    EXPECT_EQ(SamplePlayer::forRecord(low, 44100.0).count, 5);
    low.rootKey = 69;
    low.sampleRate = -44100;
    EXPECT_EQ(SamplePlayer::forRecord(low, 44100.0).count, 5);
}

TEST(SamplePlayerChecks, SilentPlayerFetchesStayInsideItsFivePoints)
{
    const SamplePlayer p = SamplePlayer::silent();
    Voice v;
    v.player = &p;
    for (double pos = 0.0; pos < 1e6; pos += 1234.5)
        EXPECT_EQ(v.fetch(), 0.0f);
}

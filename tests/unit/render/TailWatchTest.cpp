// The tail watch judges whole stretches in two passes where the end cannot fall; these check
// that it ends every render on the same frame as judging frame by frame (one-frame stretches).
#include "TailWatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using zephra::render::TailWatch;

namespace {

struct Outcome {
    int64_t end;          // frames certain once the watch ended, or -1
    int64_t lastAudible;
    bool capped;
};

// Feeds the mix to a watch in stretches of `stretch` frames until it knows the end.
Outcome watchInStretches(const std::vector<float>& left, const std::vector<float>& right, int32_t stretch,
                         bool untilSilent)
{
    const int64_t frames = static_cast<int64_t>(left.size());
    TailWatch watch(/*songEnd=*/1000, /*cap=*/frames, untilSilent, /*quiet=*/600, /*fade=*/20);
    for (int64_t at = 0; at < frames; at += stretch) {
        const int32_t count = static_cast<int32_t>(std::min<int64_t>(stretch, frames - at));
        if (watch.watch(at, left.data() + at, right.data() + at, count))
            return {watch.certain(at + count), watch.lastAudibleFrame(), watch.tailCapped()};
    }
    return {-1, watch.lastAudibleFrame(), watch.tailCapped()};
}

// A decaying tone whose peak rises late: later frames are judged against a higher peak.
std::vector<float> decayingTone(int64_t frames, int64_t loudestAt, double decayPerFrame)
{
    std::vector<float> out(static_cast<size_t>(frames));
    for (int64_t i = 0; i < frames; ++i) {
        const double level = i < loudestAt ? 0.01 : std::exp(-decayPerFrame * double(i - loudestAt));
        out[static_cast<size_t>(i)] = static_cast<float>(level * std::sin(0.05 * double(i)));
    }
    return out;
}

void expectSameEndAnyStretch(const std::vector<float>& left, const std::vector<float>& right, bool untilSilent)
{
    const Outcome reference = watchInStretches(left, right, 1, untilSilent);
    for (int32_t stretch : {7, 256, 1023, 8192}) {
        const Outcome got = watchInStretches(left, right, stretch, untilSilent);
        EXPECT_EQ(got.end, reference.end) << "stretch " << stretch;
        EXPECT_EQ(got.lastAudible, reference.lastAudible) << "stretch " << stretch;
        EXPECT_EQ(got.capped, reference.capped) << "stretch " << stretch;
    }
}

}   // namespace

TEST(TailWatchStretches, DecayingTailEndsOnTheSameFrameWhateverTheStretch)
{
    const std::vector<float> left = decayingTone(20000, 1500, 0.004);
    std::vector<float> right = decayingTone(20000, 900, 0.006);
    expectSameEndAnyStretch(left, right, true);
    expectSameEndAnyStretch(left, right, false);
}

TEST(TailWatchStretches, TailStillAudibleAtTheCapIsCappedWhateverTheStretch)
{
    const std::vector<float> tone = decayingTone(6000, 10, 0.00001);
    expectSameEndAnyStretch(tone, tone, true);
    EXPECT_TRUE(watchInStretches(tone, tone, 4096, true).capped);
}

TEST(TailWatchStretches, NonFiniteFramesAreJudgedAsFrameByFrame)
{
    std::vector<float> left = decayingTone(12000, 500, 0.003);
    const std::vector<float> right = decayingTone(12000, 500, 0.003);
    left[700] = std::numeric_limits<float>::infinity();
    left[3000] = std::numeric_limits<float>::quiet_NaN();
    expectSameEndAnyStretch(left, right, true);
}

TEST(TailWatchStretches, SilenceAfterTheSongEndsASecondOfQuietLater)
{
    std::vector<float> silence(5000, 0.0f);
    silence[10] = 0.5f;
    const Outcome got = watchInStretches(silence, silence, 512, true);
    EXPECT_EQ(got.end, 1000);   // the song's end: nothing audible after it
    expectSameEndAnyStretch(silence, silence, true);
}

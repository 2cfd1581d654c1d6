// The tail watch judges whole stretches in two passes where the end cannot fall; these check
// that it ends every render on the frame that judging frame by frame (one-frame stretches) picks.
#include "TailWatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using zephra::render::TailWatch;

namespace {

struct Outcome {
    int64_t end, lastAudible;
    bool capped;
    bool operator==(const Outcome& o) const { return end == o.end && lastAudible == o.lastAudible && capped == o.capped; }
};

// The mix fed in stretches of `stretch` frames (song end 1000, quiet 600, fade 20, cap at the
// end; a fixed tail judges every stretch whole).
Outcome watchInStretches(const std::vector<float>& left, const std::vector<float>& right, int32_t stretch,
                         bool untilSilent = true)
{
    const int64_t frames = static_cast<int64_t>(left.size());
    TailWatch watch(1000, frames, untilSilent, 600, 20);
    int64_t at = 0;
    for (bool ended = false; !ended && at < frames; at += stretch)
        ended = watch.watch(at, left.data() + at, right.data() + at,
                            static_cast<int32_t>(std::min<int64_t>(stretch, frames - at)));
    return {watch.certain(std::min(at, frames)), watch.lastAudibleFrame(), watch.tailCapped()};
}

// A tone at 0.01 that jumps to full level at `loudestAt` and decays from there: the frames
// after the jump are judged against a higher peak than those before it.
std::vector<float> decayingTone(int64_t frames, int64_t loudestAt, double decayPerFrame)
{
    std::vector<float> out(static_cast<size_t>(frames));
    for (int64_t i = 0; i < frames; ++i)
        out[static_cast<size_t>(i)] = static_cast<float>(
            (i < loudestAt ? 0.01 : std::exp(-decayPerFrame * double(i - loudestAt))) * std::sin(0.05 * double(i)));
    return out;
}

void expectSameOutcomeAnyStretch(const std::vector<float>& left, const std::vector<float>& right)
{
    for (bool untilSilent : {true, false}) {
        const Outcome reference = watchInStretches(left, right, 1, untilSilent);
        for (int32_t stretch : {7, 256, 1023, 8192})
            EXPECT_TRUE(watchInStretches(left, right, stretch, untilSilent) == reference)
                << "stretch " << stretch << (untilSilent ? ", until silent" : ", fixed tail");
    }
}

}   // namespace

TEST(TailWatchStretches, DecayingOrCappedTailsEndOnTheSameFrameWhateverTheStretch)
{
    expectSameOutcomeAnyStretch(decayingTone(20000, 1500, 0.004), decayingTone(20000, 900, 0.006));
    const std::vector<float> stillAudible = decayingTone(6000, 10, 0.00001);
    expectSameOutcomeAnyStretch(stillAudible, stillAudible);
    EXPECT_TRUE(watchInStretches(stillAudible, stillAudible, 4096).capped);
}

TEST(TailWatchStretches, NonFiniteFramesAndEarlySilenceAreJudgedAsFrameByFrame)
{
    std::vector<float> left = decayingTone(12000, 500, 0.003);
    left[700] = std::numeric_limits<float>::infinity();
    left[3000] = std::numeric_limits<float>::quiet_NaN();
    expectSameOutcomeAnyStretch(left, decayingTone(12000, 500, 0.003));
    std::vector<float> silence(5000, 0.0f);
    silence[10] = 0.5f;
    EXPECT_EQ(watchInStretches(silence, silence, 512).end, 1000);   // nothing audible after the song
    expectSameOutcomeAnyStretch(silence, silence);
}

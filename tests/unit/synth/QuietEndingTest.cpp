// Released voices that end once inaudible: the output moves only below -100 dBFS, the voice is
// free long before its release would end, a note released in its sample's silent lead-in still
// sounds, and the ending does not depend on the block sizes.
#include "unit/synth/EngineFixture.h"
#include "unit/synth/TestRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {

class QuietEnding : public ::testing::TestWithParam<VoiceLoop> {
protected:
    // An engine through the loop under test, `ending` chosen, with the record adopted.
    void prepare(SynthEngine& engine, const SFSynth& record, bool ending)
    {
        engine.useVoiceLoop(GetParam());
        engine.setQuietVoiceEnding(ending);
        adopt(engine, {record});
    }
};

// A quiet looped tone (-66 dB) with a four-second release.
SFSynth quietTone()
{
    SFSynth r = neutralSineRecord(4000);
    r.attenuation = 0.001f;
    r.volEnvRelease = 4.0f;
    return r;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(VoiceLoops, QuietEnding, ::testing::ValuesIn(availableVoiceLoops()),
                         [](const auto& info) { return std::string(voiceLoopName(info.param)); });

TEST_P(QuietEnding, AReleasedVoiceEndsOnceInaudibleMovingTheOutputOnlyBelowMinus100dB)
{
    SynthEngine ending, plain;
    prepare(ending, quietTone(), true);
    prepare(plain, quietTone(), false);
    for (SynthEngine* e : {&ending, &plain}) {
        e->noteOn(69, 1.0f);
        renderLeft(*e, 4410);
        e->noteOff(69);
    }
    int64_t endedAt = -1;
    for (int64_t block = 0; block < 300 && plain.busyVoiceCount() == 1; ++block) {
        const std::vector<float> a = renderLeft(ending, 441, 1.0f), b = renderLeft(plain, 441, 1.0f);
        for (size_t i = 0; i < a.size(); ++i)
            ASSERT_LT(std::fabs(a[i] - b[i]), 1e-5f) << "block " << block << " sample " << i;
        if (endedAt < 0 && ending.busyVoiceCount() == 0)
            endedAt = block;
    }
    // The release runs 4 s to -86 dB; -100 dBFS comes sooner for a -66 dB tone (after 1.3 s,
    // counting the filter's and the tremolo's most).
    EXPECT_GE(endedAt, 100);
    EXPECT_LT(endedAt, 200);
    EXPECT_EQ(plain.busyVoiceCount(), 1);
    EXPECT_EQ(ending.quietEndings(), 1);
}

// Guards against losing short notes: a note released while its sample is still silent must
// sound when the sample does.
TEST_P(QuietEnding, ANoteReleasedInItsSamplesSilentLeadInStillSounds)
{
    SFSynth r = neutralSineRecord(30000, false);
    std::vector<float> points(r.samples.begin(), r.samples.end());
    std::fill(points.begin(), points.begin() + 8000, 0.0f);
    std::fill(points.end() - 10, points.end(), 0.0f);   // and silent where the one-shot ends
    r.samples = SharedSamples(std::move(points));
    r.volEnvRelease = 2.0f;
    SynthEngine ending, plain;
    prepare(ending, r, true);
    prepare(plain, r, false);
    for (SynthEngine* e : {&ending, &plain}) {
        e->noteOn(69, 1.0f);
        renderLeft(*e, 100);
        e->noteOff(69);
    }
    const std::vector<float> a = renderLeft(ending, 12000), b = renderLeft(plain, 12000);
    EXPECT_EQ(a, b);
    EXPECT_GT(std::fabs(*std::max_element(a.begin(), a.end())), 0.01f);
}

TEST_P(QuietEnding, VoicesEndOnTheSameSampleWhateverTheBlockSizes)
{
    SynthEngine whole, pieces;
    prepare(whole, quietTone(), true);
    prepare(pieces, quietTone(), true);
    for (SynthEngine* e : {&whole, &pieces}) {
        e->noteOn(69, 1.0f);
        renderLeft(*e, 1000);
        e->noteOff(69);
    }
    const std::vector<float> want = renderLeft(whole, 90000);
    ASSERT_EQ(whole.busyVoiceCount(), 0);
    std::mt19937 rng(7);
    std::vector<float> got;
    while (got.size() < want.size()) {
        const int n = std::min(int(want.size() - got.size()), std::uniform_int_distribution<int>(1, 700)(rng));
        const std::vector<float> block = renderLeft(pieces, n);
        got.insert(got.end(), block.begin(), block.end());
    }
    EXPECT_EQ(got, want);
}

TEST_P(QuietEnding, OverflowingVoicesReachTheOutputAsSilenceNotInfinity)
{
    SFSynth r = neutralSineRecord(4000);
    std::vector<float> points(r.samples.size(), 3e38f);
    r.samples = SharedSamples(std::move(points));
    SynthEngine engine;
    prepare(engine, r, true);
    engine.noteOn(69, 1.0f);
    engine.noteOn(81, 1.0f);
    std::vector<float> right;
    const std::vector<float> left = renderLeft(engine, 2000, 240.0f, &right);
    const auto finite = [](const std::vector<float>& x) {
        return std::all_of(x.begin(), x.end(), [](float v) { return std::isfinite(v); });
    };
    EXPECT_TRUE(finite(left) && finite(right));
}

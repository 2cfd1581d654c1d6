// The envelope's stages, timing, release and its limits.
#include "synth/Envelope.h"
#include "synth/SynthTables.h"

#include <gtest/gtest.h>

#include <random>

using Steinberg::Vst::Envelope;

namespace {

struct Times {
    float delay = 0.01f, attack = 0.02f, hold = 0.01f, decay = 0.05f, sustain = 0.5f, release = 0.03f;
};

Envelope started(const Times& t)
{
    Envelope e;
    e.setSampleRate(44100.0);
    e.start({&t.delay, &t.attack, &t.hold, &t.decay, &t.sustain, &t.release}, true);
    return e;
}

// Samples the envelope takes to leave stage `stage`.
int samplesIn(Envelope& e, int stage)
{
    int n = 0;
    while (e.stage == stage && n < 10000000) {
        e.advance();
        ++n;
    }
    return n;
}

} // namespace

TEST(Envelope, TraversesEachStageInItsTime)
{
    Times t;
    Envelope e = started(t);
    // 128 steps of float(128 / 44100) x 1e6 / seconds units: the stage time in samples, rounded up.
    EXPECT_NEAR(samplesIn(e, 0), 441, 1);
    EXPECT_NEAR(samplesIn(e, 1), 882, 1);
    EXPECT_NEAR(samplesIn(e, 2), 441, 1);
    EXPECT_NEAR(samplesIn(e, 3), 2205, 2);
    EXPECT_EQ(e.stage, 4);
    for (int i = 0; i < 1000; ++i)
        e.advance();
    EXPECT_EQ(e.stage, 4);
    EXPECT_EQ(e.output, 0.5f);
}

TEST(Envelope, OutputFollowsDelayAttackHoldDecayShape)
{
    Times t;
    Envelope e = started(t);
    e.advance();
    EXPECT_EQ(e.output, 0.0f);   // delay
    while (e.stage == 0)
        e.advance();
    float last = -1.0f;
    while (e.stage == 1) {
        e.advance();
        EXPECT_GE(e.output, last);
        last = e.output;
    }
    EXPECT_LT(last, 1.0f);
    e.advance();
    EXPECT_EQ(e.output, 1.0f);   // hold
    while (e.stage == 2)
        e.advance();
    e.advance();
    EXPECT_NEAR(e.output, 0.9255464f * 0.5f + 0.5f, 1e-6);   // first decay value
}

TEST(Envelope, ReleaseInAttackFallsFromTheLevelReached)
{
    Times t;
    Envelope e = started(t);
    while (e.stage < 1)
        e.advance();
    for (int i = 0; i < 400; ++i)
        e.advance();
    const float reached = e.output;
    ASSERT_GT(reached, 0.3f);
    ASSERT_LT(reached, 0.7f);
    e.release();
    e.advance();
    EXPECT_FLOAT_EQ(e.output, 0.9255464f * reached);
    const int releaseSamples = samplesIn(e, 5);
    EXPECT_NEAR(releaseSamples, 1323 - 1, 2);
    e.advance();
    EXPECT_EQ(e.stage, 6);
    EXPECT_EQ(e.output, 0.0f);
}

// Guards against a counter that runs past the 896-entry curve table (reads out of bounds).
TEST(Envelope, StagesShorterThanOneSampleStayInsideTheTable)
{
    Times t;
    t.delay = 0.0f;
    t.attack = 1e-9f;
    t.hold = -1.0f;   // a nonsense time: the stage never ends, nothing breaks
    Envelope e = started(t);
    for (int i = 0; i < 10; ++i) {
        e.advance();
        EXPECT_GE(e.counter, 0);
        EXPECT_LE(e.counter, Envelope::kLastCounter);
        EXPECT_LE(e.stage, 6);
    }
    EXPECT_EQ(e.stage, 2);   // one sample each for delay and attack, then stuck in hold
    Times fast;
    fast.delay = fast.attack = fast.hold = fast.decay = fast.release = 0.0f;
    Envelope f = started(fast);
    for (int i = 0; i < 5; ++i)
        f.advance();
    EXPECT_EQ(f.stage, 4);
    f.release();
    f.advance();
    f.advance();
    EXPECT_EQ(f.stage, 6);
    EXPECT_LE(f.counter, Envelope::kLastCounter);
}

TEST(Envelope, SkipEqualsThatManySingleAdvances)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> time(0.0005f, 0.05f);
    for (int trial = 0; trial < 50; ++trial) {
        Times t{time(rng), time(rng), time(rng), time(rng), 0.3f, time(rng)};
        Envelope a = started(t), b = started(t);
        for (int round = 0; round < 40; ++round) {
            const int n = int(rng() % 300);
            for (int i = 0; i < n; ++i)
                a.advance();
            b.skip(n);
            ASSERT_EQ(a.counter, b.counter);
            ASSERT_EQ(a.stage, b.stage);
            ASSERT_EQ(a.output, b.output);
            if (round == 20) {
                a.release();
                b.release();
            }
        }
    }
}

TEST(Envelope, SteadyRunPredictsWhenTheOutputChanges)
{
    Times t;
    Envelope e = started(t);
    for (int round = 0; round < 200 && e.stage < 4; ++round) {
        const int64_t run = e.steadyRun();
        const float value = e.nextOutput();
        for (int64_t i = 0; i < run; ++i) {
            e.advance();
            ASSERT_EQ(e.output, value);
        }
    }
}

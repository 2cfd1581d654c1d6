// The LFO's delay, wave and bulk advance.
#include "synth/Lfo.h"
#include "synth/SynthTables.h"

#include <gtest/gtest.h>

#include <random>

using Steinberg::Vst::Lfo;

TEST(Lfo, StaysSilentForItsWholeDelay)
{
    const float frequency = 5.0f, delay = 0.1f;   // 4410 samples
    Lfo l;
    l.setSampleRate(44100.0);
    l.start(&frequency, &delay);
    for (int i = 0; i < 4410; ++i) {
        l.advance();
        ASSERT_EQ(l.output, 0.0f) << "sample " << i;
    }
    l.advance();
    EXPECT_EQ(l.output, 0.0f);   // the wave itself starts at 0
    for (int i = 0; i < 100; ++i)
        l.advance();
    EXPECT_GT(l.output, 0.0f);
}

TEST(Lfo, RunsOnePeriodIn441TableSteps)
{
    const float frequency = 10.0f, delay = 0.0f;
    Lfo l;
    l.setSampleRate(44100.0);
    l.start(&frequency, &delay);
    EXPECT_NEAR(l.runningIncrement, 100000, 1);   // 10 Hz: 4410 samples per period
    float peak = 0.0f;
    int peakAt = 0;
    for (int i = 0; i < 4410; ++i) {
        l.advance();
        if (l.output > peak) {
            peak = l.output;
            peakAt = i;
        }
    }
    EXPECT_NEAR(peakAt, 2205, 10);
    EXPECT_GT(peak, 0.9999f);
    l.advance();
    EXPECT_NEAR(l.output, 0.0f, 1e-3);   // back at the period's start
}

// Guards against a phase sum that overflows 32 bits for frequencies out of range.
TEST(Lfo, AbsurdFrequencyStaysWithinTheWave)
{
    const float frequency = 1e9f, delay = 0.0f;
    Lfo l;
    l.setSampleRate(44100.0);
    l.start(&frequency, &delay);
    EXPECT_EQ(l.runningIncrement, INT32_MIN);
    for (int i = 0; i < 1000; ++i) {
        l.advance();
        ASSERT_GE(l.output, 0.0f);
        ASSERT_LE(l.output, 1.0f);
    }
}

TEST(Lfo, SkipEqualsThatManySingleAdvances)
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> hz(0.1f, 40.0f), seconds(0.0f, 0.05f);
    for (int trial = 0; trial < 50; ++trial) {
        const float frequency = hz(rng), delay = seconds(rng);
        Lfo a, b;
        a.start(&frequency, &delay);
        b.start(&frequency, &delay);
        for (int round = 0; round < 40; ++round) {
            const int n = int(rng() % 500);
            for (int i = 0; i < n; ++i)
                a.advance();
            b.skip(n);
            ASSERT_EQ(a.phase, b.phase);
            ASSERT_EQ(a.output, b.output);
        }
    }
}

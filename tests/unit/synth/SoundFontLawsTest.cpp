// The envelopes, LFOs and filter modulation of the "SoundFont 2.04" response, against worked
// values: the level must fall 100 dB per decay time and stop at the sustain level, the
// modulation envelope rise convex and fall straight, the LFO swing both ways from 0, and a
// modulation depth move the cutoff and the pitch in cents. Classic keeps its own curves (checked elsewhere).
#include "synth/Envelope.h"
#include "synth/Lfo.h"
#include "synth/LowPassFilter.h"
#include "synth/Voice.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Steinberg::Vst;

namespace {

constexpr double kRate = 44100.0;

struct Times {
    float delay = 0.0f, attack = 0.0f, hold = 0.0f, decay = 1.0f, sustain = 0.1f, release = 1.0f;
};

Envelope started(const Times& t, bool volume)
{
    Envelope e;
    e.setSampleRate(kRate);
    e.start({&t.delay, &t.attack, &t.hold, &t.decay, &t.sustain, &t.release}, volume, EnvelopeLaw::soundFont);
    return e;
}

float after(Envelope& e, double seconds)
{
    e.skip(int64_t(seconds * kRate));
    return e.output;
}

} // namespace

TEST(SoundFontLaws, VolumeDecayFallsHundredDecibelsPerDecayTimeAndStopsAtTheSustainLevel)
{
    Times t;   // sustain 20 dB down, decay time 1 s: -10 dB at 0.1 s, the sustain from 0.2 s on
    Envelope e = started(t, true);
    EXPECT_NEAR(20.0 * std::log10(after(e, 0.1)), -10.0, 0.8);   // a table step is 0.78 dB
    EXPECT_NEAR(20.0 * std::log10(after(e, 0.09)), -19.2, 0.8);
    EXPECT_EQ(after(e, 0.02), 0.1f);
    EXPECT_EQ(e.stage, 4);
    e.release();   // from -20 dB, another 100 dB in the release time
    EXPECT_NEAR(20.0 * std::log10(after(e, 0.3)), -50.0, 0.8);
}

TEST(SoundFontLaws, ModulationEnvelopeRisesConvexAndFallsInAStraightLine)
{
    Times t;
    t.attack = 1.0f;
    t.sustain = 0.5f;
    Envelope e = started(t, false);
    EXPECT_NEAR(after(e, 0.1), 0.583f, 0.015f);   // 96 dB rise: 1 + (40/96) log10(0.1), a step 0.014
    after(e, 0.9);
    EXPECT_NEAR(after(e, 0.25), 0.75f, 0.01f);   // half the fall to 0.5 in a quarter second
    EXPECT_NEAR(after(e, 0.26), 0.5f, 0.01f);
    e.release();
    EXPECT_NEAR(after(e, 0.25), 0.25f, 0.01f);   // from 0.5 to 0 in half the release time
    EXPECT_EQ(after(e, 0.26), 0.0f);
}

TEST(SoundFontLaws, TriangleLfoSwingsBothWaysFromZero)
{
    const float frequency = 100.0f, delay = 0.0f;   // 441 samples a period
    Lfo lfo;
    lfo.setSampleRate(kRate);
    lfo.start(&frequency, &delay, true);
    const float expected[] = {0.0f, 0.5f, 1.0f, 0.5f, 0.0f, -0.5f, -1.0f, -0.5f};
    for (float value : expected) {
        lfo.skip(1);
        EXPECT_NEAR(lfo.output, value, 0.01f);
        lfo.skip(54);   // an eighth of a period, less the sample above
    }
}

TEST(SoundFontLaws, ModulationDepthsMoveTheCutoffInCents)
{
    const float cutoff = 1000.0f, q = 1.0f, octave = 2.0f;   // depths of +1200 cents
    LowPassFilter cents, classic;
    cents.start(1.0f, &cutoff, &q, &octave, &octave, true);
    classic.start(1.0f, &cutoff, &q, &octave, &octave);
    EXPECT_NEAR(cents.cutoffFor(0.5f, 0.0f), 1414.2f, 0.5f);   // half an octave
    EXPECT_NEAR(cents.cutoffFor(0.0f, -1.0f), 500.0f, 0.5f);
    EXPECT_NEAR(classic.cutoffFor(0.5f, 0.0f), 1500.0f, 0.5f);
}

TEST(SoundFontLaws, ModulationDepthsMoveThePitchInCentsAndTheLfoCannotStopIt)
{
    const float twoOctaves = 4.0f, octave = 2.0f;
    Voice v;
    v.modEnvToPitchSource = &twoOctaves;
    v.vibLfoToPitchSource = &octave;
    v.depthsInCents = true;
    v.refresh();
    EXPECT_NEAR(v.pitchFactor(0.5f, 0.0f, 0.0f), 2.0f, 1e-5f);   // half of +2400 cents
    EXPECT_NEAR(v.pitchFactor(0.0f, 0.0f, -1.0f), 0.5f, 1e-5f);   // a linear ratio would give 0
}

// Worked values of the "SoundFont 2.04" response's envelopes, LFOs and modulation depths.
#include "synth/Voice.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Steinberg::Vst;

static float after(Envelope& e, double seconds) { e.skip(int64_t(seconds * 44100.0)); return e.output; }

TEST(SoundFontLaws, EnvelopesDecayHundredDecibelsOrInAStraightLineAfterAConvexAttack)
{
    const float zero = 0.0f, second = 1.0f, tenth = 0.1f, half = 0.5f;
    Envelope volume, modulation;
    volume.start({&zero, &zero, &zero, &second, &tenth, &second}, true, EnvelopeLaw::soundFont);
    EXPECT_NEAR(20.0f * std::log10(after(volume, 0.1)), -10.0f, 0.8f);   // table steps are 0.78 dB
    EXPECT_EQ(after(volume, 0.11), 0.1f);                // held at the sustain level, 20 dB down
    modulation.start({&zero, &second, &zero, &second, &half, &second}, false, EnvelopeLaw::soundFont);
    EXPECT_NEAR(after(modulation, 0.1), 0.583f, 0.015f);   // 1 + (40/96) log10(0.1)
    EXPECT_NEAR((after(modulation, 0.9), after(modulation, 0.25)), 0.75f, 0.01f);   // a quarter down
    modulation.release();
    EXPECT_NEAR(after(modulation, 0.25), 0.5f, 0.01f);   // from 0.75 to 0 in 0.75 s
}

TEST(SoundFontLaws, TriangleLfoAndDepthsInCentsMoveCutoffAndPitchBothWays)
{
    const float frequency = 100.0f, delay = 0.0f, cutoff = 1000.0f, q = 1.0f, octave = 2.0f;
    Lfo lfo;
    lfo.start(&frequency, &delay, true);
    for (float value : {0.0f, 1.0f, 0.0f, -1.0f}) {   // quarter periods of 441 samples
        EXPECT_NEAR((lfo.skip(1), lfo.output), value, 0.01f);
        lfo.skip(109);
    }
    Voice v;
    v.modEnvToPitchSource = v.vibLfoToPitchSource = &octave;
    v.depthsInCents = true;
    v.refresh();
    v.filter.start(1.0f, &cutoff, &q, &octave, &octave, true);
    EXPECT_NEAR(v.filter.cutoffFor(0.5f, 0.0f), 1414.2f, 0.5f);   // Classic: 1500
    EXPECT_NEAR(v.filter.cutoffFor(0.0f, -1.0f), 500.0f, 0.5f);
    EXPECT_NEAR(v.pitchFactor(0.0f, 0.0f, -1.0f), 0.5f, 1e-5f);   // a linear ratio would stop at 0
}

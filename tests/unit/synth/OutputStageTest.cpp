// What reaches the outputs: first samples, pan law, output gain and the controller ratios.
#include "unit/synth/EngineFixture.h"
#include "unit/synth/TestRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {

float peak(const std::vector<float>& x)
{
    float p = 0.0f;
    for (float v : x)
        p = std::max(p, std::fabs(v));
    return p;
}

} // namespace

TEST(OutputStage, NewVoiceFirstSampleIsSilent)
{
    SynthEngine engine;
    adopt(engine, {neutralSineRecord()});
    engine.noteOn(69, 1.0f);
    const std::vector<float> out = renderLeft(engine, 2000);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_GT(peak(out), 0.01f);
}

TEST(OutputStage, PanLawSendsHardLeftAndHardRightToOneSide)
{
    for (float pan : {-50.0f, 50.0f}) {
        SFSynth r = neutralSineRecord();
        r.pan = pan;
        SynthEngine engine;
        adopt(engine, {r});
        engine.noteOn(69, 1.0f);
        std::vector<float> right;
        const std::vector<float> left = renderLeft(engine, 3000, 1.0f, &right);
        if (pan < 0) {
            EXPECT_GT(peak(left), 0.01f);
            EXPECT_LT(peak(right), 1e-6f);
        } else {
            EXPECT_LT(peak(left), 1e-6f);
            EXPECT_GT(peak(right), 0.01f);
        }
    }
}

TEST(OutputStage, CentrePanSplitsEqually)
{
    SynthEngine engine;
    adopt(engine, {neutralSineRecord()});
    engine.noteOn(69, 1.0f);
    std::vector<float> right;
    const std::vector<float> left = renderLeft(engine, 3000, 1.0f, &right);
    for (size_t i = 0; i < left.size(); ++i)
        ASSERT_NEAR(left[i], right[i], 1e-6f);
    // Full level, sustain 1, attenuation 1: about sine amplitude x 0.7071 x 0.25.
    EXPECT_NEAR(peak(left), 0.5f * 0.70710678f * 0.25f, 0.01f);
}

TEST(OutputStage, GainScalesTheOutputLinearly)
{
    SynthEngine a, b, c;
    const float gains[3] = {1.0f, 2.0f, 0.0f};
    SynthEngine* engines[3] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k) {
        adopt(*engines[k], {neutralSineRecord()});
        renderLeft(*engines[k], 0, gains[k]);   // the level is set before the note: no fade
        engines[k]->noteOn(69, 1.0f);
    }
    const std::vector<float> unit = renderLeft(a, 2000, 1.0f);
    const std::vector<float> doubled = renderLeft(b, 2000, 2.0f);
    const std::vector<float> silent = renderLeft(c, 2000, 0.0f);
    for (size_t i = 0; i < unit.size(); ++i) {
        ASSERT_EQ(doubled[i], 2.0f * unit[i]);
        ASSERT_EQ(silent[i], 0.0f);
    }
}

// Guards against zipper noise: a level changed while a note sounds moves there in small steps
// and arrives exactly, within about 10 ms.
TEST(OutputStage, AGainChangeWhileSoundingIsRampedWithinTenMilliseconds)
{
    SynthEngine ramped, steady;
    for (SynthEngine* e : {&ramped, &steady}) {
        adopt(*e, {neutralSineRecord()});
        e->noteOn(69, 1.0f);
        renderLeft(*e, 1000, 1.0f);
    }
    const std::vector<float> unit = renderLeft(steady, 600, 1.0f), changed = renderLeft(ramped, 600, 3.0f);
    float previousGain = 1.0f;
    size_t previous = 0;
    for (size_t i = 0; i < unit.size(); ++i) {
        if (std::fabs(unit[i]) < 1e-3f)
            continue;   // the ratio says little at a zero crossing
        // No sample moves the level by more than 1/64 of the change.
        const float gain = changed[i] / unit[i];
        EXPECT_LE(std::fabs(gain - previousGain), float(i + 1 - previous) * 2.0f / 64.0f) << "a step at " << i;
        if (i >= 441) {
            ASSERT_EQ(changed[i], 3.0f * unit[i]) << i;
        }
        previousGain = gain;
        previous = i + 1;
    }
}

TEST(Controllers, WheelStartsNeutralAndReachesAQuarterTone)
{
    SynthEngine engine;
    EXPECT_EQ(engine.wheelRatio(), 1.0f);
    engine.setWheel(0.0);
    EXPECT_EQ(engine.wheelRatio(), 1.0f);
    engine.setWheel(1.0);
    EXPECT_EQ(engine.wheelRatio(), float(std::pow(2.0, 1.0 / 24.0)));
}

TEST(Controllers, BendRatioIsRangeTimesBendInSemitones)
{
    SynthEngine engine;
    engine.setBend(2.0, 1.0);
    EXPECT_EQ(engine.bendRatio(), float(std::pow(2.0, 2.0 / 12.0)));
    engine.setBend(12.0, -1.0);
    EXPECT_EQ(engine.bendRatio(), 0.5f);
    engine.setBend(2.0, 0.0);
    EXPECT_EQ(engine.bendRatio(), 1.0f);
}

TEST(Controllers, BendReachesSoundingVoicesAtTheNextRenderCall)
{
    SynthEngine engine;
    adopt(engine, {neutralSineRecord()});
    engine.noteOn(69, 1.0f);
    renderLeft(engine, 100);
    const double before = engine.voice(0).position;
    renderLeft(engine, 100);
    const double plain = engine.voice(0).position - before;
    engine.setBend(2.0, 1.0);
    renderLeft(engine, 100);
    const double bent = engine.voice(0).position - before - plain;
    EXPECT_NEAR(bent / plain, std::pow(2.0, 2.0 / 12.0), 1e-6);
}

// Guards against held one-shot notes stalling the audio thread: past the sample's end the filter
// history must reach exactly 0, never stay subnormal (here without flush-to-zero).
TEST(OutputStage, AHeldOneShotPastItsEndLeavesNoSubnormalFilterHistory)
{
    SFSynth record = neutralSineRecord(400, false);
    std::vector<float> points(record.samples.begin(), record.samples.end());   // samples are immutable
    std::fill(points.end() - 40, points.end(), 0.0f);
    record.samples = SharedSamples(std::move(points));
    std::tie(record.filterCutoff, record.filterResonance) = std::make_tuple(300.0f, 20.0f);   // slow decay
    SynthEngine engine;
    adopt(engine, {record});
    engine.noteOn(69, 1.0f);
    for (int block = 0; block < 400; ++block) {
        renderLeft(engine, 256);
        const LowPassFilter& f = engine.voice(0).filter;
        for (float h : {f.x1, f.x2, f.y1, f.y2})
            ASSERT_NE(std::fpclassify(h), FP_SUBNORMAL) << block;
    }
    EXPECT_TRUE(engine.voice(0).state == Sounding && engine.voice(0).filter.y1 == 0.0f);

    // A history that ran away (NaN, infinite) is not kept: it would be carried into every
    // later note of the slot and silence its output.
    LowPassFilter filter = engine.voice(0).filter;
    for (float runaway : {std::nanf(""), INFINITY, 1e30f}) {
        filter.keepHistory({1, 0, 0, 0, 0, 0.5f, 0.5f, runaway, 0.5f});
        filter.flushTinyHistory();
        EXPECT_TRUE(filter.x1 == 0.0f && filter.y1 == 0.0f) << runaway;
    }
}

// Guards against +100 dBFS presets: at most sqrt(Q) at the cutoff, stable at every cutoff, Q, rate.
TEST(OutputStage, ResonanceIsHalvedAndStableAtEveryCutoffQAndRate)
{
    const float one = 1.0f;
    for (double rate : {22050.0, 44100.0, 192000.0})
        for (float cutoff : {50.0f, 1000.0f, 22000.0f})
            for (float q : {1.0f, 100.0f, 63095.734f, 1e30f}) {
                LowPassFilter f;
                f.setSampleRate(rate);
                f.start(1.0f, &cutoff, &q, &one, &one);   // velocity 1: the cutoff as given
                float peak = 0.0f;
                for (int i = 0; i < 88200; ++i)
                    peak = std::max(peak, std::fabs(f.process(float(std::sin(2.0 * M_PI * f.clampCutoff(cutoff) / rate * i)))));
                ASSERT_LE(peak, 1.1f * std::sqrt(std::clamp(q, 1.0f, 63095.734f)) + 0.5f) << rate << " " << cutoff << " " << q;
            }
}

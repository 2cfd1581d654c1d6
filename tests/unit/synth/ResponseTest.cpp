// The "SoundFont 2.04" response against worked values of the standard (the concave curve is
// 40 dB per decade of velocity or controller value, reaching 96 dB), and what stays Classic.
#include "unit/synth/EngineFixture.h"
#include "unit/synth/TestRecords.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {

double dB(float gain) { return 20.0 * std::log10(double(gain)); }

// An engine in the given response playing `record`, one note started and refreshed.
struct Played {
    explicit Played(SFSynth record, float velocity = 1.0f, int16_t key = 69,
                    SoundResponse response = SoundResponse::SoundFont204)
    {
        engine.setResponse(response);
        adopt(engine, {record});
        engine.noteOn(key, velocity);
        renderLeft(engine, 64);
    }
    const Voice& voice() const { return engine.voice(0); }
    SynthEngine engine;
};

} // namespace

TEST(SoundFontResponse, VelocityAttenuatesAlongTheConcaveCurveAndLowersTheCutoff)
{
    EXPECT_NEAR(dB(Played(neutralSineRecord(), 127 / 127.0f).voice().attenuation), 0.0, 0.01);
    EXPECT_NEAR(dB(Played(neutralSineRecord(), 64 / 127.0f).voice().attenuation), -11.90, 0.01);
    const Played soft(neutralSineRecord(), 1 / 127.0f);
    EXPECT_NEAR(dB(soft.voice().attenuation), -84.15, 0.01);
    EXPECT_EQ(soft.voice().velocityGain, 1.0f) << "velocity acts through its modulators alone";
    // 13500 cents less 2400 x 126/127 at velocity 1: 5033 Hz.
    EXPECT_NEAR(soft.voice().filter.baseCutoff, 5032.8, 0.5);
}

TEST(SoundFontResponse, VolumeAndExpressionFollowTheCurveAndReachSoundingVoices)
{
    Played played(neutralSineRecord());
    played.engine.setVolume(40 / 127.0);
    renderLeft(played.engine, 64);
    EXPECT_NEAR(dB(played.voice().attenuation), -20.07, 0.01) << "Volume 40 at the next render call";
    played.engine.setExpression(40 / 127.0);
    renderLeft(played.engine, 64);
    EXPECT_NEAR(dB(played.voice().attenuation), -40.14, 0.01);
}

TEST(SoundFontResponse, InitialAttenuationCountsAtFourTenths)
{
    SFSynth r = neutralSineRecord();
    r.generators[48] = 100;   // 100 cB: Classic plays 10 dB down
    r.attenuation = 0.31622776f;
    EXPECT_NEAR(dB(Played(r).voice().attenuation), -4.0, 0.01);
    EXPECT_NEAR(dB(Played(r, 1.0f, 69, SoundResponse::Classic).voice().attenuation), -10.0, 0.01);
}

TEST(SoundFontResponse, WheelsBendAndModulateThroughTheirModulators)
{
    Played played(neutralSineRecord());
    played.engine.setBend(2.0, 1.0);
    played.engine.setWheel(1.0);
    renderLeft(played.engine, 64);
    EXPECT_NEAR(played.voice().bendRatio, std::pow(2.0, 2.0 / 12.0), 1e-5);
    EXPECT_EQ(played.voice().wheelRatio, 1.0f) << "the Classic quarter-tone vibrato is off";
    EXPECT_NEAR(played.voice().vibLfoToPitch, std::pow(2.0, 50.0 / 1200.0), 1e-6);
}

TEST(SoundFontResponse, ScaleTuningAndInstrumentModulatorsShapeTheNote)
{
    SFSynth drum = neutralSineRecord();
    drum.rootKey = 60;
    drum.generators[56] = 0;   // the same pitch on every key
    EXPECT_DOUBLE_EQ(Played(drum, 1.0f, 72).voice().baseIncrement, Played(drum, 1.0f, 60).voice().baseIncrement);

    SFSynth keyed = neutralSineRecord();
    keyed.modulators.entries[keyed.modulators.count++] = {3, 17, 0, 0, 500.0f};   // key -> pan
    EXPECT_NEAR(Played(keyed, 1.0f, 127).voice().panRight, 1.0f, 1e-6);
}

TEST(SoundFontResponse, ChangingTheResponseSilencesTheVoicesAndClassicKeepsItsLaws)
{
    Played played(neutralSineRecord(), 0.5f, 69, SoundResponse::Classic);
    EXPECT_EQ(played.voice().velocityGain, 0.5f);
    EXPECT_EQ(played.voice().attenuation, 1.0f);
    played.engine.setResponse(SoundResponse::SoundFont204);
    EXPECT_EQ(played.engine.busyVoiceCount(), 0);
}

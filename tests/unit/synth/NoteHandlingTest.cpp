// Note-on matching, voice allocation and stealing, release, the sustain pedal and the voice report.
#include "unit/synth/EngineFixture.h"
#include "unit/synth/TestRecords.h"

#include <gtest/gtest.h>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {

// Long envelopes, so voices stay busy while the tests look at them.
SFSynth sustainingRecord()
{
    SFSynth r = neutralSineRecord();
    r.volEnvRelease = 2.0f;
    return r;
}

} // namespace

TEST(NoteHandling, NotesBeforeAnySoundStartNothing)
{
    SynthEngine engine;
    engine.noteOn(60, 1.0f);
    EXPECT_EQ(engine.busyVoiceCount(), 0);
    const std::vector<float> out = renderLeft(engine, 4410);
    for (float x : out)
        ASSERT_EQ(x, 0.0f);
    float l[1], r[1];
    const SynthEngine::RenderReport report = engine.render(l, r, 0, 1.0f);
    EXPECT_FALSE(report.adopted);
}

TEST(NoteHandling, FreeVoicesAreTakenInIndexOrder)
{
    SynthEngine engine;
    adopt(engine, {sustainingRecord()});
    engine.noteOn(60, 1.0f);
    engine.noteOn(64, 1.0f);
    engine.noteOn(67, 1.0f);
    EXPECT_EQ(engine.voice(0).key, 60);
    EXPECT_EQ(engine.voice(1).key, 64);
    EXPECT_EQ(engine.voice(2).key, 67);
    EXPECT_EQ(engine.voice(3).state, Free);
    EXPECT_EQ(engine.voice(0).serial + 1, engine.voice(1).serial);
}

TEST(NoteHandling, ReleasedVoiceIsReusedBeforeStealing)
{
    SynthEngine engine;
    adopt(engine, {sustainingRecord()});
    for (int k = 0; k < 64; ++k) {
        engine.noteOn(int16_t(k), 1.0f);
        renderLeft(engine, 1);
    }
    renderLeft(engine, 441);   // past the minimum note length
    engine.noteOff(10);
    EXPECT_EQ(engine.voice(10).state, Released);
    engine.noteOn(100, 1.0f);
    EXPECT_EQ(engine.voice(10).key, 100);
    EXPECT_EQ(engine.voice(10).state, Sounding);
}

TEST(NoteHandling, WithAllVoicesSoundingTheOldestIsStolen)
{
    SynthEngine engine;
    adopt(engine, {sustainingRecord()});
    for (int k = 63; k >= 0; --k) {
        engine.noteOn(int16_t(k), 1.0f);   // voice i plays key 63 - i; voice 0 is the oldest
        renderLeft(engine, 2);
    }
    engine.noteOn(100, 1.0f);
    EXPECT_EQ(engine.voice(0).key, 100);
    EXPECT_EQ(engine.voice(0).age, 0);
    engine.noteOn(101, 1.0f);
    EXPECT_EQ(engine.voice(1).key, 101);   // the next oldest
}

TEST(NoteHandling, EqualAgesStealTheLowestIndex)
{
    SynthEngine engine;
    adopt(engine, {sustainingRecord()});
    for (int k = 0; k < 64; ++k)
        engine.noteOn(int16_t(k), 1.0f);
    renderLeft(engine, 5);
    engine.noteOn(100, 1.0f);
    EXPECT_EQ(engine.voice(0).key, 100);
}

TEST(NoteHandling, VoicesStartedAtTheSameSampleAreNeverStolen)
{
    SynthEngine engine;
    adopt(engine, {sustainingRecord()});
    for (int k = 0; k < 64; ++k)
        engine.noteOn(int16_t(k), 1.0f);
    engine.noteOn(100, 1.0f);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(engine.voice(i).key, i);
}

TEST(NoteHandling, VelocityRangeIsComparedOnTheZeroToOneScale)
{
    SFSynth upper = sustainingRecord();
    upper.velocityLow = 64;
    SynthEngine engine;
    adopt(engine, {upper});
    engine.noteOn(60, 0.5f);   // 64/127 > 0.5
    EXPECT_EQ(engine.busyVoiceCount(), 0);
    upper.velocityLow = 63;
    SynthEngine other;
    adopt(other, {upper});
    other.noteOn(60, 0.5f);
    EXPECT_EQ(other.busyVoiceCount(), 1);
}

// Guards against notes matching no layer: every MIDI velocity k, sent as k / 127, starts
// exactly one voice when layers split the range at every step.
TEST(NoteHandling, EveryMidiVelocityFindsExactlyOneOfAdjacentLayers)
{
    SFSynthList layers;
    for (int low = 0; low < 128; ++low) {
        SFSynth r = sustainingRecord();
        r.velocityLow = r.velocityHigh = uint8_t(low);
        layers.push_back(r);
    }
    SynthEngine engine;
    adopt(engine, layers);
    for (int k = 0; k < 128; ++k) {
        engine.noteOn(int16_t(k % 100), float(k) / 127.0f);
        ASSERT_EQ(engine.busyVoiceCount(), 1) << "velocity " << k;
        adopt(engine, layers);   // every voice freed
    }
}

TEST(NoteHandling, KeyRangeSelectsRecords)
{
    SFSynth low = sustainingRecord(), high = sustainingRecord();
    low.keyHigh = 59;
    high.keyLow = 60;
    SynthEngine engine;
    adopt(engine, {low, high});
    engine.noteOn(59, 1.0f);
    engine.noteOn(60, 1.0f);
    EXPECT_EQ(engine.busyVoiceCount(), 2);
    engine.noteOn(-1, 1.0f);
    engine.noteOn(200, 1.0f);
    EXPECT_EQ(engine.busyVoiceCount(), 2);
}

TEST(NoteHandling, OverlappingLayersShareOneSerialAndOneNoteOffReleasesBoth)
{
    SynthEngine engine;
    adopt(engine, {sustainingRecord(), sustainingRecord()});
    engine.noteOn(60, 1.0f);
    ASSERT_EQ(engine.busyVoiceCount(), 2);
    EXPECT_EQ(engine.voice(0).serial, engine.voice(1).serial);
    renderLeft(engine, 441);
    engine.noteOff(60);
    EXPECT_EQ(engine.voice(0).state, Released);
    EXPECT_EQ(engine.voice(1).state, Released);
}

TEST(NoteHandling, RestrikingAKeyReleasesItsEarlierVoices)
{
    SynthEngine engine;
    adopt(engine, {sustainingRecord()});
    engine.noteOn(60, 1.0f);
    renderLeft(engine, 10);
    engine.noteOn(60, 1.0f);
    EXPECT_EQ(engine.voice(0).state, Released);
    EXPECT_EQ(engine.voice(1).state, Sounding);
}

TEST(NoteHandling, PedalHoldsRestruckAndReleasedNotesUntilItIsLifted)
{
    SynthEngine engine;
    adopt(engine, {sustainingRecord()});
    engine.setPedal(1.0);
    engine.noteOn(60, 1.0f);
    renderLeft(engine, 10);
    engine.noteOn(60, 1.0f);   // pedal down: the first voice is held, not released
    EXPECT_EQ(engine.voice(0).state, Sounding);
    EXPECT_TRUE(engine.voice(0).pedalHeld);
    renderLeft(engine, 441);
    engine.noteOff(60);        // the second voice is held too
    EXPECT_EQ(engine.voice(1).state, Sounding);
    EXPECT_TRUE(engine.voice(1).pedalHeld);
    renderLeft(engine, 100);
    EXPECT_EQ(engine.busyVoiceCount(), 2);
    engine.setPedal(0.5);      // 0.5 counts as up
    EXPECT_FALSE(engine.pedalDown());
    EXPECT_EQ(engine.voice(0).state, Released);
    EXPECT_EQ(engine.voice(1).state, Released);
}

TEST(NoteHandling, PedalThresholdIsAboveOneHalf)
{
    SynthEngine engine;
    engine.setPedal(0.5);
    EXPECT_FALSE(engine.pedalDown());
    engine.setPedal(0.5001);
    EXPECT_TRUE(engine.pedalDown());
}

TEST(NoteHandling, NoteOffWithoutPedalReleasesOnlyTheFirstMatchingNote)
{
    SynthEngine engine;
    adopt(engine, {sustainingRecord()});
    engine.noteOn(60, 1.0f);
    engine.noteOn(62, 1.0f);
    renderLeft(engine, 441);
    engine.noteOff(62);
    EXPECT_EQ(engine.voice(0).state, Sounding);
    EXPECT_EQ(engine.voice(1).state, Released);
    engine.noteOff(62);   // nothing sounding on that key: nothing happens
    EXPECT_EQ(engine.voice(0).state, Sounding);
}

// Guards against very short notes going unheard: a note-off before 10 ms (in samples at the
// current rate) takes effect at 10 ms, where the pedal, if down then, holds the note instead.
TEST(NoteHandling, NoteOffBeforeTheMinimumLengthTakesEffectAtThatLength)
{
    for (const double rate : {44100.0, 48000.0}) {
        const int shortest = int(rate / 100);
        SynthEngine engine;
        engine.setSampleRate(rate);
        adopt(engine, {sustainingRecord()});
        engine.noteOn(60, 1.0f);
        engine.noteOff(60);
        engine.noteOff(60);   // a second note-off changes nothing
        renderLeft(engine, 100);
        engine.noteOn(62, 1.0f);
        renderLeft(engine, shortest / 2);
        engine.noteOff(62);   // takes effect at 100 + shortest
        engine.setPedal(1.0);
        renderLeft(engine, shortest - 101 - shortest / 2);
        EXPECT_EQ(engine.voice(0).state, Sounding) << rate;
        renderLeft(engine, 2);   // the call is cut where the first note-off falls due
        EXPECT_TRUE(engine.voice(0).pedalHeld) << rate;
        engine.setPedal(0.0);
        EXPECT_EQ(engine.voice(0).state, Released) << rate;
        renderLeft(engine, 98);
        EXPECT_EQ(engine.voice(1).state, Sounding) << rate;
        renderLeft(engine, 1);
        EXPECT_EQ(engine.voice(1).state, Released) << rate;
    }
}

TEST(NoteHandling, VelocityZeroNoteIsSilentButBusyUntilItsNoteOff)
{
    SynthEngine engine;
    adopt(engine, {sustainingRecord()});
    engine.noteOn(60, 0.0f);
    ASSERT_EQ(engine.busyVoiceCount(), 1);
    for (float x : renderLeft(engine, 1000))
        ASSERT_EQ(x, 0.0f);
    EXPECT_EQ(engine.busyVoiceCount(), 1);
    engine.noteOff(60);
    EXPECT_EQ(engine.voice(0).state, Released);   // 1000 samples are past the minimum length
}

TEST(NoteHandling, ReleasedVoiceBecomesFreeWhenItsVolumeEnvelopeEnds)
{
    SFSynth quick = neutralSineRecord();
    quick.volEnvRelease = 0.01f;
    SynthEngine engine;
    adopt(engine, {quick});
    engine.noteOn(60, 1.0f);
    renderLeft(engine, 500);
    engine.noteOff(60);
    renderLeft(engine, 430);
    EXPECT_EQ(engine.voice(0).state, Released);
    renderLeft(engine, 20);
    EXPECT_EQ(engine.voice(0).state, Free);
}

TEST(VoiceReport, CountIsDueEvery4410SamplesWithTheBusyVoices)
{
    SynthEngine engine;
    adopt(engine, {sustainingRecord()});
    engine.noteOn(60, 1.0f);
    engine.noteOn(61, 1.0f);
    std::vector<float> l(5000), r(5000);
    SynthEngine::RenderReport report = engine.render(l.data(), r.data(), 4409, 1.0f);
    EXPECT_FALSE(report.voiceCountDue);
    report = engine.render(l.data(), r.data(), 1, 1.0f);
    EXPECT_TRUE(report.voiceCountDue);
    EXPECT_EQ(report.voiceCount, 2);
    report = engine.render(l.data(), r.data(), 4409, 1.0f);
    EXPECT_FALSE(report.voiceCountDue);
    // A long call reports once and keeps the rest of the count.
    engine.render(l.data(), r.data(), 1, 1.0f);
    l.resize(8820);
    r.resize(8820);
    report = engine.render(l.data(), r.data(), 4410 * 2, 1.0f);
    EXPECT_TRUE(report.voiceCountDue);
    report = engine.render(l.data(), r.data(), 0, 1.0f);
    EXPECT_TRUE(report.voiceCountDue);
}

TEST(VoiceReport, StaysZeroBeforeAnySound)
{
    SynthEngine engine;
    engine.noteOn(60, 1.0f);
    std::vector<float> l(4410), r(4410);
    const SynthEngine::RenderReport report = engine.render(l.data(), r.data(), 4410, 1.0f);
    EXPECT_TRUE(report.voiceCountDue);
    EXPECT_EQ(report.voiceCount, 0);
}

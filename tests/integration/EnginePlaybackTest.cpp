// The instrument as a DAW hears it: a generated looped sine font handed over the way the
// controller does it (a controller state naming the file), played through the built bundle.
#include "controller/ControllerState.h"
#include "host/PluginHost.h"
#include "shell/ParameterIds.h"
#include "support/SignalAnalysis.h"
#include "support/SoundFontWriter.h"
#include "support/StateBytes.h"
#include "support/BundleFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>

using namespace Steinberg;
using namespace zephra::host;
using zephra::test::estimateFrequency;
using zephra::test::controllerStateNaming;
using zephra::test::peakLevel;
using zephra::test::rmsLevel;

namespace {

constexpr int32_t kBlock = 512;

class EnginePlayback : public zephra::test::BundleFixture {
protected:
    void load(const zephra::test::SineFontOptions& options = {}, double sampleRate = 44100.0)
    {
        BundleFixture::SetUp();
        if (HasFatalFailure())
            return;
        std::string error;
        fontPath = std::string(ZEPHRA_BINARY_DIR) + "/engine_playback_" + std::to_string(getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".sf2";
        ASSERT_TRUE(zephra::test::writeFile(fontPath, zephra::test::makeSineSoundFont(options)));
        ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, 0)), kResultOk);
        ASSERT_TRUE(plugin->setup(sampleRate, kBlock, &error)) << error;
        plugin->process(kBlock);   // the records are adopted at the end of this block
    }

    void TearDown() override
    {
        plugin.reset();
        module.reset();
        if (!fontPath.empty())
            std::remove(fontPath.c_str());
    }

    // Renders `blocks` blocks, the note-on of `key` at the start of the first one.
    std::vector<float> playNote(int16_t key, int blocks, const std::vector<ParameterChange>& changes = {})
    {
        std::vector<float> left;
        for (int b = 0; b < blocks; ++b) {
            std::vector<NoteEvent> notes;
            if (b == 0)
                notes.push_back(NoteEvent::on(0, key, 1.0f));
            const StereoBuffer& out = plugin->process(kBlock, b == 0 ? changes : std::vector<ParameterChange>{}, notes);
            left.insert(left.end(), out.left.begin(), out.left.end());
        }
        return left;
    }

    std::string fontPath;
};

double within(double expected) { return expected * 0.005; }

} // namespace

TEST_F(EnginePlayback, Note69PlaysTheSampleAtItsRecordedPitch)
{
    load();
    const std::vector<float> left = playNote(69, 16);
    ASSERT_GT(peakLevel(left), 0.01) << "the note does not sound";
    EXPECT_NEAR(estimateFrequency(left, 44100.0, 2048), 441.0, within(441.0));
}

TEST_F(EnginePlayback, Note81PlaysAnOctaveAboveTheRootKey)
{
    load();
    const std::vector<float> left = playNote(81, 16);
    EXPECT_NEAR(estimateFrequency(left, 44100.0, 2048), 882.0, within(882.0));
}

TEST_F(EnginePlayback, RootKeySampleRateAndPitchCorrectionSetThePitch)
{
    zephra::test::SineFontOptions options;
    options.sampleRate = 22050;
    options.frequency = 220.5;   // still 100 points per cycle
    options.rootKey = 60;
    options.pitchCorrection = 30;
    load(options);
    const double expected = 220.5 * std::pow(2.0, 9.0 / 12.0) * std::pow(2.0, 30.0 / 1200.0);
    const std::vector<float> left = playNote(69, 16);
    EXPECT_NEAR(estimateFrequency(left, 44100.0, 2048), expected, within(expected));
}

TEST_F(EnginePlayback, OutputRateDoesNotChangeThePitch)
{
    load({}, 48000.0);
    const std::vector<float> left = playNote(69, 16);
    EXPECT_NEAR(estimateFrequency(left, 48000.0, 2048), 441.0, within(441.0));
}

TEST_F(EnginePlayback, PitchBendUpWithRangeTwoRaisesTwoSemitones)
{
    load();
    const std::vector<ParameterChange> bend{{129, 0, 1.0}, {1000, 0, 2.0 / 12.0}};
    const std::vector<float> left = playNote(69, 16, bend);
    const double expected = 441.0 * std::pow(2.0, 2.0 / 12.0);
    EXPECT_NEAR(estimateFrequency(left, 44100.0, 2048), expected, within(expected));
}

TEST_F(EnginePlayback, SustainPedalHoldsReleasedNotesUntilLifted)
{
    load();
    plugin->process(kBlock, {{64, 0, 1.0}});
    plugin->process(kBlock, {}, {NoteEvent::on(0, 69, 1.0f)});
    plugin->process(kBlock, {}, {NoteEvent::off(0, 69)});
    std::vector<float> held;
    for (int b = 0; b < 20; ++b) {
        const StereoBuffer& out = plugin->process(kBlock);
        held.insert(held.end(), out.left.begin(), out.left.end());
    }
    EXPECT_GT(rmsLevel(held, held.size() - kBlock), 0.01) << "the released note stopped under the pedal";
    plugin->process(kBlock, {{64, 0, 0.0}});
    plugin->process(kBlock);
    const StereoBuffer& after = plugin->process(kBlock);
    EXPECT_EQ(peakLevel(after.left), 0.0) << "lifting the pedal did not release the note";
}

TEST_F(EnginePlayback, NoteOffWithoutPedalReleasesAtOnce)
{
    load();
    plugin->process(kBlock, {}, {NoteEvent::on(0, 69, 1.0f)});
    plugin->process(kBlock, {}, {NoteEvent::off(0, 69)});
    const StereoBuffer& after = plugin->process(kBlock);
    EXPECT_EQ(peakLevel(after.left), 0.0);
}

// Guards against very short notes being silent: a note-off before 10 ms takes effect at 10 ms,
// sample-exactly, so notes of 0 and 5 ms sound exactly like a 10 ms note; a 20 ms note keeps
// its length.
TEST_F(EnginePlayback, NotesShorterThanTenMillisecondsLastTenMilliseconds)
{
    zephra::test::SineFontOptions options;
    options.volEnvReleaseTimecents = -2400;
    // The note lasts `length` samples (-1: held) within 16 blocks, on a fresh instance.
    auto play = [&](int length) {
        plugin.reset();
        load(options);
        std::vector<float> left;
        for (int b = 0; b < 16; ++b) {
            std::vector<NoteEvent> notes;
            if (b == 0)
                notes.push_back(NoteEvent::on(0, 69, 1.0f));
            if (length >= 0 && length / kBlock == b)
                notes.push_back(NoteEvent::off(length % kBlock, 69));
            const StereoBuffer& out = plugin->process(kBlock, {}, notes);
            left.insert(left.end(), out.left.begin(), out.left.end());
        }
        return left;
    };
    const std::vector<float> held = play(-1), tenMs = play(441), twentyMs = play(882);
    EXPECT_EQ(play(0), tenMs);
    EXPECT_EQ(play(220), tenMs);
    EXPECT_GT(peakLevel(tenMs), 0.5 * peakLevel(held));
    auto sameStart = [&](const std::vector<float>& x, size_t n) { return std::equal(x.begin(), x.begin() + long(n), held.begin()); };
    EXPECT_TRUE(sameStart(tenMs, 441));
    EXPECT_FALSE(sameStart(tenMs, 450));
    EXPECT_TRUE(sameStart(twentyMs, 882));
    EXPECT_FALSE(sameStart(twentyMs, 890));
}

// A level change fades in over 256 samples (no zipper noise), then holds exactly.
TEST_F(EnginePlayback, VolumeZeroIsSilenceAfterItsFade)
{
    load();
    const std::vector<float> left = playNote(69, 8, {{7, 0, 0.0}});
    EXPECT_EQ(peakLevel(left, 256), 0.0);
}

TEST_F(EnginePlayback, ExpressionZeroIsSilenceAndOutputLevelScales)
{
    load();
    EXPECT_EQ(peakLevel(playNote(69, 8, {{11, 0, 0.0}})), 0.0);
    plugin->process(kBlock, {{11, 0, 1.0}}, {NoteEvent::off(0, 69)});
    plugin->process(kBlock);
    const double standard = peakLevel(playNote(69, 8), 2048);
    plugin->process(kBlock, {}, {NoteEvent::off(0, 69)});
    plugin->process(kBlock);
    // Output level at normalised 1.0 is 240 instead of the default 12: twenty times louder.
    const double loud = peakLevel(playNote(69, 8, {{1001, 0, 1.0}}), 2048);
    EXPECT_NEAR(loud / standard, 20.0, 0.2);
}

TEST_F(EnginePlayback, NoteAtOffset300LeavesTheSamplesBeforeItUntouched)
{
    load();
    const StereoBuffer& first = plugin->process(kBlock, {}, {NoteEvent::on(300, 69, 1.0f)});
    for (int i = 0; i <= 300; ++i) {   // the new voice's own first sample is silent too
        ASSERT_EQ(first.left[size_t(i)], 0.0f) << i;
        ASSERT_EQ(first.right[size_t(i)], 0.0f) << i;
    }
    EXPECT_GT(peakLevel(first.left, 301), 0.0);
}

TEST_F(EnginePlayback, NoteAtOffset300AddsNothingBeforeItToASoundingNote)
{
    // Two identical instruments; only the second gets a note at offset 300 of its third block.
    load();
    std::string error;
    std::unique_ptr<Plugin> twin = Plugin::create(*module, error);
    ASSERT_NE(twin, nullptr) << error;
    ASSERT_EQ(twin->setControllerState(controllerStateNaming(fontPath, 0)), kResultOk);
    ASSERT_TRUE(twin->setup(44100.0, kBlock, &error)) << error;
    twin->process(kBlock);
    for (Plugin* p : {plugin.get(), twin.get()}) {
        p->process(kBlock, {}, {NoteEvent::on(0, 60, 1.0f)});
        p->process(kBlock);
    }
    const std::vector<float> plain = plugin->process(kBlock).left;
    const std::vector<float> withNote = twin->process(kBlock, {}, {NoteEvent::on(300, 69, 1.0f)}).left;
    for (int i = 0; i <= 300; ++i)
        ASSERT_EQ(plain[size_t(i)], withNote[size_t(i)]) << i;
    bool differs = false;
    for (size_t i = 301; i < plain.size(); ++i)
        differs = differs || plain[i] != withNote[i];
    EXPECT_TRUE(differs);
}

TEST_F(EnginePlayback, ReportsSamplePointsOnLoadAndBusyVoicesWhenAskedOnTheUiThread)
{
    load();
    int usedMemoryReports = 0;
    for (const MessageRecord& m : plugin->messages()) {
        if (m.id != "USEDMEM")
            continue;
        ++usedMemoryReports;
        EXPECT_EQ(m.direction, MessageDirection::ToController);
        EXPECT_EQ(m.thread, std::this_thread::get_id());   // inside the controller's send
        ASSERT_EQ(m.binaries.at("usedMem").size(), 8u);
        int64_t points = 0;
        std::memcpy(&points, m.binaries.at("usedMem").data(), 8);
        EXPECT_EQ(points, 100 + 4 * 100 + 1);   // lead, four loop lengths and the guard point
    }
    EXPECT_EQ(usedMemoryReports, 1);

    plugin->clearMessages();
    playNote(69, 9);   // 4608 samples: past 4410 counted from the adoption block's 512
    EXPECT_TRUE(plugin->messages().empty()) << "nothing is sent unasked";
    plugin->sendToProcessor("GETVOICENUM");   // as the controller asks on its editor's timer
    plugin->sendToProcessor("GETVOICENUM");   // nothing counted since the answer: no answer
    int voiceReports = 0;
    for (const MessageRecord& m : plugin->messages()) {
        if (m.id != "VOICENUM")
            continue;
        ++voiceReports;
        ASSERT_EQ(m.binaries.at("voiceNum").size(), 4u);
        int32_t count = 0;
        std::memcpy(&count, m.binaries.at("voiceNum").data(), 4);
        EXPECT_EQ(count, 1);
        EXPECT_EQ(m.thread, std::this_thread::get_id());
    }
    EXPECT_EQ(voiceReports, 1);
}

// Guards against a sample rate of 0 or less reaching the engine, where every increment and the
// filter would become meaningless: the set-up is refused and the instrument keeps its rate.
TEST_F(EnginePlayback, SampleRateThatIsNotPositiveIsRefused)
{
    load();
    ASSERT_EQ(plugin->setActive(false), kResultOk);
    EXPECT_NE(plugin->setupProcessing(0.0, kBlock), kResultOk);
    EXPECT_NE(plugin->setupProcessing(-48000.0, kBlock), kResultOk);
    ASSERT_EQ(plugin->setActive(true), kResultOk);
    const std::vector<float> left = playNote(69, 16);
    EXPECT_NEAR(estimateFrequency(left, 44100.0, 2048), 441.0, within(441.0));
}

// Guards against crafted fonts putting +58 dBFS, NaN or infinity on the host's mix bus, and a
// NaN "Output Level" in a stored state making every sample NaN.
TEST_F(EnginePlayback, CraftedFontsAndANonFiniteStateGiveFiniteOutputNoLouderThanThePlainFont)
{
    const auto peakOf = [this](std::vector<zephra::test::GeneratorSpec> instrument,
                               std::vector<zephra::test::GeneratorSpec> preset = {}) {
        zephra::test::SineFontOptions options;
        options.instrumentGenerators = std::move(instrument);
        options.presetGenerators = std::move(preset);
        load(options);
        const std::vector<float> left = playNote(69, 24);
        EXPECT_TRUE(std::all_of(left.begin(), left.end(), [](float x) { return std::isfinite(x); }));
        return peakLevel(left);
    };
    const double plain = peakOf({});
    EXPECT_LE(peakOf({{48, -600}}), plain);   // -600 cB (and -32768) play as 0 cB
    EXPECT_LE(peakOf({{37, -32768}}), plain);   // sustain
    EXPECT_LE(peakOf({{13, -32768}, {22, 4000}}), 2.0 * plain);   // mod LFO to volume: at most doubled
    EXPECT_LE(peakOf({{9, 32767}, {8, 6000}}), plain);   // resonance far beyond 96 dB
    EXPECT_LE(peakOf({{36, -32768}, {34, -32768}, {38, 32767}}), plain);
    EXPECT_LT(peakOf({{48, 30000}}, {{48, 30000}}), 1e-6);   // a sum past 16 bits is silence, not a wrap
    load();
    EXPECT_EQ(plugin->setProcessorState(zephra::test::processorStateBytes(Vst::kStateHeader, 0, {{Vst::kOutputLevelId, std::nan("")}})), kResultFalse);
    EXPECT_NEAR(peakLevel(playNote(69, 24)), plain, plain * 1e-3);
    // Values outside their range are kept as stored, but an Output Level of 1e30 plays as the
    // range's end and never reaches the host's mix as it is.
    using zephra::test::processorStateBytes;
    ASSERT_EQ(plugin->setProcessorState(processorStateBytes(Vst::kStateHeader, 0, {{Vst::kOutputLevelId, 1e30}, {Vst::kVolumeId, 9.0}})), kResultOk);
    const double beyond = peakLevel(playNote(69, 24));
    ASSERT_EQ(plugin->setProcessorState(processorStateBytes(Vst::kStateHeader, 0, {{Vst::kOutputLevelId, 240.0}, {Vst::kVolumeId, 1.0}})), kResultOk);
    EXPECT_NEAR(beyond, peakLevel(playNote(69, 24)), plain * 1e-3);
}

// Guards against a project sounding different after reloading: bypassed, font A then font B
// restored; B is taken over while still bypassed (251 points) and is what plays afterwards.
TEST_F(EnginePlayback, TheLastSoundChosenWhileBypassedIsTheOneHeardAfterwards)
{
    load();
    plugin->process(kBlock, {{0x7FFFFFFF, 0, 1.0}});
    zephra::test::SineFontOptions second;
    second.frequency = 882.0;
    const std::string secondPath = fontPath + ".second.sf2";
    ASSERT_TRUE(zephra::test::writeFile(secondPath, zephra::test::makeSineSoundFont(second)));
    for (const std::string& path : {fontPath, secondPath})
        ASSERT_EQ(plugin->setControllerState(controllerStateNaming(path, 0)), kResultOk);
    std::remove(secondPath.c_str());
    ASSERT_EQ(plugin->messages().back().id, "USEDMEM");
    EXPECT_EQ(plugin->messages().back().binaries.at("usedMem")[0], 251);
    plugin->process(kBlock);
    const std::vector<float> left = playNote(69, 16, {{0x7FFFFFFF, 0, 0.0}});
    EXPECT_NEAR(estimateFrequency(left, 44100.0, 2048), 882.0, within(882.0));
}

// Guards against the current sound keeping the old rate's tuning (480 Hz for 441 Hz at 48 kHz),
// and against hosts cutting release tails in an offline export.
TEST_F(EnginePlayback, ARateChangeKeepsThePitchAndTheTailIsTheLongestRelease)
{
    zephra::test::SineFontOptions options;
    options.frequency = 440.0;
    options.volEnvReleaseTimecents = 1200;   // two seconds
    load(options);
    EXPECT_NEAR(double(plugin->processor()->getTailSamples()), 88200.0, 10.0);
    playNote(69, 4);
    ASSERT_EQ(plugin->setActive(false), kResultOk);
    ASSERT_EQ(plugin->setupProcessing(48000.0, kBlock), kResultOk);
    ASSERT_EQ(plugin->setActive(true), kResultOk);
    EXPECT_NEAR(estimateFrequency(playNote(69, 16), 48000.0, 2048), 440.0, within(440.0));
}

// What hosts and conformance checkers do with process, through the bundle: odd buffers, null
// lists, every block size, clock edge cases, bypass, and activation cycles.
#include "host/PluginHost.h"
#include "support/BundleFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::host;

namespace {

constexpr ParamID kBypass = 0x7FFFFFFF;
constexpr int32_t kMaxBlock = 8192;

std::vector<float> ramp(size_t count, float scale) {
    std::vector<float> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = scale * static_cast<float>((i % 200) + 1) / 200.0f;
    return samples;
}

class BundleProcess : public zephra::test::BundleFixture {
protected:
    void SetUp() override {
        setUpProcessing(44100.0, kMaxBlock);
    }

    static bool allZero(const std::vector<float>& samples) {
        for (float s : samples) {
            if (s != 0.0f)
                return false;
        }
        return true;
    }

    uint8_t storedBypassByte() {
        const std::vector<uint8_t> state = plugin->processorState();
        return state.size() > 15 ? state[15] : 0xEE;
    }
};

TEST_F(BundleProcess, ABlockOfZeroSamplesIsAccepted) {
    plugin->process(0, {}, {NoteEvent::on(0, 60)});
    EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
    plugin->process(64);
    EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
}

TEST_F(BundleProcess, NullListsAndNoContextAreAccepted) {
    ProcessOptions options;
    options.nullEvents = true;
    options.nullParameterChanges = true;
    const StereoBuffer& out = plugin->process(64, {}, {}, nullptr, options);
    EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
    EXPECT_TRUE(allZero(out.left));
    EXPECT_TRUE(allZero(out.right));
}

TEST_F(BundleProcess, BlocksWithoutUsableBuffersAreAcceptedAndWriteNothing) {
    for (BusLayout layout : {BusLayout::NoBuses, BusLayout::ZeroChannels, BusLayout::NullChannelPointers,
                             BusLayout::MonoOutput}) {
        ProcessOptions options;
        options.layout = layout;
        plugin->setInputSignal(ramp(64, 1.0f), ramp(64, 1.0f));
        const StereoBuffer& out = plugin->process(64, {{1, 0, 0.5}}, {NoteEvent::on(10, 60)}, nullptr, options);
        EXPECT_EQ(plugin->lastProcessResult(), kResultOk) << static_cast<int>(layout);
        if (layout == BusLayout::MonoOutput) {
            EXPECT_TRUE(allZero(out.right)) << "the second channel does not exist";
        }
    }
    // A later normal block works as before.
    plugin->process(64);
    EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
}

TEST_F(BundleProcess, EveryBlockSizeUpToTheMaximumIsRendered) {
    for (int32_t size = 1; size <= kMaxBlock; ++size) {
        const StereoBuffer& out = plugin->process(size);
        ASSERT_EQ(plugin->lastProcessResult(), kResultOk) << "block of " << size;
        ASSERT_EQ(out.left.size(), static_cast<size_t>(size));
    }
}

TEST_F(BundleProcess, SilenceWithoutASoundEvenWithNotesAtEveryKindOfOffset) {
    const std::vector<NoteEvent> notes = {NoteEvent::on(0, 60), NoteEvent::on(16, 64), NoteEvent::on(63, 67),
                                          NoteEvent::off(32, 60), NoteEvent::on(64, 72), NoteEvent::on(5000, 48)};
    const StereoBuffer& out = plugin->process(64, {}, notes);
    EXPECT_TRUE(allZero(out.left));
    for (int i = 0; i < 100; ++i)
        plugin->process(64);
    EXPECT_TRUE(allZero(plugin->process(64).right));
}

TEST_F(BundleProcess, BadEventFieldsDoNotHurt) {
    const std::vector<NoteEvent> notes = {
        NoteEvent{NoteEvent::Kind::On, -5, -1, -1, -1.0f, -1},
        NoteEvent{NoteEvent::Kind::On, std::numeric_limits<int32_t>::max(), 99, 300, 2.0f, 7},
        NoteEvent{NoteEvent::Kind::Off, std::numeric_limits<int32_t>::min(), 15, 127,
                  std::numeric_limits<float>::quiet_NaN(), 7},
        NoteEvent{NoteEvent::Kind::On, 1, 0, 60, std::numeric_limits<float>::infinity(), 1}};
    for (int i = 0; i < 4; ++i) {
        plugin->process(64, {}, notes);
        EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
    }
}

TEST_F(BundleProcess, BadParameterValuesDoNotHurt) {
    const std::vector<ParameterChange> changes = {
        {1, 0, -1.0}, {7, 0, 2.0}, {11, 0, std::numeric_limits<double>::quiet_NaN()},
        {1001, -3, std::numeric_limits<double>::infinity()}, {123456, 0, 0.5}, {kBypass, 99999, 0.2}};
    for (int i = 0; i < 4; ++i) {
        plugin->process(64, changes);
        EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
    }
    EXPECT_EQ(storedBypassByte(), 0);
}

// Guards against an endless tick loop when the tick spacing truncates to zero samples.
TEST_F(BundleProcess, AbsurdTemposNeitherHangNorCrash) {
    const double tempos[] = {1e12, 1e300, std::numeric_limits<double>::infinity(), 0.0, -120.0, 1e-300,
                             std::numeric_limits<double>::quiet_NaN(), 120.0};
    for (double tempo : tempos) {
        for (bool playing : {true, false}) {
            ProcessContext context{};
            context.state = ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid |
                            (playing ? ProcessContext::kPlaying : 0);
            context.tempo = tempo;
            context.sampleRate = 44100.0;
            context.projectTimeMusic = playing ? 1e9 : 0.0;
            plugin->process(kMaxBlock, {}, {}, &context);
            EXPECT_EQ(plugin->lastProcessResult(), kResultOk) << tempo;
        }
    }
}

TEST_F(BundleProcess, OddMusicalPositionsAreAccepted) {
    const double positions[] = {-1.0, -1e12, 1e15, std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::infinity(), 0.0625};
    for (double position : positions) {
        ProcessContext context{};
        context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid;
        context.tempo = 120.0;
        context.projectTimeMusic = position;
        plugin->process(4096, {}, {}, &context);
        EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
    }
}

TEST_F(BundleProcess, TransportStartsAndStopsAreAccepted) {
    ProcessContext context{};
    context.tempo = 120.0;
    context.sampleRate = 48000.0;
    for (int i = 0; i < 16; ++i) {
        context.state = ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid |
                        ((i / 2) % 2 ? ProcessContext::kPlaying : 0);
        context.projectTimeMusic = i * 0.1;
        plugin->process(4096, {}, {}, (i % 3 == 0) ? nullptr : &context);
        EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
    }
}

TEST_F(BundleProcess, BypassCopiesTheInputAndIsStored) {
    const std::vector<float> left = ramp(256, 0.5f);
    const std::vector<float> right = ramp(256, -0.25f);
    plugin->setInputSignal(left, right);
    const StereoBuffer& out = plugin->process(256, {{kBypass, 0, 0.6}});
    EXPECT_EQ(out.left, left);
    EXPECT_EQ(out.right, right);
    EXPECT_EQ(storedBypassByte(), 1);

    plugin->setInputSignal(left, right);
    const StereoBuffer& off = plugin->process(256, {{kBypass, 0, 0.4}});
    EXPECT_TRUE(allZero(off.left));
    EXPECT_EQ(storedBypassByte(), 0);
}

TEST_F(BundleProcess, BypassInPlaceLeavesTheSignalAlone) {
    const std::vector<float> left = ramp(128, 0.5f);
    plugin->setInputSignal(left, left);
    ProcessOptions options;
    options.inPlace = true;
    const StereoBuffer& out = plugin->process(128, {{kBypass, 0, 1.0}}, {}, nullptr, options);
    EXPECT_EQ(out.left, left);
    EXPECT_EQ(out.right, left);
}

TEST_F(BundleProcess, BypassOnlyTheLastPointOfTheQueueCounts) {
    plugin->process(64, {{kBypass, 0, 1.0}, {kBypass, 32, 0.0}});
    EXPECT_EQ(storedBypassByte(), 0);
    plugin->process(64, {{kBypass, 0, 0.0}, {kBypass, 63, 0.9}});
    EXPECT_EQ(storedBypassByte(), 1);
}

TEST_F(BundleProcess, BypassSurvivesAStateRoundTripIntoANewInstance) {
    plugin->process(64, {{kBypass, 0, 1.0}});
    const std::vector<uint8_t> saved = plugin->processorState();
    ASSERT_EQ(saved.size(), 104u);
    EXPECT_EQ(saved[15], 1);

    std::string error;
    auto restored = Plugin::create(*module, error);
    ASSERT_NE(restored, nullptr) << error;
    ASSERT_TRUE(restored->setup(44100.0, 256, &error)) << error;
    ASSERT_EQ(restored->setProcessorState(saved), kResultOk);
    const std::vector<float> left = ramp(256, 0.5f);
    restored->setInputSignal(left, left);
    const StereoBuffer& out = restored->process(256);
    EXPECT_EQ(out.left, left);
    EXPECT_EQ(restored->processorState(), saved);
}

TEST_F(BundleProcess, BypassSurvivesDeactivation) {
    plugin->process(64, {{kBypass, 0, 1.0}});
    plugin->setProcessing(false);
    ASSERT_EQ(plugin->setActive(false), kResultOk);
    ASSERT_EQ(plugin->setActive(true), kResultOk);
    plugin->setProcessing(true);
    const std::vector<float> left = ramp(64, 0.5f);
    plugin->setInputSignal(left, left);
    EXPECT_EQ(plugin->process(64).left, left);
}

TEST_F(BundleProcess, RepeatedActivationAndProcessingCyclesKeepWorking) {
    for (int cycle = 0; cycle < 20; ++cycle) {
        EXPECT_NE(plugin->setProcessing(false), kInternalError);
        EXPECT_EQ(plugin->setActive(false), kResultOk);
        if (cycle % 2) {
            EXPECT_EQ(plugin->setupProcessing(cycle % 4 ? 48000.0 : 44100.0, 64 + cycle), kResultOk);
        }
        EXPECT_EQ(plugin->setActive(true), kResultOk);
        EXPECT_NE(plugin->setProcessing(true), kInternalError);
        plugin->process(64, {{7, 0, 0.5}}, {NoteEvent::on(3, 60), NoteEvent::off(40, 60)});
        EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
    }
}

TEST_F(BundleProcess, OfflineProcessingWorksLikeRealtime) {
    ASSERT_EQ(plugin->setActive(false), kResultOk);
    ASSERT_EQ(plugin->setupProcessing(96000.0, 1024, kOffline), kResultOk);
    ASSERT_EQ(plugin->setActive(true), kResultOk);
    ProcessOptions options;
    options.processMode = kOffline;
    plugin->process(1024, {}, {}, nullptr, options);
    EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
}

TEST_F(BundleProcess, ParameterChangesReachTheStoredState) {
    // "Output Level" at normalised 0.5 is 240 * 0.5^log2(10); "Bend Range" 0.5 is 6 semitones.
    plugin->process(64, {{1001, 0, 0.5}, {1000, 0, 0.5}, {64, 0, 1.0}, {7, 0, 0.2}, {7, 256, 0.9}});
    const std::vector<uint8_t> state = plugin->processorState();
    ASSERT_EQ(state.size(), 104u);
    auto valueOf = [&](int32_t id) {
        for (size_t offset = 20; offset + 12 <= state.size(); offset += 12) {
            int32_t entryId = 0;
            std::memcpy(&entryId, state.data() + offset, 4);
            if (entryId == id) {
                double value = 0.0;
                std::memcpy(&value, state.data() + offset + 4, 8);
                return value;
            }
        }
        return std::numeric_limits<double>::quiet_NaN();
    };
    EXPECT_DOUBLE_EQ(valueOf(1001), 240.0 * std::pow(0.5, 3.321928094887362));
    EXPECT_NEAR(valueOf(1001), 24.0, 1e-6);
    EXPECT_EQ(valueOf(1000), 6.0);
    EXPECT_EQ(valueOf(64), 2.0);
    EXPECT_DOUBLE_EQ(valueOf(7), 0.9);
}

} // namespace

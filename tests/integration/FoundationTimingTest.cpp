// Sample-accurate note timing through the bundle: a note sounds from its own sample, wherever in
// the block it lands, also when the host sends it a block early; a loaded sound survives
// deactivation from another thread, as offline export does.
#include "host/PluginHost.h"
#include "support/SoundFontWriter.h"
#include "support/StateBytes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <unistd.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::host;

namespace {

using zephra::test::appendInt32;
using zephra::test::controllerStateNaming;

constexpr int32_t kBlock = 512;

class BundleTiming : public ::testing::Test {
protected:
    void SetUp() override {
        fontPath = ::testing::TempDir() + "zephra_timing_" + std::to_string(getpid()) + ".sf2";
        ASSERT_TRUE(zephra::test::writeFile(fontPath, zephra::test::makeSineSoundFont()));
        std::string error;
        module = Module::load(ZEPHRA_BUNDLE_PATH, error);
        ASSERT_NE(module, nullptr) << error;
    }

    void TearDown() override { std::remove(fontPath.c_str()); }

    // A fresh instance playing the sine font, its first block already rendered (the sound is
    // adopted at the end of a render call).
    std::unique_ptr<Plugin> playingInstance() {
        std::string error;
        auto plugin = Plugin::create(*module, error);
        EXPECT_NE(plugin, nullptr) << error;
        if (!plugin)
            return nullptr;
        EXPECT_TRUE(plugin->setup(44100.0, kBlock, &error)) << error;
        EXPECT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, 0)), kResultOk);
        plugin->process(kBlock);
        return plugin;
    }

    // Index of the first non-zero sample of either channel, or -1.
    static int32_t firstSound(const StereoBuffer& out) {
        for (size_t i = 0; i < out.left.size(); ++i) {
            if (out.left[i] != 0.0f || out.right[i] != 0.0f)
                return static_cast<int32_t>(i);
        }
        return -1;
    }

    // Renders three blocks, the first with the given notes, and returns where sound starts,
    // counted from the first block's start (-1: silence throughout).
    static int32_t onset(Plugin& plugin, const std::vector<NoteEvent>& notes,
                         const ProcessOptions& options = {}) {
        for (int32_t block = 0; block < 3; ++block) {
            const StereoBuffer& out =
                plugin.process(kBlock, {}, block == 0 ? notes : std::vector<NoteEvent>{}, nullptr, options);
            const int32_t first = firstSound(out);
            if (first >= 0)
                return block * kBlock + first;
        }
        return -1;
    }

    // Where a note at offset 0 starts sounding: the sound's own lead-in (its envelope delay
    // and its first, silent sine point). Every other onset is measured against it.
    int32_t leadIn() {
        auto plugin = playingInstance();
        return plugin ? onset(*plugin, {NoteEvent::on(0, 69)}) : -1;
    }

    std::string fontPath;
    std::shared_ptr<Module> module;
};

TEST_F(BundleTiming, ANoteSoundsFromItsOwnSampleAnywhereInTheBlock) {
    const int32_t lead = leadIn();
    ASSERT_GE(lead, 0) << "the loaded sound never sounded";
    for (int32_t offset : {1, 15, 16, 100, 256, 496, 509, kBlock - 1}) {
        auto plugin = playingInstance();
        ASSERT_NE(plugin, nullptr);
        EXPECT_EQ(onset(*plugin, {NoteEvent::on(offset, 69)}), offset + lead) << "note at " << offset;
    }
}

TEST_F(BundleTiming, ANoteBeyondTheBlockIsPlayedAtItsPlaceInTheNextBlock) {
    const int32_t lead = leadIn();
    ASSERT_GE(lead, 0);
    auto plugin = playingInstance();
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(onset(*plugin, {NoteEvent::on(600, 69)}), 600 + lead);
}

TEST_F(BundleTiming, NotesInAnyHostOrderAreSortedIntoPlace) {
    const int32_t lead = leadIn();
    ASSERT_GE(lead, 0);
    auto plugin = playingInstance();
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(onset(*plugin, {NoteEvent::on(300, 69), NoteEvent::on(200, 69)}), 200 + lead);
}

TEST_F(BundleTiming, ALoadedSoundSurvivesDeactivationFromAnotherThread) {
    const int32_t lead = leadIn();
    ASSERT_GE(lead, 0);
    auto plugin = playingInstance();
    ASSERT_NE(plugin, nullptr);
    int32_t measured = -2;
    std::thread offline([&] {
        plugin->setProcessing(false);
        EXPECT_EQ(plugin->setActive(false), kResultOk);
        EXPECT_EQ(plugin->setupProcessing(44100.0, kBlock, kOffline), kResultOk);
        EXPECT_EQ(plugin->setActive(true), kResultOk);
        plugin->setProcessing(true);
        ProcessOptions options;
        options.processMode = kOffline;
        measured = onset(*plugin, {NoteEvent::on(10, 69)}, options);
    });
    offline.join();
    EXPECT_EQ(measured, 10 + lead);
}

// The response hand-over: states restored on the UI thread while the audio thread plays notes
// (as a host restores a project during playback); the audio thread ends up with the last one.
TEST_F(BundleTiming, ResponsesRestoredWhileTheAudioThreadPlaysReachIt) {
    auto plugin = playingInstance();
    ASSERT_NE(plugin, nullptr);
    std::vector<uint8_t> classic = plugin->processorState(), soundFont = classic;
    const std::vector<uint8_t> field = zephra::test::soundFont204Field();
    soundFont.insert(soundFont.end(), field.begin(), field.end());
    std::atomic<bool> done{false};
    bool finite = true;
    std::thread audio([&] {
        for (int block = 0; !done || block < 8; ++block) {
            const StereoBuffer& out = plugin->process(64, {}, {NoteEvent::on(block % 64, 60 + block % 12, 0.5f)});
            for (float sample : out.left)
                finite = finite && std::isfinite(sample);
        }
    });
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(plugin->setProcessorState(i % 2 ? soundFont : classic), kResultOk);
    done = true;
    audio.join();
    EXPECT_TRUE(finite);
    EXPECT_EQ(plugin->processorState(), soundFont);
    // A change of response silences the notes still held; in "SoundFont 2.04" a note at
    // velocity 64/127 then plays 11.9 dB under one at full velocity.
    for (const auto& state : {classic, soundFont}) {
        ASSERT_EQ(plugin->setProcessorState(state), kResultOk);
        plugin->process(64);
    }
    double level[2] = {0, 0};
    for (int v = 0; v < 2; ++v) {
        plugin->process(kBlock, {}, {NoteEvent::on(0, 69, v ? 64.0f / 127.0f : 1.0f)});
        for (int b = 0; b < 4; ++b)
            for (float sample : plugin->process(kBlock, {}, {NoteEvent::off(kBlock - 1, 69)}).left)
                level[v] = std::max(level[v], double(std::fabs(sample)));
    }
    EXPECT_NEAR(20.0 * std::log10(level[1] / level[0]), -11.9, 0.2);
}

} // namespace

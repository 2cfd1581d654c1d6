// What reaches a DAW's mix bus from crafted or unlucky input, through the built bundle: fonts
// asking for impossible gains, a state holding NaN, a sound chosen while bypassed, a sample-rate
// change of a running instance, and the release tail the host is told about.
#include "host/PluginHost.h"
#include "support/MessageWait.h"
#include "support/SignalAnalysis.h"
#include "support/SoundFontWriter.h"
#include "support/StateBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

using namespace Steinberg;
using namespace zephra::host;
using zephra::test::GeneratorSpec;
using zephra::test::SineFontOptions;

namespace {

constexpr int32_t kBlock = 512;
constexpr Vst::ParamID kBypass = 0x7FFFFFFF;

class EngineSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        module = Module::load(ZEPHRA_BUNDLE_PATH, error);
        ASSERT_NE(module, nullptr) << error;
        open(44100.0);
    }

    void open(double rate)
    {
        std::string error;
        plugin = Plugin::create(*module, error);
        ASSERT_NE(plugin, nullptr) << error;
        ASSERT_TRUE(plugin->setup(rate, kBlock, &error)) << error;
    }

    void TearDown() override
    {
        plugin.reset();
        for (const std::string& path : paths)
            std::remove(path.c_str());
    }

    // Writes the font and has the controller load it, as a restored project does.
    void loadFont(const SineFontOptions& options)
    {
        const std::string path = std::string(ZEPHRA_BINARY_DIR) + "/engine_safety_" + std::to_string(getpid()) +
                                 "_" + std::to_string(paths.size()) + ".sf2";
        ASSERT_TRUE(zephra::test::writeFile(path, zephra::test::makeSineSoundFont(options)));
        paths.push_back(path);
        ASSERT_EQ(plugin->setControllerState(zephra::test::controllerStateNaming(path, 0)), kResultOk);
    }

    // Key 69 for `blocks` blocks; the left channel, with every sample checked to be finite.
    std::vector<float> play(int blocks, const std::vector<ParameterChange>& first = {})
    {
        std::vector<float> left;
        for (int b = 0; b < blocks; ++b) {
            const StereoBuffer& out =
                plugin->process(kBlock, b == 0 ? first : std::vector<ParameterChange>{},
                                b == 0 ? std::vector<NoteEvent>{NoteEvent::on(0, 69, 1.0f)} : std::vector<NoteEvent>{});
            for (size_t i = 0; i < out.left.size(); ++i)
                EXPECT_TRUE(std::isfinite(out.left[i]) && std::isfinite(out.right[i])) << "block " << b << " " << i;
            left.insert(left.end(), out.left.begin(), out.left.end());
        }
        return left;
    }

    // Peak of key 69 on a fresh instance playing `options`.
    double peakOf(const SineFontOptions& options)
    {
        open(44100.0);
        loadFont(options);
        plugin->process(kBlock);
        return zephra::test::peakLevel(play(24));
    }

    std::shared_ptr<Module> module;
    std::unique_ptr<Plugin> plugin;
    std::vector<std::string> paths;
};

SineFontOptions withInstrument(std::vector<GeneratorSpec> generators, std::vector<GeneratorSpec> preset = {})
{
    SineFontOptions options;
    options.instrumentGenerators = std::move(generators);
    options.presetGenerators = std::move(preset);
    return options;
}

} // namespace

// Guards against crafted fonts putting +58 dBFS, NaN or infinity on the host's mix bus, and a
// NaN "Output Level" in a stored state silencing every sample as NaN.
TEST_F(EngineSafety, CraftedFontsAndANonFiniteStateGiveFiniteOutputNoLouderThanThePlainFont)
{
    const double plain = peakOf({});
    ASSERT_GT(plain, 0.1);
    const std::vector<SineFontOptions> crafted = {
        withInstrument({{48, -600}}),                        // attenuation that amplifies
        withInstrument({{48, -32768}}),
        withInstrument({{37, -32768}}),                      // sustain
        withInstrument({{13, -32768}, {22, 4000}}),          // mod LFO to volume, a fast LFO
        withInstrument({{9, 32767}, {8, 6000}}),             // resonance far beyond 96 dB
        withInstrument({{48, 30000}}, {{48, 30000}}),        // preset + instrument past 16 bits
        withInstrument({{36, -32768}, {34, -32768}, {38, 32767}}),
    };
    for (size_t i = 0; i < crafted.size(); ++i) {
        const double peak = peakOf(crafted[i]);
        EXPECT_LE(peak, plain * 2.0 + 1e-6) << "crafted font " << i;
    }
    // The -600 cB font plays no louder than 0 cB; past 16 bits the sum is silence, not a wrap.
    EXPECT_LE(peakOf(withInstrument({{48, -600}})), plain);
    EXPECT_LT(peakOf(withInstrument({{48, 30000}}, {{48, 30000}})), 1e-6);

    open(44100.0);
    loadFont({});
    const std::vector<uint8_t> nanState = zephra::test::processorStateBytes(
        "1.5-fw 2.1", 0, {{1001, std::nan("")}, {7, 1.0}});
    EXPECT_EQ(plugin->setProcessorState(nanState), kResultFalse);
    EXPECT_NEAR(zephra::test::peakLevel(play(24)), plain, plain * 1e-3);   // still sounds
}

// Guards against a project that sounds different after reloading: with the plug-in bypassed,
// preset A then preset B restored; the saved state names B and B must be what plays.
TEST_F(EngineSafety, TheLastSoundChosenWhileBypassedIsTheOneHeardAfterwards)
{
    plugin->process(kBlock, {{kBypass, 0, 1.0}});
    SineFontOptions first, second;
    second.frequency = 882.0;   // the same key plays an octave higher
    loadFont(first);
    loadFont(second);
    plugin->clearMessages();
    for (int b = 0; b < 2; ++b)
        plugin->process(kBlock);
    // Taken over while still bypassed: the report names the second font's 251 points.
    ASSERT_EQ(zephra::test::waitForMessages(*plugin, "USEDMEM", 1), 1);
    for (const MessageRecord& m : plugin->messages()) {
        if (m.id == "USEDMEM") {
            EXPECT_EQ(m.binaries.at("usedMem")[0] | m.binaries.at("usedMem")[1] << 8, 50 + 4 * 50 + 1);
        }
    }
    const std::vector<float> left = play(16, {{kBypass, 0, 0.0}});
    EXPECT_NEAR(zephra::test::estimateFrequency(left, 44100.0, 2048), 882.0, 882.0 * 0.005);
}

// Guards against the current sound keeping the old rate's tuning (480 Hz for 441 Hz at 48 kHz).
TEST_F(EngineSafety, ASampleRateChangeOfARunningInstanceKeepsThePitch)
{
    SineFontOptions options;
    options.frequency = 440.0;
    loadFont(options);
    play(4);
    ASSERT_EQ(plugin->setActive(false), kResultOk);
    ASSERT_EQ(plugin->setupProcessing(48000.0, kBlock), kResultOk);
    ASSERT_EQ(plugin->setActive(true), kResultOk);
    const std::vector<float> left = play(16);
    EXPECT_NEAR(zephra::test::estimateFrequency(left, 48000.0, 2048), 440.0, 440.0 * 0.005);
}

// Guards against hosts cutting release tails in an offline export.
TEST_F(EngineSafety, TheTailIsTheLongestReleaseAndAtLeastOneBlock)
{
    EXPECT_EQ(plugin->processor()->getTailSamples(), uint32(kBlock));   // no sound yet
    SineFontOptions options;
    options.volEnvReleaseTimecents = 1200;   // two seconds
    loadFont(options);
    plugin->process(kBlock);
    EXPECT_NEAR(double(plugin->processor()->getTailSamples()), 88200.0, 10.0);
}

// A project saved and reopened as a DAW does it: both states of a playing instance are saved,
// a fresh instance restores them, and the same notes render the same samples.
#include "support/BundleSupport.h"
#include "unit/controller/TestFonts.h"

#include <gtest/gtest.h>

using namespace zephra::test;
using namespace Steinberg;

namespace {
constexpr double sampleRate = 44100.0;
constexpr int32_t blockSize = 256;

// A short phrase: two notes on a grid, one released inside the phrase. It starts with a note
// that is played and released, so every voice starts the phrase with the same history.
std::vector<float> playPhrase(zephra::host::Plugin& plugin)
{
    plugin.process(blockSize, {}, {zephra::host::NoteEvent::on(0, 64)});
    releaseAndSettle(plugin, 64, 20, blockSize);
    std::vector<float> out;
    for (int b = 0; b < 24; ++b) {
        std::vector<zephra::host::NoteEvent> notes;
        if (b == 0) notes.push_back(zephra::host::NoteEvent::on(16, 69, 0.8f));
        if (b == 4) notes.push_back(zephra::host::NoteEvent::on(blockSize - 1, 72, 0.5f));
        if (b == 10) notes.push_back(zephra::host::NoteEvent::off(32, 69));
        const zephra::host::StereoBuffer& block = plugin.process(blockSize, {}, notes);
        out.insert(out.end(), block.left.begin(), block.left.end());
        out.insert(out.end(), block.right.begin(), block.right.end());
    }
    releaseAndSettle(plugin, 72, 20, blockSize);
    return out;
}
} // namespace

TEST(ControllerRoundTrip, RestoredInstanceRendersTheSameSamples)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(4));
    auto module = loadBundle();
    ASSERT_TRUE(module);

    auto original = createPlugin(*module);
    ASSERT_TRUE(original);
    const int32_t preset = 2;
    ASSERT_EQ(original->setControllerState(controllerStateNaming(font.path, &preset)), kResultOk);
    ASSERT_TRUE(original->setup(sampleRate, blockSize));
    // Playing: parameters moved by the host, a note sounding and released.
    original->process(blockSize, {{1001, 0, 0.3}, {7, 0, 0.8}, {1000, 0, 5.0 / 12.0}},
                      {zephra::host::NoteEvent::on(0, 64)});
    original->controller()->setParamNormalized(1001, 0.3);
    original->controller()->setParamNormalized(7, 0.8);
    original->controller()->setParamNormalized(1000, 5.0 / 12.0);
    releaseAndSettle(*original, 64, 20, blockSize);

    tresult result = kResultFalse;
    const std::vector<uint8_t> processorState = original->processorState(&result);
    ASSERT_EQ(result, kResultOk);
    const std::vector<uint8_t> controllerState = original->controllerState(&result);
    ASSERT_EQ(result, kResultOk);
    const std::vector<float> before = playPhrase(*original);
    ASSERT_GT(peakLevel(before), 0.01) << "the saved instance does not sound";

    auto restored = createPlugin(*module);
    ASSERT_TRUE(restored);
    ASSERT_EQ(restored->setProcessorState(processorState), kResultOk);
    ASSERT_EQ(restored->setControllerComponentState(processorState), kResultOk);
    ASSERT_EQ(restored->setControllerState(controllerState), kResultOk);
    EXPECT_EQ(messagesWithId(*restored, "SF2DATA").size(), 1u);
    // "Output Level" travels through its plain value, converted with the processor's curve
    // exponent and back with the controller's, which differ in the eighth decimal.
    for (Vst::ParamID id : {0x7FFFFFFFu, 1u, 7u, 11u, 64u, 129u, 1000u, 1001u})
        EXPECT_NEAR(restored->controller()->getParamNormalized(id),
                    original->controller()->getParamNormalized(id), id == 1001 ? 1e-8 : 1e-12) << id;
    EXPECT_EQ(restored->controllerState(), controllerState);
    EXPECT_EQ(restored->processorState(), processorState);

    ASSERT_TRUE(restored->setup(sampleRate, blockSize));
    restored->process(blockSize);   // the first block adopts the restored sound
    const std::vector<float> after = playPhrase(*restored);
    ASSERT_EQ(after.size(), before.size());
    size_t differing = 0;
    for (size_t i = 0; i < after.size(); ++i)
        if (after[i] != before[i]) ++differing;
    EXPECT_EQ(differing, 0u);
}

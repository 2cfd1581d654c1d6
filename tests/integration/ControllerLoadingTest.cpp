// Restoring a controller state that names a file: what reaches the processor and what the
// instrument then plays, through the built bundle and a DAW-like host.
#include "support/BundleSupport.h"
#include "unit/controller/TestFonts.h"

#include <gtest/gtest.h>

using namespace zephra::test;
using namespace Steinberg;

namespace {
constexpr double sampleRate = 44100.0;

double expectedFrequency(int preset) { return 441.0 * std::pow(2.0, presetTransposition(preset) / 12.0); }

class ControllerLoading : public BundleFixture {
protected:
    void SetUp() override
    {
        BundleFixture::SetUp();
        if (HasFatalFailure())
            return;
        plugin->clearMessages();
    }
};
} // namespace

TEST_F(ControllerLoading, StateNamingPresetThreeSendsItOnceAndItPlaysAtItsPitch)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(5));
    const int32_t preset = 3;
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(font.path, &preset)), kResultOk);
    const auto sent = messagesWithId(*plugin, "SF2DATA");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].direction, zephra::host::MessageDirection::ToProcessor);
    EXPECT_EQ(sent[0].deliveryResult, kResultOk);
    EXPECT_EQ(sent[0].binaries.at("SFSynthList").size(), 24u);

    ASSERT_TRUE(plugin->setup(sampleRate, 512));
    const std::vector<float> left = renderNote(*plugin, 69, 12);
    ASSERT_GT(peakLevel(left, 2048), 0.01) << "the adopted preset does not sound";
    EXPECT_NEAR(estimateFrequency(left, sampleRate, 2048), expectedFrequency(3), expectedFrequency(3) * 0.005);
}

TEST_F(ControllerLoading, PresetZeroOfTheSameFontPlaysAtItsOwnPitch)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(5));
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(font.path, nullptr)), kResultOk);
    ASSERT_TRUE(plugin->setup(sampleRate, 512));
    const std::vector<float> left = renderNote(*plugin, 69, 12);
    ASSERT_GT(peakLevel(left, 2048), 0.01);
    EXPECT_NEAR(estimateFrequency(left, sampleRate, 2048), expectedFrequency(0), expectedFrequency(0) * 0.005);
}

TEST_F(ControllerLoading, MissingFileSendsAnEmptyListAndTheInstrumentStaysSilent)
{
    const int32_t preset = 2;
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming("/nonexistent/zephra/missing.sf2", &preset)), kResultOk);
    const auto sent = messagesWithId(*plugin, "SF2DATA");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].deliveryResult, kResultOk);
    const std::vector<uint8_t>& list = sent[0].binaries.at("SFSynthList");
    ASSERT_EQ(list.size(), 24u);
    EXPECT_TRUE(std::equal(list.begin(), list.begin() + 8, list.begin() + 8)) << "first != last";

    ASSERT_TRUE(plugin->setup(sampleRate, 512));
    const std::vector<float> left = renderNote(*plugin, 60, 8);
    EXPECT_EQ(plugin->lastProcessResult(), kResultOk);
    EXPECT_EQ(peakLevel(left), 0.0);
}

TEST_F(ControllerLoading, UpperCaseSf2Loads)
{
    TempFile font("TONES.SF2", makePitchedPresetsFont(2));
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(font.path, nullptr)), kResultOk);
    EXPECT_EQ(messagesWithId(*plugin, "SF2DATA").size(), 1u);
}

TEST_F(ControllerLoading, MixedCaseSf2IsRememberedButIgnored)
{
    TempFile font("tones.Sf2", makePitchedPresetsFont(2));
    const int32_t preset = 1;
    const std::vector<uint8_t> state = controllerStateNaming(font.path, &preset);
    ASSERT_EQ(plugin->setControllerState(state), kResultOk);
    EXPECT_TRUE(messagesWithId(*plugin, "SF2DATA").empty());
    EXPECT_EQ(plugin->controllerState(), state);
}

TEST_F(ControllerLoading, WavFileSendsWavDataWithFramesTimesFourBytesPerChannel)
{
    TempFile wav("sound.wav", makeStereoWav(1000));
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(wav.path, nullptr)), kResultOk);
    const auto sent = messagesWithId(*plugin, "WAVDATA");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].deliveryResult, kResultOk);
    EXPECT_EQ(sent[0].binaries.at("wavID").size(), 4u);
    EXPECT_EQ(sent[0].binaries.at("wavL").size(), 4000u);
    EXPECT_EQ(sent[0].binaries.at("wavR").size(), 4000u);
    EXPECT_EQ(sent[0].binaries.at("samplerate"), (std::vector<uint8_t>{0x44, 0xAC, 0, 0}));
}

TEST_F(ControllerLoading, LateDeliveryIsRefusedAndTheSoundPlayingBeforeStays)
{
    // Guards against a host that delivers "SF2DATA" after the send returned: the records it
    // names are gone, so the processor must refuse the message instead of reading them.
    TempFile font("tones.sf2", makePitchedPresetsFont(5));
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(font.path, nullptr)), kResultOk);
    plugin->clearMessages();

    plugin->holdMessages(true);
    const int32_t preset = 3;
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(font.path, &preset)), kResultOk);
    plugin->holdMessages(false);
    EXPECT_EQ(plugin->deliverHeldMessages(), 1);
    const auto late = messagesWithId(*plugin, "SF2DATA");
    ASSERT_EQ(late.size(), 1u);
    EXPECT_TRUE(late[0].held);
    EXPECT_EQ(late[0].deliveryResult, kResultFalse);

    ASSERT_TRUE(plugin->setup(sampleRate, 512));
    const std::vector<float> left = renderNote(*plugin, 69, 12);
    ASSERT_GT(peakLevel(left, 2048), 0.01);
    EXPECT_NEAR(estimateFrequency(left, sampleRate, 2048), expectedFrequency(0), expectedFrequency(0) * 0.005);
}

TEST_F(ControllerLoading, RealSoundFontLoadsWhenInstalled)
{
    const std::string path = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    if (access(path.c_str(), R_OK) != 0) GTEST_SKIP() << "TimGM6mb.sf2 is not installed (timgm6mb-soundfont)";
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(path, nullptr)), kResultOk);
    const auto sent = messagesWithId(*plugin, "SF2DATA");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].deliveryResult, kResultOk);
    ASSERT_TRUE(plugin->setup(sampleRate, 512));
    EXPECT_GT(peakLevel(renderNote(*plugin, 60, 8)), 0.001);
}

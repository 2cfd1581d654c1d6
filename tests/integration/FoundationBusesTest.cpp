// Buses and processing set-up as a host negotiates them.
#include "host/PluginHost.h"

#include "pluginterfaces/vst/vstspeaker.h"
#include "support/BundleFixture.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::host;

namespace {

class BundleBuses : public zephra::test::BundleFixture {
protected:
    BusInfo busInfo(MediaType type, BusDirection direction, int32 index, tresult& result) {
        BusInfo info{};
        result = plugin->component()->getBusInfo(type, direction, index, info);
        return info;
    }

    static std::u16string name(const BusInfo& info) {
        return std::u16string(reinterpret_cast<const char16_t*>(info.name));
    }

    SpeakerArrangement arrangement(BusDirection direction) {
        SpeakerArrangement result = 0;
        EXPECT_EQ(plugin->processor()->getBusArrangement(direction, 0, result), kResultOk);
        return result;
    }
};

TEST_F(BundleBuses, OneStereoAudioInputAndOutput) {
    IComponent* component = plugin->component();
    EXPECT_EQ(component->getBusCount(kAudio, kInput), 1);
    EXPECT_EQ(component->getBusCount(kAudio, kOutput), 1);
    tresult result = kResultFalse;
    BusInfo input = busInfo(kAudio, kInput, 0, result);
    ASSERT_EQ(result, kResultOk);
    EXPECT_EQ(name(input), u"AudioInput 1");
    EXPECT_EQ(input.channelCount, 2);
    EXPECT_EQ(input.busType, kMain);
    EXPECT_TRUE(input.flags & BusInfo::kDefaultActive);
    BusInfo output = busInfo(kAudio, kOutput, 0, result);
    ASSERT_EQ(result, kResultOk);
    EXPECT_EQ(name(output), u"AudioOutput 1");
    EXPECT_EQ(output.channelCount, 2);
    EXPECT_EQ(output.busType, kMain);
    EXPECT_TRUE(output.flags & BusInfo::kDefaultActive);
    EXPECT_EQ(arrangement(kInput), SpeakerArr::kStereo);
    EXPECT_EQ(arrangement(kOutput), SpeakerArr::kStereo);
}

TEST_F(BundleBuses, OneSixteenChannelEventInputAndNoEventOutput) {
    IComponent* component = plugin->component();
    EXPECT_EQ(component->getBusCount(kEvent, kInput), 1);
    EXPECT_EQ(component->getBusCount(kEvent, kOutput), 0);
    tresult result = kResultFalse;
    BusInfo events = busInfo(kEvent, kInput, 0, result);
    ASSERT_EQ(result, kResultOk);
    EXPECT_EQ(name(events), u"EventInput 1");
    EXPECT_EQ(events.channelCount, 16);
    EXPECT_EQ(events.busType, kMain);
    busInfo(kEvent, kOutput, 0, result);
    EXPECT_NE(result, kResultOk);
    busInfo(kAudio, kInput, 1, result);
    EXPECT_NE(result, kResultOk);
}

TEST_F(BundleBuses, StereoInAndOutIsAccepted) {
    SpeakerArrangement in[] = {SpeakerArr::kStereo};
    SpeakerArrangement out[] = {SpeakerArr::kStereo};
    EXPECT_EQ(plugin->processor()->setBusArrangements(in, 1, out, 1), kResultOk);
}

TEST_F(BundleBuses, EveryOtherArrangementIsRefusedAndTheBusesStayStereo) {
    IAudioProcessor* processor = plugin->processor();
    SpeakerArrangement stereo[] = {SpeakerArr::kStereo};
    SpeakerArrangement mono[] = {SpeakerArr::kMono};
    SpeakerArrangement twoStereo[] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
    SpeakerArrangement surround[] = {SpeakerArr::k51};
    EXPECT_EQ(processor->setBusArrangements(stereo, 1, mono, 1), kResultFalse);   // mono output
    EXPECT_EQ(processor->setBusArrangements(mono, 1, stereo, 1), kResultFalse);   // mono input
    EXPECT_EQ(processor->setBusArrangements(twoStereo, 2, stereo, 1), kResultFalse);   // two inputs
    EXPECT_EQ(processor->setBusArrangements(stereo, 1, twoStereo, 2), kResultFalse);   // two outputs
    EXPECT_EQ(processor->setBusArrangements(stereo, 0, stereo, 1), kResultFalse);   // no input
    EXPECT_EQ(processor->setBusArrangements(stereo, 1, surround, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(nullptr, 1, nullptr, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(stereo, -1, stereo, -1), kResultFalse);
    EXPECT_EQ(arrangement(kInput), SpeakerArr::kStereo);
    EXPECT_EQ(arrangement(kOutput), SpeakerArr::kStereo);
}

TEST_F(BundleBuses, OnlyThirtyTwoBitSamplesAreProcessed) {
    IAudioProcessor* processor = plugin->processor();
    EXPECT_EQ(processor->canProcessSampleSize(kSample32), kResultOk);
    EXPECT_NE(processor->canProcessSampleSize(kSample64), kResultOk);
    ProcessSetup setup{kRealtime, kSample64, 512, 44100.0};
    EXPECT_NE(processor->setupProcessing(setup), kResultOk);
}

// No latency; the tail is the sound's longest release and never less than one block, so hosts
// keep release tails in an offline export.
TEST_F(BundleBuses, NoLatencyAndATailOfAtLeastOneBlock) {
    EXPECT_EQ(plugin->processor()->getLatencySamples(), 0u);
    EXPECT_GE(plugin->processor()->getTailSamples(), 1u);   // no sound yet: one block
}

TEST_F(BundleBuses, TheFullHostSetUpSucceeds) {
    std::string error;
    EXPECT_TRUE(plugin->setup(44100.0, 8192, &error)) << error;
}

} // namespace

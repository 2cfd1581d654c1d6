// Our AudioEffect base: the SDK's documented defaults and the bus helpers.
#include "sdk/AudioEffect.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
class Effect : public ::testing::Test {
protected:
    void SetUp() override { effect = owned(new AudioEffect); }
    IPtr<AudioEffect> effect;
};
} // namespace

TEST_F(Effect, DefaultsFollowTheSdk)
{
    EXPECT_EQ(effect->setActive(true), kResultOk);
    EXPECT_EQ(effect->setActive(false), kResultOk);
    EXPECT_EQ(effect->setProcessing(true), kNotImplemented);
    EXPECT_EQ(effect->setIoMode(kAdvanced), kNotImplemented);
    RoutingInfo in{}, out{};
    EXPECT_EQ(effect->getRoutingInfo(in, out), kNotImplemented);
    EXPECT_EQ(effect->getLatencySamples(), 0u);
    EXPECT_EQ(effect->getTailSamples(), 0u);
    EXPECT_EQ(effect->canProcessSampleSize(kSample32), kResultTrue);
    EXPECT_EQ(effect->canProcessSampleSize(kSample64), kResultFalse);
}

TEST_F(Effect, SetupIsStoredOnlyForThirtyTwoBitSamples)
{
    ProcessSetup wide{kOffline, kSample64, 256, 96000.0};
    EXPECT_EQ(effect->setupProcessing(wide), kResultFalse);
    ProcessSetup setup{kOffline, kSample32, 256, 96000.0};
    EXPECT_EQ(effect->setupProcessing(setup), kResultOk);
}

TEST_F(Effect, InterfacesAreReachable)
{
    IAudioProcessor* processor = nullptr;
    ASSERT_EQ(effect->queryInterface(IAudioProcessor::iid, reinterpret_cast<void**>(&processor)),
              kResultOk);
    processor->release();
    IComponent* component = nullptr;
    ASSERT_EQ(effect->queryInterface(IComponent::iid, reinterpret_cast<void**>(&component)),
              kResultOk);
    component->release();
    IConnectionPoint* connection = nullptr;
    ASSERT_EQ(effect->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&connection)),
              kResultOk);
    connection->release();
}

TEST_F(Effect, BusHelpersAppendAndFindBuses)
{
    AudioBus* in = effect->addAudioInput(u"In", SpeakerArr::kStereo);
    AudioBus* out = effect->addAudioOutput(u"Out", SpeakerArr::kMono, kAux, 0);
    EventBus* events = effect->addEventInput(u"Ev", 4);
    EventBus* eventsOut = effect->addEventOutput(u"EvOut");
    EXPECT_EQ(effect->getAudioInput(0), in);
    EXPECT_EQ(effect->getAudioOutput(0), out);
    EXPECT_EQ(effect->getEventInput(0), events);
    EXPECT_EQ(effect->getEventOutput(0), eventsOut);
    EXPECT_EQ(effect->getAudioInput(1), nullptr);
    EXPECT_EQ(effect->getAudioOutput(-1), nullptr);
    BusInfo info{};
    ASSERT_EQ(effect->getBusInfo(kAudio, kOutput, 0, info), kResultTrue);
    EXPECT_EQ(info.channelCount, 1);
    EXPECT_EQ(info.busType, kAux);
    ASSERT_EQ(effect->getBusInfo(kEvent, kInput, 0, info), kResultTrue);
    EXPECT_EQ(info.channelCount, 4);
}

TEST_F(Effect, ArrangementsApplyToExistingBusesOnly)
{
    effect->addAudioInput(u"In", SpeakerArr::kStereo);
    effect->addAudioOutput(u"Out", SpeakerArr::kStereo);
    SpeakerArrangement mono = SpeakerArr::kMono;
    SpeakerArrangement two[2] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
    EXPECT_EQ(effect->setBusArrangements(two, 2, &mono, 1), kResultFalse);
    EXPECT_EQ(effect->setBusArrangements(&mono, -1, &mono, 1), kInvalidArgument);
    EXPECT_EQ(effect->setBusArrangements(nullptr, 1, &mono, 1), kInvalidArgument);
    EXPECT_EQ(effect->setBusArrangements(&mono, 1, &mono, 1), kResultTrue);
    SpeakerArrangement arrangement = 0;
    EXPECT_EQ(effect->getBusArrangement(kOutput, 0, arrangement), kResultTrue);
    EXPECT_EQ(arrangement, SpeakerArr::kMono);
    EXPECT_EQ(effect->getBusArrangement(kOutput, 1, arrangement), kInvalidArgument);
}

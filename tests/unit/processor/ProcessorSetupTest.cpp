// Construction, initialize, buses and the processing set-up.
#include "ProcessorTestSupport.h"
#include "shell/PluginDescription.h"

#include "base/source/fstring.h"

#include <gtest/gtest.h>

using namespace zephra::test;

namespace {

std::string busName(IComponent& component, MediaType type, BusDirection dir, int32 index)
{
    BusInfo info{};
    if (component.getBusInfo(type, dir, index, info) != kResultOk)
        return "<none>";
    return String(info.name).text8();
}

class Setup : public ::testing::Test {
protected:
    void SetUp() override
    {
        useFilledDescription();
        processor = owned(new RecordingProcessor);
    }
    IPtr<RecordingProcessor> processor;
};

} // namespace

TEST_F(Setup, ReportsTheDescriptionsControllerClass)
{
    TUID cid;
    ASSERT_EQ(processor->getControllerClassId(cid), kResultOk);
    EXPECT_EQ(FUID::fromTUID(cid), pluginDescription().controllerClassId);
}

TEST_F(Setup, InitializeCreatesStereoInOutAndOneEventInput)
{
    ASSERT_EQ(processor->initialize(nullptr), kResultOk);
    EXPECT_EQ(processor->getBusCount(kAudio, kInput), 1);
    EXPECT_EQ(processor->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(processor->getBusCount(kEvent, kInput), 1);
    EXPECT_EQ(processor->getBusCount(kEvent, kOutput), 0);
    EXPECT_EQ(busName(*processor, kAudio, kInput, 0), "AudioInput 1");
    EXPECT_EQ(busName(*processor, kAudio, kOutput, 0), "AudioOutput 1");
    EXPECT_EQ(busName(*processor, kEvent, kInput, 0), "EventInput 1");

    BusInfo info{};
    processor->getBusInfo(kAudio, kInput, 0, info);
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(info.busType, kMain);
    EXPECT_EQ(info.flags, static_cast<uint32>(BusInfo::kDefaultActive));
    processor->getBusInfo(kEvent, kInput, 0, info);
    EXPECT_EQ(info.channelCount, 16);
    SpeakerArrangement arrangement = 0;
    EXPECT_EQ(processor->getBusArrangement(kOutput, 0, arrangement), kResultTrue);
    EXPECT_EQ(arrangement, SpeakerArr::kStereo);
}

TEST_F(Setup, InitializeSetsDefaultsAndReportsEveryId)
{
    processor->recordParameterValues = true;
    processor->initialize(nullptr);
    ASSERT_EQ(processor->calls.size(), 1u);
    EXPECT_EQ(processor->calls[0].ids, (std::vector<int32>{1, 7, 11, 64, 129, 1000, 1001}));
    EXPECT_EQ(processor->seenValues[0],
              (std::vector<std::pair<int32, double>>{{1, 0.0}, {7, 1.0}, {11, 1.0}, {64, 0.0},
                                                     {129, 0.0}, {1000, 2.0}, {1001, 12.0}}));
    EXPECT_EQ(processor->values().size(), 7u);
}

TEST_F(Setup, SecondInitializeIsRefusedAndAddsNoBuses)
{
    processor->initialize(nullptr);
    EXPECT_NE(processor->initialize(nullptr), kResultOk);
    EXPECT_EQ(processor->getBusCount(kAudio, kInput), 1);
}

TEST_F(Setup, SideChainDescriptionAddsAnAuxiliaryInputBetweenMainBuses)
{
    PluginDescription& description = pluginDescription();
    description.sideChainInputCount = 1;
    description.eventOutputCount = 1;
    processor->initialize(nullptr);
    description.sideChainInputCount = 0;
    description.eventOutputCount = 0;
    ASSERT_EQ(processor->getBusCount(kAudio, kInput), 2);
    EXPECT_EQ(busName(*processor, kAudio, kInput, 1), "AudioSidChain 1");
    BusInfo info{};
    processor->getBusInfo(kAudio, kInput, 1, info);
    EXPECT_EQ(info.busType, kAux);
    EXPECT_EQ(busName(*processor, kEvent, kOutput, 0), "EventOutput 1");
}

TEST_F(Setup, OnlyOneStereoInputAndOneStereoOutputAreAccepted)
{
    processor->initialize(nullptr);
    SpeakerArrangement stereo = SpeakerArr::kStereo;
    SpeakerArrangement mono = SpeakerArr::kMono;
    SpeakerArrangement two[2] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
    EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &mono, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(two, 2, &stereo, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(nullptr, 1, &stereo, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(&stereo, 0, &stereo, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultTrue);
    SpeakerArrangement arrangement = 0;
    processor->getBusArrangement(kInput, 0, arrangement);
    EXPECT_EQ(arrangement, SpeakerArr::kStereo);
}

TEST_F(Setup, SixtyFourBitProcessingIsRefused)
{
    EXPECT_EQ(processor->canProcessSampleSize(kSample64), kResultFalse);
    EXPECT_EQ(processor->canProcessSampleSize(kSample32), kResultTrue);
    ProcessSetup setup{kRealtime, kSample64, 512, 44100.0};
    EXPECT_EQ(processor->setupProcessing(setup), kResultFalse);
}

TEST_F(Setup, ActivationCyclesKeepParameterValues)
{
    prepare(*processor);
    processor->setParameter(7, 0.25);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(processor->setActive(false), kResultOk);
        EXPECT_EQ(processor->setActive(true), kResultOk);
    }
    EXPECT_DOUBLE_EQ(processor->value(7), 0.25);
}

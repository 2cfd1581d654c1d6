// Per-block dispatch: parameter changes, sample-accurate note events, bypass and block shapes.
#include "ProcessorTestSupport.h"
#include "platform/FloatingPointMode.h"

#include <gtest/gtest.h>

#include <limits>

#include <algorithm>
#include <cmath>

using namespace zephra::test;

namespace {

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        processor = owned(new RecordingProcessor);
        prepare(*processor);
    }
    IPtr<RecordingProcessor> processor;
};

std::vector<int32> renderCounts(const RecordingProcessor& p)
{
    std::vector<int32> counts;
    for (const EngineCall& call : p.calls)
        if (call.what == "render")
            counts.push_back(call.count);
    return counts;
}

} // namespace

// --- stretches around events ---

TEST_F(Dispatch, BlockWithoutChangeListRendersOnceAndReportsNoParameters)
{
    StereoBlock block(512);
    processor->process(block.data);
    EXPECT_EQ(processor->names(), (std::vector<std::string>{"render"}));
    EXPECT_EQ(processor->calls[0].count, 512);
}

TEST_F(Dispatch, EmptyChangeListStillReportsAnEmptyIdList)
{
    StereoBlock block(512);
    FakeParameterChanges changes;
    block.data.inputParameterChanges = &changes;
    processor->process(block.data);
    ASSERT_EQ(processor->names(), (std::vector<std::string>{"parametersChanged", "render"}));
    EXPECT_TRUE(processor->calls[0].ids.empty());
}

TEST_F(Dispatch, NoteOnAndOffSplitTheBlockAtTheirOffsets)
{
    StereoBlock block(512);
    FakeEventList events;
    events.noteOn(100, 60, 0.5f);
    events.noteOff(300, 60, 0.25f);
    block.data.inputEvents = &events;
    processor->process(block.data);
    EXPECT_EQ(processor->names(),
              (std::vector<std::string>{"render", "noteOn", "render", "noteOff", "render"}));
    EXPECT_EQ(renderCounts(*processor), (std::vector<int32>{100, 200, 212}));
    EXPECT_EQ(processor->calls[1].pitch, 60);
    EXPECT_FLOAT_EQ(static_cast<float>(processor->calls[1].value), 0.5f);
    EXPECT_FLOAT_EQ(static_cast<float>(processor->calls[3].value), 0.25f);
}

TEST_F(Dispatch, RenderedStretchesCoverTheWholeOutput)
{
    StereoBlock block(512);
    FakeEventList events;
    events.noteOn(100, 60);
    events.noteOff(300, 60);
    block.data.inputEvents = &events;
    processor->process(block.data);
    for (float sample : block.outL)
        ASSERT_EQ(sample, processor->renderMarker);
}

TEST_F(Dispatch, EventBeyondTheBlockIsCarriedIntoTheNextBlock)
{
    StereoBlock block(512);
    FakeEventList events;
    events.noteOn(600, 64);
    block.data.inputEvents = &events;
    processor->process(block.data);
    EXPECT_EQ(processor->names(), (std::vector<std::string>{"render"}));

    processor->clearCalls();
    StereoBlock next(512);
    processor->process(next.data);
    EXPECT_EQ(processor->names(), (std::vector<std::string>{"render", "noteOn", "render"}));
    EXPECT_EQ(renderCounts(*processor), (std::vector<int32>{88, 424}));
}

TEST_F(Dispatch, EventAtOffsetZeroAndOnTheLastSampleGiveEmptyStretches)
{
    StereoBlock block(64);
    FakeEventList events;
    events.noteOn(0, 60);
    events.noteOff(63, 60);
    block.data.inputEvents = &events;
    processor->process(block.data);
    EXPECT_EQ(renderCounts(*processor), (std::vector<int32>{0, 63, 1}));
}

// Guards against an unstable sort swapping a note-off and a re-trigger at one offset.
TEST_F(Dispatch, EventsAtTheSameOffsetKeepHostOrder)
{
    StereoBlock block(256);
    FakeEventList events;
    events.noteOn(128, 62);
    events.noteOff(32, 60);
    events.noteOn(32, 60);
    events.noteOff(32, 61);
    block.data.inputEvents = &events;
    processor->process(block.data);
    std::vector<std::pair<std::string, int16>> order;
    for (const EngineCall& call : processor->calls)
        if (call.what != "render")
            order.emplace_back(call.what, call.pitch);
    EXPECT_EQ(order, (std::vector<std::pair<std::string, int16>>{
                         {"noteOff", 60}, {"noteOn", 60}, {"noteOff", 61}, {"noteOn", 62}}));
}

TEST_F(Dispatch, OtherEventTypesAndUnreadableEventsAreSkipped)
{
    StereoBlock block(128);
    FakeEventList events;
    events.other(10);
    events.noteOn(20, 60);
    events.unreadable.back() = true;
    events.noteOn(30, 61);
    block.data.inputEvents = &events;
    processor->process(block.data);
    EXPECT_EQ(processor->names(), (std::vector<std::string>{"render", "noteOn", "render"}));
    EXPECT_EQ(processor->calls[1].pitch, 61);
}

TEST_F(Dispatch, NotesOutsideMidiRangeAreRefused)
{
    StereoBlock block(128);
    FakeEventList events;
    events.noteOn(10, 128);
    events.noteOn(10, -1);
    events.noteOn(10, 60, 0.5f, 16);
    events.noteOn(10, 60, std::nanf(""));
    // A note-off without a velocity is delivered too (at velocity 0), or its key would hang.
    events.noteOff(20, 62, std::nanf(""));
    block.data.inputEvents = &events;
    processor->process(block.data);
    EXPECT_EQ(processor->names(), (std::vector<std::string>{"render", "noteOff", "render"}));
    EXPECT_EQ(processor->calls[1].value, 0.0);
}

TEST_F(Dispatch, NegativeOffsetPlaysAtTheBlockStart)
{
    StereoBlock block(128);
    FakeEventList events;
    events.noteOn(-5, 60);
    block.data.inputEvents = &events;
    processor->process(block.data);
    EXPECT_EQ(renderCounts(*processor), (std::vector<int32>{0, 128}));
}

// --- parameters ---

TEST_F(Dispatch, OnlyTheLastPointOfAQueueCountsBeforeAnyRendering)
{
    StereoBlock block(512);
    FakeParameterChanges changes;
    changes.add(1, {{0, 0.2}, {256, 0.9}});
    block.data.inputParameterChanges = &changes;
    processor->recordParameterValues = true;
    processor->process(block.data);
    ASSERT_EQ(processor->seenValues.size(), 1u);
    EXPECT_EQ(processor->seenValues[0], (std::vector<std::pair<int32, double>>{{1, 0.9}}));
    EXPECT_EQ(processor->names().front(), "parametersChanged");
}

TEST_F(Dispatch, OutputLevelFollowsItsCurve)
{
    processor->setParameter(1001, 1.0);
    EXPECT_DOUBLE_EQ(processor->value(1001), 240.0);
    processor->setParameter(1001, 0.5);
    EXPECT_NEAR(processor->value(1001), 24.0, 1e-9);
    EXPECT_DOUBLE_EQ(processor->value(1001), 240.0 * std::pow(0.5, 3.321928094887362));
}

TEST_F(Dispatch, BendRangeAndSusPedalRoundToWholeSteps)
{
    processor->setParameter(1000, 0.5);
    EXPECT_DOUBLE_EQ(processor->value(1000), 6.0);
    processor->setParameter(64, 1.0);
    EXPECT_DOUBLE_EQ(processor->value(64), 2.0);
    processor->setParameter(64, 0.25);   // 0.5 rounds away from zero
    EXPECT_DOUBLE_EQ(processor->value(64), 1.0);
    processor->setParameter(129, 0.25);
    EXPECT_DOUBLE_EQ(processor->value(129), -0.5);
}

TEST_F(Dispatch, UnknownIdIsListedButChangesNoValue)
{
    StereoBlock block(64);
    FakeParameterChanges changes;
    changes.add(4242, {{0, 0.7}});
    block.data.inputParameterChanges = &changes;
    const size_t before = processor->values().size();
    processor->process(block.data);
    EXPECT_EQ(processor->calls[0].ids, (std::vector<int32>{4242}));
    EXPECT_EQ(processor->values().size(), before);
    EXPECT_FALSE(processor->values().contains(4242));
}

TEST_F(Dispatch, UnreadableQueueIsListedButNotApplied)
{
    StereoBlock block(64);
    FakeParameterChanges changes;
    changes.add(7, {{0, 0.3}}, false);
    changes.add(11, {}, true);   // no points at all
    changes.withNullQueue = true;
    block.data.inputParameterChanges = &changes;
    processor->process(block.data);
    EXPECT_EQ(processor->calls[0].ids, (std::vector<int32>{7, 11}));
    EXPECT_DOUBLE_EQ(processor->value(7), 1.0);
    EXPECT_DOUBLE_EQ(processor->value(11), 1.0);
}

TEST_F(Dispatch, NonFiniteOrOutOfRangeNormalisedValuesAreRefusedOrClamped)
{
    EXPECT_EQ(processor->setParameter(7, std::nan("")), kInvalidArgument);
    EXPECT_DOUBLE_EQ(processor->value(7), 1.0);
    processor->setParameter(1001, 7.0);
    EXPECT_DOUBLE_EQ(processor->value(1001), 240.0);
    processor->setParameter(129, -3.0);
    EXPECT_DOUBLE_EQ(processor->value(129), -1.0);
}

// --- bypass ---

TEST_F(Dispatch, BypassCopiesInputAndStillDeliversNotesWithoutRendering)
{
    StereoBlock block(512, 0.125f);
    FakeParameterChanges changes;
    changes.add(kBypassParameterId, {{0, 0.6}});
    FakeEventList events;
    events.noteOn(100, 60);
    events.noteOff(300, 60);
    block.data.inputParameterChanges = &changes;
    block.data.inputEvents = &events;
    processor->process(block.data);
    EXPECT_TRUE(processor->isBypassed());
    EXPECT_EQ(processor->names(),
              (std::vector<std::string>{"parametersChanged", "noteOn", "noteOff"}));
    EXPECT_EQ(block.outL, block.inL);
    EXPECT_EQ(block.outR, block.inR);
    // The bypass queue is listed like any other.
    EXPECT_EQ(processor->calls[0].ids, (std::vector<int32>{kBypassParameterId}));
}

TEST_F(Dispatch, BypassInPlaceLeavesTheBufferAlone)
{
    StereoBlock block(64, 0.3f);
    block.outputs[0] = block.inputs[0];
    block.outputs[1] = block.inputs[1];
    processor->setParameter(kBypassParameterId, 1.0);
    processor->process(block.data);
    for (float s : block.inL)
        ASSERT_EQ(s, 0.3f);
    EXPECT_TRUE(processor->names().empty());
}

TEST_F(Dispatch, BypassOffResumesRendering)
{
    processor->setParameter(kBypassParameterId, 1.0);
    processor->setParameter(kBypassParameterId, 0.5);
    EXPECT_FALSE(processor->isBypassed());
    StereoBlock block(32);
    processor->process(block.data);
    EXPECT_EQ(processor->names(), (std::vector<std::string>{"render"}));
}

// --- block shapes hosts and checkers use ---

TEST_F(Dispatch, NullListsNullContextAndZeroSamplesAreHandled)
{
    StereoBlock block(0);
    block.data.inputs = nullptr;
    block.data.outputs = nullptr;
    block.data.numInputs = 0;
    block.data.numOutputs = 0;
    EXPECT_EQ(processor->process(block.data), kResultOk);
    EXPECT_TRUE(processor->names().empty());
}

// The due notes of a block that cannot be rendered are still delivered, so a note-off there
// ends its key; and that block's silence flags do not stay on the reused buffers.
TEST_F(Dispatch, WrongBusShapeDeliversTheDueNotesWithoutAudioAndNextBlockIsNotFlaggedSilent)
{
    StereoBlock block(128);
    FakeEventList events;
    events.noteOff(10, 60);
    events.noteOn(200, 61);
    block.data.inputEvents = &events;
    block.outBus.numChannels = 1;
    EXPECT_EQ(processor->process(block.data), kResultOk);
    EXPECT_EQ(processor->names(), (std::vector<std::string>{"noteOff"}));
    EXPECT_EQ(block.outBus.silenceFlags, 1u);

    // The one beyond the block survives and plays in the next proper block at 72.
    block.outBus.numChannels = 2;
    block.data.inputEvents = nullptr;
    processor->process(block.data);
    EXPECT_EQ(renderCounts(*processor), (std::vector<int32>{72, 56}));
    EXPECT_EQ(processor->calls[2].pitch, 61);
    EXPECT_EQ(block.outBus.silenceFlags, 0u);
}

// Regression guard: an instrument whose input bus the host left out must not hand back
// whatever the output buffers held before.
TEST_F(Dispatch, BlockWithoutInputBusOutputsSilence)
{
    StereoBlock block(64);
    std::fill(block.outL.begin(), block.outL.end(), 0.9f);
    std::fill(block.outR.begin(), block.outR.end(), 0.9f);
    block.data.numInputs = 0;
    block.data.inputs = nullptr;
    EXPECT_EQ(processor->process(block.data), kResultOk);
    for (size_t i = 0; i < block.outL.size(); ++i) {
        ASSERT_EQ(block.outL[i], 0.0f);
        ASSERT_EQ(block.outR[i], 0.0f);
    }
    EXPECT_EQ(block.outBus.silenceFlags, 3u);
}

TEST_F(Dispatch, NullChannelPointerOrSixtyFourBitBlockProducesNoAudio)
{
    StereoBlock block(64);
    block.inputs[1] = nullptr;
    EXPECT_EQ(processor->process(block.data), kResultOk);
    StereoBlock wide(64);
    wide.data.symbolicSampleSize = kSample64;
    EXPECT_EQ(processor->process(wide.data), kResultOk);
    EXPECT_TRUE(processor->names().empty());
}

// Guards against a too-long block handing the host back whatever its buffers held.
TEST_F(Dispatch, BlocksLongerThanTheSetUpMaximumOrNegativeAreRefusedWithSilence)
{
    StereoBlock block(8193);
    std::fill(block.outL.begin(), block.outL.end(), 0.7f);
    EXPECT_EQ(processor->process(block.data), kInvalidArgument);
    EXPECT_TRUE(block.outL == std::vector<float>(8193, 0.0f) && block.outR == block.outL);
    EXPECT_EQ(block.outBus.silenceFlags, 3u);
    StereoBlock negative(16);
    negative.data.numSamples = -1;
    EXPECT_EQ(processor->process(negative.data), kInvalidArgument);
    EXPECT_TRUE(processor->names().empty());
}

TEST_F(Dispatch, EveryBlockSizeUpToTheMaximumRendersItsLength)
{
    for (int32 size : {1, 2, 15, 16, 17, 64, 511, 4096, 8192}) {
        processor->clearCalls();
        StereoBlock block(size);
        ASSERT_EQ(processor->process(block.data), kResultOk);
        ASSERT_EQ(renderCounts(*processor), (std::vector<int32>{size})) << size;
    }
}

TEST_F(Dispatch, QueueAndClockSurviveDeactivationAndProcessingCycles)
{
    StereoBlock block(128);
    FakeEventList events;
    events.noteOn(300, 60);
    block.data.inputEvents = &events;
    processor->process(block.data);
    processor->setProcessing(false);
    processor->setActive(false);
    processor->setActive(true);
    processor->setProcessing(true);
    processor->clearCalls();
    StereoBlock next(256);
    processor->process(next.data);
    EXPECT_EQ(renderCounts(*processor), (std::vector<int32>{172, 84}));
}

// Regression guard: a full queue must refuse new records, not overrun its storage.
TEST_F(Dispatch, FullQueueDropsNewEventsInsteadOfGrowing)
{
    EventQueue& queue = processor->queue();
    const size_t capacity = queue.capacity();
    TimedEvent far;
    far.sampleOffset = 100000;
    for (size_t i = 0; i < capacity; ++i)
        ASSERT_TRUE(queue.push_back(far));
    StereoBlock block(64);
    FakeEventList events;
    events.noteOn(0, 60);
    block.data.inputEvents = &events;
    processor->process(block.data);
    EXPECT_EQ(queue.size(), capacity);
    EXPECT_EQ(processor->names(), (std::vector<std::string>{"render"}));
}

// Guards against subnormal stalls and against NaN or infinity from the engine reaching the mix.
TEST(DispatchGuards, ProcessFlushesSubnormalsAndLetsNoNonFiniteSampleOut)
{
    struct Broken : RecordingProcessor {
        bool flushed = false;
        void render(float*, float*, float* outL, float* outR, int32 count) noexcept override
        {
            flushed = DenormalsOff::active();
            std::fill(outL, outL + count, std::nanf("")), std::fill(outR, outR + count, HUGE_VALF);
        }
    };
    IPtr<Broken> engine = owned(new Broken);
    prepare(*engine);
    const bool hostFlushes = DenormalsOff::active();
    StereoBlock block(64);
    EXPECT_EQ(engine->process(block.data), kResultOk);
    EXPECT_TRUE(engine->flushed);
    EXPECT_EQ(DenormalsOff::active(), hostFlushes);
    EXPECT_TRUE(block.outL == std::vector<float>(64, 0.0f) && block.outR == block.outL);
}

// An engine that guards its own samples is spared the second pass, but a bypassed block carries
// the host's input, which nothing has checked: NaN and infinity there still come out as 0.
TEST(DispatchGuards, BypassedBlocksAreCleanedEvenForAnEngineThatGuardsItsOutput)
{
    struct Guarded : RecordingProcessor {
        bool rendersOnlyFiniteSamples() const noexcept override { return true; }
    };
    IPtr<Guarded> engine = owned(new Guarded);
    prepare(*engine);
    engine->setParameter(kBypassParameterId, 1.0);
    StereoBlock block(64, std::nanf(""));
    block.inR.assign(64, HUGE_VALF);
    EXPECT_EQ(engine->process(block.data), kResultOk);
    EXPECT_TRUE(block.outL == std::vector<float>(64, 0.0f) && block.outR == block.outL);
}

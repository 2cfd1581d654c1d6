// The tempo clock: ticks from the host's musical time, transport edges, missing context.
#include "ProcessorTestSupport.h"
#include "processor/ClockTicks.h"

#include <gtest/gtest.h>

#include <limits>

using namespace zephra::test;

namespace {

class Clock : public ::testing::Test {
protected:
    void SetUp() override
    {
        processor = owned(new RecordingProcessor);
        prepare(*processor, 48000.0, 8192);
    }
    std::vector<EngineCall> ticks() const
    {
        std::vector<EngineCall> result;
        for (const EngineCall& call : processor->calls)
            if (call.what == "clockTick")
                result.push_back(call);
        return result;
    }
    void run(int32 samples, ProcessContext* context)
    {
        StereoBlock block(samples);
        block.data.processContext = context;
        processor->process(block.data);
    }
    IPtr<RecordingProcessor> processor;
};

ProcessContext playingAt(double beats, double tempo = 120.0)
{
    ProcessContext context{};
    context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid |
                    ProcessContext::kProjectTimeMusicValid;
    context.tempo = tempo;
    context.projectTimeMusic = beats;
    context.sampleRate = 48000.0;
    return context;
}

} // namespace

TEST_F(Clock, TicksEveryThreeThousandSamplesAt120BpmAnd48kHz)
{
    ProcessContext context = playingAt(2.0);
    run(4096, &context);
    const auto t = ticks();
    ASSERT_EQ(t.size(), 2u);
    // Stretches: 0 before the first tick, 3000 up to the second, the rest after.
    std::vector<int32> counts;
    for (const EngineCall& call : processor->calls)
        if (call.what == "render")
            counts.push_back(call.count);
    EXPECT_EQ(counts, (std::vector<int32>{0, 3000, 1096}));
}

TEST_F(Clock, TickCarriesItsMusicalPosition)
{
    ProcessContext context = playingAt(2.0);
    run(4096, &context);
    const auto t = ticks();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_DOUBLE_EQ(t[0].value, 2.0);
    EXPECT_DOUBLE_EQ(t[1].value, 2.125);
}

TEST_F(Clock, FirstTickWaitsForTheNextThirtySecond)
{
    ProcessContext context = playingAt(2.0 + 1.0 / 16.0);   // half-way between ticks
    run(4096, &context);
    const auto t = ticks();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_DOUBLE_EQ(t[0].value, 2.125);
    EXPECT_EQ(processor->calls[0].what, "started");
    EXPECT_EQ(processor->calls[1].count, 1500);
}

TEST_F(Clock, TransportStartAndStopAreReportedOnceAndResetTheCounter)
{
    ProcessContext context = playingAt(4.0);
    run(512, &context);
    run(512, &context);
    context.state &= ~ProcessContext::kPlaying;
    run(512, &context);
    run(512, &context);
    std::vector<EngineCall> edges;
    for (const EngineCall& call : processor->calls)
        if (call.what == "started" || call.what == "stopped")
            edges.push_back(call);
    ASSERT_EQ(edges.size(), 2u);
    EXPECT_EQ(edges[0].what, "started");
    EXPECT_DOUBLE_EQ(edges[0].value, 4.0);
    EXPECT_EQ(edges[1].what, "stopped");
    // Stopped: the position is the internal counter, which restarted at the start edge.
    EXPECT_DOUBLE_EQ(edges[1].value, 0.0);
    // After the stop edge the counter restarted and ran one more block on its own.
    EXPECT_DOUBLE_EQ(processor->beats(), 512.0 / 24000.0);
}

TEST_F(Clock, StoppedTransportRunsTheInternalCounterAtTheLastTempo)
{
    ProcessContext context = playingAt(0.0, 60.0);
    context.state = ProcessContext::kTempoValid;   // stopped, tempo known
    run(4800, &context);
    EXPECT_DOUBLE_EQ(processor->tempo(), 60.0);
    EXPECT_DOUBLE_EQ(processor->beats(), 0.1);
    context.state = 0;   // tempo no longer valid: the last one holds
    run(4800, &context);
    EXPECT_DOUBLE_EQ(processor->beats(), 0.2);
    // One tick per eighth of a beat = 6000 samples: ticks at 0 (first block) and 1200.
    const auto t = ticks();
    ASSERT_EQ(t.size(), 2u);
    // The offset is truncated to a whole sample, so the value may lie just before the tick.
    EXPECT_NEAR(t[1].value, 0.125, 1.0 / 48000.0);
}

TEST_F(Clock, BlockWithoutContextSkipsTheClockStep)
{
    ProcessContext context = playingAt(1.0);
    run(512, &context);
    const double beats = processor->beats();
    processor->clearCalls();
    run(4096, nullptr);
    EXPECT_TRUE(ticks().empty());
    EXPECT_TRUE(processor->playing());
    EXPECT_DOUBLE_EQ(processor->beats(), beats);
    for (const EngineCall& call : processor->calls)
        EXPECT_NE(call.what, "stopped");
}

TEST_F(Clock, ZeroNegativeOrNonFiniteTempoKeepsTheLastValidOne)
{
    ProcessContext context = playingAt(0.0, 0.0);
    run(512, &context);
    EXPECT_DOUBLE_EQ(processor->tempo(), 120.0);
    context.tempo = -30.0;
    run(512, &context);
    context.tempo = std::numeric_limits<double>::infinity();
    run(512, &context);
    EXPECT_DOUBLE_EQ(processor->tempo(), 120.0);
}

TEST_F(Clock, NonFinitePositionGivesNoTicks)
{
    ProcessContext context = playingAt(std::numeric_limits<double>::quiet_NaN());
    run(4096, &context);
    EXPECT_TRUE(ticks().empty());
}

// Regression guard: a spacing that truncates to zero samples must not loop without end.
TEST_F(Clock, AbsurdTempoGivesABoundedNumberOfTicks)
{
    ProcessContext context = playingAt(0.0, 1.0e9);
    run(8192, &context);
    EXPECT_EQ(ticks().size(), 1u);
    context.tempo = 50000.0;   // spacing 7 samples
    run(8192, &context);
    EXPECT_LE(ticks().size(), static_cast<size_t>(1 + kMaxTicksPerBlock));
}

TEST(ClockTicks, PlanFollowsTheTruncatedSpacing)
{
    const TickPlan plan = planClockTicks(0.0, 24000.0, 8.0, 4096);
    EXPECT_EQ(plan.first, 0);
    EXPECT_EQ(plan.spacing, 3000);
    EXPECT_EQ(plan.count, 2);
    const TickPlan exact = planClockTicks(0.0, 24000.0, 8.0, 3000);
    EXPECT_EQ(exact.count, 1);   // 3000 is not below the block length
}

TEST(ClockTicks, DegenerateInputsGiveNoTicks)
{
    EXPECT_EQ(planClockTicks(0.0, 0.0, 8.0, 512).count, 0);
    EXPECT_EQ(planClockTicks(0.0, 24000.0, 0.0, 512).count, 0);
    EXPECT_EQ(planClockTicks(0.0, 24000.0, 8.0, 0).count, 0);
    EXPECT_EQ(planClockTicks(1.0e300, 1.0e300, 8.0, 512).count, 1);
    EXPECT_EQ(planClockTicks(0.0, 0.5, 8.0, 512).count, 1);
}

TEST(ClockTicks, NegativePositionsFindTheNextTick)
{
    const TickPlan plan = planClockTicks(-0.0625, 24000.0, 8.0, 4096);
    EXPECT_EQ(plan.first, 1500);
}

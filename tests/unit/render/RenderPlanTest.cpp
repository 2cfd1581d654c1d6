// Planning a render: sample positions, controller mapping, program-change choice and length.
#include "RenderPlan.h"

#include "RenderTestEvents.h"

#include <gtest/gtest.h>

using namespace zephra::render;
using zephra::test::event;
using zephra::test::pluginLikeMapping;

TEST(PitchBendMapping, CentreIsHalfAndTheEndsAreZeroAndOne) {
    EXPECT_DOUBLE_EQ(pitchBendToNormalized(0), 0.0);
    EXPECT_DOUBLE_EQ(pitchBendToNormalized(8192), 0.5);
    EXPECT_DOUBLE_EQ(pitchBendToNormalized(16383), 1.0);
    EXPECT_LT(pitchBendToNormalized(8191), 0.5);
    EXPECT_GT(pitchBendToNormalized(8193), 0.5);
}

TEST(RenderPlanning, NotesLandOnTheNearestSample) {
    Score score;
    score.events = {event(0.5, ScoreEventKind::NoteOn, 0, 60, 127), event(1.0, ScoreEventKind::NoteOff, 0, 60, 0)};
    const RenderPlan plan = planRender(score, 48000.0, 0.0, pluginLikeMapping);
    ASSERT_EQ(plan.notes.size(), 2u);
    EXPECT_EQ(plan.notes[0].sample, 24000);
    EXPECT_FLOAT_EQ(plan.notes[0].velocity, 1.0f);
    EXPECT_EQ(plan.notes[1].sample, 48000);
    EXPECT_FALSE(plan.notes[1].on);
    EXPECT_EQ(plan.noteOnCount, 1);
}

TEST(RenderPlanning, TheRenderEndsTheTailAfterTheLastNote) {
    Score score;
    score.events = {event(0.0, ScoreEventKind::NoteOn, 0, 60, 100), event(1.0, ScoreEventKind::NoteOff, 0, 60, 0)};
    EXPECT_EQ(planRender(score, 44100.0, 2.0, pluginLikeMapping).endSample, 44100 + 1 + 88200);
    EXPECT_EQ(planRender(score, 44100.0, 0.0, pluginLikeMapping).endSample, 44101);
}

TEST(RenderPlanning, ControllersBecomeParameterChangesThroughTheMapping) {
    Score score;
    score.events = {
        event(0.0, ScoreEventKind::Controller, 0, 64, 127), event(0.0, ScoreEventKind::NoteOn, 0, 60, 100),
        event(0.1, ScoreEventKind::Controller, 0, 74, 50),   // not mapped
        event(0.2, ScoreEventKind::PitchBend, 0, 0, 16383), event(0.3, ScoreEventKind::ChannelPressure, 0, 0, 99),
        event(0.4, ScoreEventKind::Controller, 5, 7, 0),     // any channel reaches the parameter
        event(1.0, ScoreEventKind::NoteOff, 0, 60, 0)};
    const RenderPlan plan = planRender(score, 1000.0, 0.0, pluginLikeMapping);
    ASSERT_EQ(plan.parameters.size(), 3u);
    EXPECT_EQ(plan.parameters[0].id, 64u);
    EXPECT_DOUBLE_EQ(plan.parameters[0].normalized, 1.0);
    EXPECT_EQ(plan.parameters[1].id, 129u);
    EXPECT_EQ(plan.parameters[1].sample, 200);
    EXPECT_DOUBLE_EQ(plan.parameters[1].normalized, 1.0);
    EXPECT_EQ(plan.parameters[2].id, 7u);
    EXPECT_DOUBLE_EQ(plan.parameters[2].normalized, 0.0);
    EXPECT_EQ(plan.unmappedControllerCount, 2);
}

// Guards against cutting off notes that a pedal holds beyond the last note-off.
TEST(RenderPlanning, TheTailFollowsAPedalReleasedAfterTheLastNote) {
    Score score;
    score.events = {event(0.0, ScoreEventKind::Controller, 0, 64, 127), event(0.0, ScoreEventKind::NoteOn, 0, 60, 100),
                    event(0.5, ScoreEventKind::NoteOff, 0, 60, 0), event(3.0, ScoreEventKind::Controller, 0, 64, 0),
                    event(4.0, ScoreEventKind::Controller, 0, 74, 0)};  // unmapped: plays no part
    const RenderPlan plan = planRender(score, 1000.0, 1.0, pluginLikeMapping);
    EXPECT_EQ(plan.parameters.size(), 2u);
    EXPECT_EQ(plan.endSample, 3000 + 1 + 1000);
}

TEST(ProgramChoice, ProgramChangeBeforeTheFirstNoteChoosesThePreset) {
    Score score;
    score.events = {event(0.0, ScoreEventKind::Controller, 2, 0, 8), event(0.0, ScoreEventKind::Program, 2, 19, 0),
                    event(0.0, ScoreEventKind::Program, 3, 40, 0), event(0.5, ScoreEventKind::NoteOn, 2, 60, 100),
                    event(1.0, ScoreEventKind::Program, 2, 5, 0)};
    const RenderPlan plan = planRender(score, 1000.0, 0.0, pluginLikeMapping);
    ASSERT_TRUE(plan.program.present);
    EXPECT_EQ(plan.program.program, 19);
    EXPECT_EQ(plan.program.bank, 8);
    EXPECT_EQ(plan.program.channel, 2);
    // The other channel's program and the later change are reported, not played.
    ASSERT_EQ(plan.ignoredPrograms.size(), 2u);
    EXPECT_NE(plan.ignoredPrograms[0].find("program 40 on channel 4"), std::string::npos);
    EXPECT_NE(plan.ignoredPrograms[1].find("program 5 on channel 3 at 1.000 s"), std::string::npos);
}

TEST(ProgramChoice, PercussionChannelDefaultsToBank128) {
    Score score;
    score.events = {event(0.0, ScoreEventKind::Program, 9, 0, 0), event(0.0, ScoreEventKind::NoteOn, 9, 36, 100)};
    const RenderPlan plan = planRender(score, 1000.0, 0.0, pluginLikeMapping);
    ASSERT_TRUE(plan.program.present);
    EXPECT_EQ(plan.program.bank, 128);
}

TEST(ProgramChoice, NoProgramChangeLeavesTheChoiceOpen) {
    Score score;
    score.events = {event(0.0, ScoreEventKind::NoteOn, 0, 60, 100), event(1.0, ScoreEventKind::Program, 0, 3, 0)};
    const RenderPlan plan = planRender(score, 1000.0, 0.0, pluginLikeMapping);
    EXPECT_FALSE(plan.program.present);
    EXPECT_EQ(plan.ignoredPrograms.size(), 1u);
}

// Guards against undefined conversions: a time far beyond any render still gives a position.
TEST(RenderPlanning, AbsurdTimesAreCappedInsteadOfOverflowing) {
    Score score;
    score.events = {event(0.0, ScoreEventKind::NoteOn, 0, 60, 100), event(1.0e300, ScoreEventKind::NoteOff, 0, 60, 0)};
    const RenderPlan plan = planRender(score, 192000.0, 0.0, pluginLikeMapping);
    EXPECT_GT(plan.notes.back().sample, 0);
    EXPECT_GT(plan.endSample, plan.notes.back().sample);
}

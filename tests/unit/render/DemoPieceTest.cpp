// The built-in demo piece: long enough, complete, and using what it is meant to show off.
#include "DemoPiece.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace zephra::render;

namespace {
const Score& demo() {
    static const Score score = makeDemoPiece();
    return score;
}
} // namespace

TEST(DemoPiece, LastsBetweenTwentyAndThirtySeconds) {
    EXPECT_GE(demo().endSeconds, 20.0);
    EXPECT_LE(demo().endSeconds, 30.0);
}

TEST(DemoPiece, EventsAreInTimeOrder) {
    const auto& events = demo().events;
    EXPECT_TRUE(std::is_sorted(events.begin(), events.end(),
                               [](const ScoreEvent& a, const ScoreEvent& b) { return a.seconds < b.seconds; }));
}

TEST(DemoPiece, EveryNoteIsReleased) {
    std::map<int, int> held;
    for (const ScoreEvent& e : demo().events) {
        if (e.kind == ScoreEventKind::NoteOn) ++held[e.number];
        if (e.kind == ScoreEventKind::NoteOff) --held[e.number];
    }
    for (const auto& [key, count] : held) EXPECT_EQ(count, 0) << "key " << key;
}

TEST(DemoPiece, OpensWithTheMelodyAloneThenPlaysChords) {
    int mostAtOnce = 0;
    int sounding = 0;
    double firstChord = -1.0;
    for (const ScoreEvent& e : demo().events) {
        if (e.kind == ScoreEventKind::NoteOn) ++sounding;
        if (e.kind == ScoreEventKind::NoteOff) --sounding;
        if (sounding >= 3 && firstChord < 0) firstChord = e.seconds;
        mostAtOnce = std::max(mostAtOnce, sounding);
    }
    EXPECT_GE(mostAtOnce, 4);
    EXPECT_GE(firstChord, 2.0);  // the first bar is single notes
}

TEST(DemoPiece, UsesTheSustainPedal) {
    int downs = 0, ups = 0;
    for (const ScoreEvent& e : demo().events)
        if (e.kind == ScoreEventKind::Controller && e.number == 64) (e.value >= 64 ? downs : ups)++;
    EXPECT_GE(downs, 4);
    EXPECT_EQ(downs, ups);
}

TEST(DemoPiece, BendsUpAWholeRangeAndComesBackToTheCentre) {
    uint16_t highest = 8192;
    uint16_t last = 0;
    for (const ScoreEvent& e : demo().events)
        if (e.kind == ScoreEventKind::PitchBend) {
            highest = std::max(highest, e.value);
            last = e.value;
        }
    EXPECT_EQ(highest, 16383);
    EXPECT_EQ(last, 8192);
}

TEST(DemoPiece, SwellsTheModWheelUpAndBackDown) {
    uint16_t highest = 0;
    uint16_t last = 255;
    int moves = 0;
    for (const ScoreEvent& e : demo().events)
        if (e.kind == ScoreEventKind::Controller && e.number == 1) {
            highest = std::max(highest, e.value);
            last = e.value;
            ++moves;
        }
    EXPECT_EQ(highest, 127);
    EXPECT_EQ(last, 0);
    EXPECT_GT(moves, 20);
}

TEST(DemoPiece, CarriesNoProgramChangeSoAnyPresetCanPlayIt) {
    for (const ScoreEvent& e : demo().events) EXPECT_NE(e.kind, ScoreEventKind::Program);
}

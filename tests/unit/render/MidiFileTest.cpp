// The Standard MIDI File reader: what it accepts, how it merges and times events, and that a
// broken file is refused with a reason instead of being misread.
#include "MidiFile.h"
#include "Score.h"
#include "TempoMap.h"
#include "support/MidiWriter.h"

#include <gtest/gtest.h>

using namespace zephra::render;
using zephra::test::buildMidiFile;
using zephra::test::MidiFileOptions;
using zephra::test::MidiTrack;

namespace {

MidiSequence parseOk(const std::vector<uint8_t>& bytes) {
    MidiSequence sequence;
    std::string error;
    EXPECT_TRUE(parseMidiFile(bytes.data(), bytes.size(), sequence, error)) << error;
    return sequence;
}

std::string parseError(const std::vector<uint8_t>& bytes) {
    MidiSequence sequence;
    std::string error;
    EXPECT_FALSE(parseMidiFile(bytes.data(), bytes.size(), sequence, error));
    EXPECT_TRUE(sequence.events.empty());
    return error;
}

std::vector<uint8_t> twoTrackFile(bool runningStatus = false) {
    MidiTrack first, second;
    first.tempo(0, 500000).note(0, 480, 0, 60, 100).note(960, 480, 0, 62, 90);
    second.note(480, 480, 1, 67, 80).controller(480, 1, 64, 127).pitchBend(720, 1, 10000);
    MidiFileOptions options;
    options.runningStatus = runningStatus;
    return buildMidiFile({first, second}, options);
}

} // namespace

// --- accepted files ---

TEST(MidiFileReading, TypeOneTracksAreMergedInTickOrder) {
    const MidiSequence sequence = parseOk(twoTrackFile());
    ASSERT_EQ(sequence.events.size(), 8u);
    for (size_t i = 1; i < sequence.events.size(); ++i)
        EXPECT_LE(sequence.events[i - 1].tick, sequence.events[i].tick);
    // At tick 480 the first track's note-off comes before the second track's note-on.
    EXPECT_EQ(sequence.events[1].tick, 480);
    EXPECT_EQ(sequence.events[1].status, 0x80);
    EXPECT_EQ(sequence.events[2].status, 0x91);
    EXPECT_EQ(sequence.ticksPerQuarter, 480);
    EXPECT_EQ(sequence.trackCount, 2);
}

TEST(MidiFileReading, RunningStatusGivesTheSameEvents) {
    const MidiSequence plain = parseOk(twoTrackFile(false));
    const MidiSequence running = parseOk(twoTrackFile(true));
    ASSERT_EQ(plain.events.size(), running.events.size());
    for (size_t i = 0; i < plain.events.size(); ++i) {
        EXPECT_EQ(plain.events[i].tick, running.events[i].tick);
        EXPECT_EQ(plain.events[i].status, running.events[i].status);
        EXPECT_EQ(plain.events[i].data1, running.events[i].data1);
        EXPECT_EQ(plain.events[i].data2, running.events[i].data2);
    }
}

TEST(MidiFileReading, TypeZeroIsRead) {
    MidiTrack track;
    track.note(0, 100, 3, 64, 100).program(0, 3, 5);
    MidiFileOptions options;
    options.format = 0;
    const MidiSequence sequence = parseOk(buildMidiFile({track}, options));
    EXPECT_EQ(sequence.format, 0);
    EXPECT_EQ(sequence.events.size(), 3u);
}

TEST(MidiFileReading, MetaAndSysexEventsAreSkippedWithoutBreakingRunningStatus) {
    MidiTrack track;
    track.noteOn(0, 0, 60, 100).trackName(10, "name").noteOn(20, 0, 62, 100).sysex(30, {0x7E, 0x7F, 0xF7});
    MidiFileOptions options;
    options.runningStatus = true;
    const MidiSequence sequence = parseOk(buildMidiFile({track}, options));
    ASSERT_EQ(sequence.events.size(), 2u);
    EXPECT_EQ(sequence.events[1].data1, 62);
}

TEST(MidiFileReading, UnknownChunksBetweenTracksAreSkipped) {
    MidiTrack track;
    track.note(0, 10, 0, 60, 100);
    std::vector<uint8_t> bytes = buildMidiFile({track});
    const std::vector<uint8_t> alien{'X', 'F', 'I', 'H', 0, 0, 0, 2, 1, 2};
    bytes.insert(bytes.begin() + 14, alien.begin(), alien.end());
    EXPECT_EQ(parseOk(bytes).events.size(), 2u);
}

TEST(MidiFileReading, TrackWithoutEndOfTrackIsAccepted) {
    MidiTrack track;
    track.note(0, 10, 0, 60, 100);
    MidiFileOptions options;
    options.endOfTrack = false;
    EXPECT_EQ(parseOk(buildMidiFile({track}, options)).events.size(), 2u);
}

TEST(MidiFileReading, ZeroTempoIsIgnoredWithAWarning) {
    MidiTrack track;
    track.tempo(0, 0).note(0, 10, 0, 60, 100);
    const MidiSequence sequence = parseOk(buildMidiFile({track}));
    EXPECT_TRUE(sequence.tempos.empty());
    EXPECT_EQ(sequence.warnings.size(), 1u);
}

// --- timing ---

TEST(MidiTiming, DefaultTempoIs120BeatsPerMinute) {
    MidiTrack track;
    track.note(960, 10, 0, 60, 100);
    const MidiSequence sequence = parseOk(buildMidiFile({track}));
    EXPECT_DOUBLE_EQ(TempoMap(sequence).secondsAt(960), 1.0);
}

TEST(MidiTiming, TempoChangesInAnyTrackBendTheTimeline) {
    MidiTrack conductor, music;
    conductor.tempo(0, 1000000).tempo(480, 250000);  // 60 bpm for a beat, then 240 bpm
    music.note(960, 10, 0, 60, 100);
    const MidiSequence sequence = parseOk(buildMidiFile({conductor, music}));
    const TempoMap map(sequence);
    EXPECT_DOUBLE_EQ(map.secondsAt(480), 1.0);
    EXPECT_DOUBLE_EQ(map.secondsAt(960), 1.25);
    const Score score = scoreFromMidi(sequence);
    EXPECT_DOUBLE_EQ(score.events.front().seconds, 1.25);
}

TEST(MidiTiming, SmpteDivisionCountsTicksPerSecond) {
    MidiTrack track;
    track.note(2500, 10, 0, 60, 100);
    MidiFileOptions options;
    options.division = static_cast<uint16_t>((uint8_t(-25) << 8) | 100);  // 25 fps, 100 ticks per frame
    const MidiSequence sequence = parseOk(buildMidiFile({track}, options));
    EXPECT_TRUE(sequence.smpte);
    EXPECT_DOUBLE_EQ(TempoMap(sequence).secondsAt(2500), 1.0);
}

TEST(MidiScore, NoteOnWithVelocityZeroIsANoteOff) {
    MidiTrack track;
    track.noteOn(0, 0, 60, 100).noteOn(100, 0, 60, 0);
    const Score score = scoreFromMidi(parseOk(buildMidiFile({track})));
    ASSERT_EQ(score.events.size(), 2u);
    EXPECT_EQ(score.events[1].kind, ScoreEventKind::NoteOff);
}

TEST(MidiScore, PitchBendJoinsItsTwoSevenBitHalves) {
    MidiTrack track;
    track.pitchBend(0, 0, 16383).pitchBend(1, 0, 8192).pitchBend(2, 0, 0);
    const Score score = scoreFromMidi(parseOk(buildMidiFile({track})));
    ASSERT_EQ(score.events.size(), 3u);
    EXPECT_EQ(score.events[0].value, 16383);
    EXPECT_EQ(score.events[1].value, 8192);
    EXPECT_EQ(score.events[2].value, 0);
}

// --- refused files ---

TEST(MidiFileRefusal, FileNotBeginningWithMThdIsNotAMidiFile) {
    std::vector<uint8_t> bytes = twoTrackFile();
    bytes[0] = 'R';
    EXPECT_NE(parseError(bytes).find("not a MIDI file"), std::string::npos);
}

TEST(MidiFileRefusal, TooShortForAHeader) {
    EXPECT_NE(parseError({'M', 'T', 'h', 'd', 0, 0}).find("too short"), std::string::npos);
}

TEST(MidiFileRefusal, TypeTwoIsNotSupported) {
    MidiTrack track;
    track.note(0, 10, 0, 60, 100);
    MidiFileOptions options;
    options.format = 2;
    EXPECT_NE(parseError(buildMidiFile({track}, options)).find("type 2"), std::string::npos);
}

TEST(MidiFileRefusal, ZeroDivisionIsRefused) {
    MidiTrack track;
    track.note(0, 10, 0, 60, 100);
    MidiFileOptions options;
    options.division = 0;
    EXPECT_NE(parseError(buildMidiFile({track}, options)).find("ticks per quarter"), std::string::npos);
}

TEST(MidiFileRefusal, MissingTracksAreReported) {
    std::vector<uint8_t> bytes = twoTrackFile();
    bytes[11] = 3;  // the header now announces three tracks
    EXPECT_NE(parseError(bytes).find("2 of 3 tracks"), std::string::npos);
}

TEST(MidiFileRefusal, ChunkLongerThanTheFileIsRefused) {
    std::vector<uint8_t> bytes = twoTrackFile();
    bytes[18] = 0x7F;  // first track's length: far beyond the file
    EXPECT_NE(parseError(bytes).find("claims"), std::string::npos);
}

TEST(MidiFileRefusal, DataByteWithoutStatusIsRefused) {
    MidiTrack track;
    track.raw(0, {0x40, 0x40});
    EXPECT_NE(parseError(buildMidiFile({track})).find("without a status"), std::string::npos);
}

TEST(MidiFileRefusal, CutOffChannelMessageIsRefused) {
    MidiTrack track;
    track.raw(0, {0x90, 60});
    MidiFileOptions options;
    options.endOfTrack = false;
    EXPECT_NE(parseError(buildMidiFile({track}, options)).find("cut off"), std::string::npos);
}

TEST(MidiFileRefusal, OverlongDeltaTimeIsRefused) {
    MidiTrack track;
    MidiFileOptions options;
    options.endOfTrack = false;
    std::vector<uint8_t> bytes = buildMidiFile({track}, options);
    const std::vector<uint8_t> body{0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 100};
    bytes[21] = static_cast<uint8_t>(body.size());
    bytes.insert(bytes.end(), body.begin(), body.end());
    EXPECT_NE(parseError(bytes).find("delta time"), std::string::npos);
}

TEST(MidiFileRefusal, MetaEventRunningPastTheTrackIsRefused) {
    MidiTrack track;
    track.raw(0, {0xFF, 0x01, 0x7F, 'a'});
    MidiFileOptions options;
    options.endOfTrack = false;
    EXPECT_NE(parseError(buildMidiFile({track}, options)).find("meta event"), std::string::npos);
}

TEST(MidiFileRefusal, SystemRealTimeByteInATrackIsRefused) {
    MidiTrack track;
    track.raw(0, {0xF8});
    EXPECT_NE(parseError(buildMidiFile({track})).find("not allowed"), std::string::npos);
}

// Guards against reads past the end: every cut of a valid file parses or is refused cleanly.
TEST(MidiFileRefusal, EveryTruncationIsHandled) {
    const std::vector<uint8_t> bytes = zephra::test::makeGeneralMidiPiece(4.0);
    for (size_t length = 0; length < bytes.size(); length += 7) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        MidiSequence sequence;
        std::string error;
        if (!parseMidiFile(cut.data(), cut.size(), sequence, error)) {
            EXPECT_FALSE(error.empty());
        }
    }
}

// Guards against misreading damaged bytes: flipping any byte never crashes the reader.
TEST(MidiFileRefusal, CorruptedBytesAreHandled) {
    const std::vector<uint8_t> original = twoTrackFile(true);
    for (size_t i = 0; i < original.size(); ++i) {
        for (uint8_t value : {uint8_t(0x00), uint8_t(0x7F), uint8_t(0x80), uint8_t(0xFF)}) {
            std::vector<uint8_t> bytes = original;
            bytes[i] = value;
            MidiSequence sequence;
            std::string error;
            if (!parseMidiFile(bytes.data(), bytes.size(), sequence, error)) {
                EXPECT_FALSE(error.empty());
            }
        }
    }
}

TEST(MidiFileRefusal, MissingFileIsReported) {
    MidiSequence sequence;
    std::string error;
    EXPECT_FALSE(readMidiFile("/nonexistent/piece.mid", sequence, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

TEST(MidiFileRefusal, FolderIsNotReadAsAFile) {
    MidiSequence sequence;
    std::string error;
    EXPECT_FALSE(readMidiFile("/tmp", sequence, error));
    EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;
}

// Guards against refusing a whole file that other players play for one bad byte.
TEST(MidiFileLeniency, ChannelMessageWithADataByteAbove127IsSkippedWithOneWarning) {
    MidiTrack track;
    track.noteOn(0, 0, 60, 100).raw(10, {0x90, 62, 0xC8}).raw(20, {0xB0, 0x87, 5}).noteOff(30, 0, 60);
    const MidiSequence sequence = parseOk(buildMidiFile({track}));
    ASSERT_EQ(sequence.events.size(), 2u);   // the two good messages, in step after the bad ones
    EXPECT_EQ(sequence.events[1].tick, 30);
    EXPECT_EQ(sequence.events[1].status, 0x80);
    ASSERT_EQ(sequence.warnings.size(), 1u);
    EXPECT_NE(sequence.warnings[0].find("2 channel message(s) with a data byte above 127"), std::string::npos)
        << sequence.warnings[0];
}

// Guards against refusing whole files that other readers play: running status taken up again
// right after a system-exclusive event continues the message before it.
TEST(MidiFileLeniency, RunningStatusAfterSysexContinuesWithOneWarningPerTrack) {
    MidiTrack track;
    track.noteOn(0, 0, 60, 100).sysex(10, {0x7E, 0xF7}).raw(20, {62, 90}).sysex(30, {0x7E, 0xF7}).raw(40, {60, 0});
    const MidiSequence sequence = parseOk(buildMidiFile({track, track}));
    ASSERT_EQ(sequence.events.size(), 6u);
    EXPECT_EQ(sequence.events[2].status, 0x90);
    EXPECT_EQ(sequence.events[2].data1, 62);
    ASSERT_EQ(sequence.warnings.size(), 2u);
    EXPECT_NE(sequence.warnings[1].find("track 2: 2 message(s) use running status"), std::string::npos)
        << sequence.warnings[1];
}

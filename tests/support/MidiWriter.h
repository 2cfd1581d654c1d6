#pragma once
// Builds Standard MIDI Files in memory for tests and benchmarks: tracks of timed channel and
// meta events (written with or without running status), raw bytes for broken-file cases, and
// a generated General MIDI piece of any length.
//
// Threads: any (no shared state). Not real-time safe (allocates).
#include <cstdint>
#include <string>
#include <vector>

namespace zephra {
namespace test {

class MidiTrack {
public:
    // Events at absolute ticks; the file lists them in tick order (equal ticks: order added).
    MidiTrack& noteOn(uint32_t tick, uint8_t channel, uint8_t key, uint8_t velocity);
    MidiTrack& noteOff(uint32_t tick, uint8_t channel, uint8_t key, uint8_t velocity = 64);
    MidiTrack& note(uint32_t tick, uint32_t lengthTicks, uint8_t channel, uint8_t key, uint8_t velocity);
    MidiTrack& controller(uint32_t tick, uint8_t channel, uint8_t number, uint8_t value);
    MidiTrack& program(uint32_t tick, uint8_t channel, uint8_t program);
    MidiTrack& pitchBend(uint32_t tick, uint8_t channel, uint16_t value14);  // 8192 = centre
    MidiTrack& tempo(uint32_t tick, uint32_t microsecondsPerQuarter);
    MidiTrack& trackName(uint32_t tick, const std::string& name);
    MidiTrack& sysex(uint32_t tick, const std::vector<uint8_t>& body);  // body without the F0
    // Bytes written as they are after the event's delta time (status included).
    MidiTrack& raw(uint32_t tick, const std::vector<uint8_t>& bytes);

    // The chunk body: delta-timed events, then end of track unless switched off.
    std::vector<uint8_t> body(bool runningStatus = false, bool endOfTrack = true) const;

private:
    struct Event {
        uint32_t tick;
        std::vector<uint8_t> bytes;
    };
    std::vector<Event> events;
};

struct MidiFileOptions {
    uint16_t format = 1;
    uint16_t division = 480;       // ticks per quarter note
    bool runningStatus = false;
    bool endOfTrack = true;
};

std::vector<uint8_t> buildMidiFile(const std::vector<MidiTrack>& tracks, const MidiFileOptions& options = {});

// Writes the bytes to a file; false when it cannot be written completely.
bool writeMidiFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Variable-length quantity as a MIDI file stores it.
std::vector<uint8_t> variableLength(uint32_t value);

// A General MIDI piece of the given length at 120 beats per minute (480 ticks per quarter):
// a conductor track with tempo, then bass, chords, melody and a pad on channels 1 to 4, each
// with its program change, expression and pan controllers, and pitch bend in the melody.
std::vector<uint8_t> makeGeneralMidiPiece(double seconds);

// A General MIDI piece on all sixteen channels at 120 beats per minute: fifteen melodic parts,
// each with its own program (one from every instrument family) and rhythm, and drums on
// channel 10.
std::vector<uint8_t> makeSixteenChannelPiece(double seconds);

} // namespace test
} // namespace zephra

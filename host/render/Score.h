#pragma once
// A piece as the renderer plays it: channel events at times in seconds, whether they come from
// a MIDI file or from the built-in demo.
//
// Threads: any (plain values). Not real-time safe (vectors).
#include "MidiFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zephra {
namespace render {

enum class ScoreEventKind : uint8_t { NoteOn, NoteOff, Controller, PitchBend, ChannelPressure, Program };

struct ScoreEvent {
    double seconds = 0.0;
    ScoreEventKind kind = ScoreEventKind::NoteOn;
    uint8_t channel = 0;   // 0..15
    uint8_t number = 0;    // key, controller number or program
    uint16_t value = 0;    // velocity or controller value 0..127, pitch bend 0..16383 (8192 = centre)
};

struct Score {
    std::vector<ScoreEvent> events;   // in time order; equal times keep their given order
    double endSeconds = 0.0;          // time of the last event of the source (meta events included)
};

// Converts the merged channel messages of a file into timed events. A note-on with velocity 0
// becomes a note-off; polyphonic key pressure, which the instrument has no use for, is dropped.
Score scoreFromMidi(const MidiSequence& sequence);

}   // namespace render
}   // namespace zephra

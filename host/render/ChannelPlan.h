#pragma once
// Splits a score into one plan per MIDI channel, as a DAW user puts one instrument instance on
// each channel's track: the channel's notes, its controllers through the plug-in's MIDI
// mapping, its program changes (with bank select) as preset changes, RPN 0 as "Bend Range",
// "reset all controllers" as the controllers' initial values and "all notes off" as note-offs.
//
// Threads: any (no shared state). Not real-time safe (allocates).
#include "PresetCatalog.h"
#include "RenderPlan.h"
#include "Score.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zephra {
namespace render {

// A preset change of one instance at a sample position.
struct PlannedProgram {
    int64_t sample = 0;
    int32_t preset = 0;
};

// What one plug-in instance plays.
struct TrackPlan {
    int channel = -1;                       // 0..15; -1: every channel (one instance for the piece)
    RenderPlan plan;                        // notes and parameter changes
    int32_t firstPreset = -1;               // the preset it starts with
    std::vector<PlannedProgram> programs;   // later preset changes, ascending sample
};

// The plug-in's "Bend Range" parameter: its ID and the normalised value of a plain value.
struct BendRangeParameter {
    bool present = false;
    uint32_t id = 0;
    double maxSemitones = 12.0;
    std::function<double(double semitones)> normalized;
};

struct ChannelPlanning {
    std::vector<TrackPlan> tracks;      // one per channel with notes, by channel number
    std::vector<std::string> remarks;   // readable notes on fallbacks and limits, each once
};

// onlyChannel: 0..15 plans that channel alone, -1 every channel.
ChannelPlanning planChannels(const Score& score, double sampleRate, const ControllerMapping& mapping,
                             const BendRangeParameter& bendRange, const PresetCatalog& catalog, int onlyChannel);

// Ends the song as a DAW ends a region: every note still held in the plan gets its note-off at
// sample, and the sustain pedal goes up there; the plan then lasts at least to that sample.
// Both lists must be sorted and end at or before sample.
void endHeldNotes(RenderPlan& plan, int64_t sample, const ControllerMapping& mapping);

}   // namespace render
}   // namespace zephra

#pragma once
// Turns a score into what the host hands the plug-in: notes at sample positions, controller
// movements as parameter changes (through the plug-in's MIDI mapping), the preset chosen by
// the score's program changes, and the length of the render.
//
// Threads: any (no shared state). Not real-time safe (allocates).
#include "Score.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace zephra {
namespace render {

struct PlannedNote {
    int64_t sample = 0;
    bool on = true;
    int16_t channel = 0;
    int16_t pitch = 0;
    float velocity = 0.f;   // 0..1
};

struct PlannedParameter {
    int64_t sample = 0;
    uint32_t id = 0;
    double normalized = 0.0;
};

// A pan position (controller 10: 0 left, 64 centre, 127 right) that the host's mixer applies to
// the instance's output from this sample on.
struct PlannedPan {
    int64_t sample = 0;
    uint8_t value = 64;
};

struct ProgramChoice {
    bool present = false;
    int32_t bank = 0;
    int32_t program = 0;
    int32_t channel = 0;
};

struct RenderPlan {
    std::vector<PlannedNote> notes;             // ascending sample, score order within a sample
    std::vector<PlannedParameter> parameters;   // ascending sample, score order within a sample
    std::vector<PlannedPan> pans;               // ascending sample (empty: centre all through)
    ProgramChoice program;                      // from the program changes before the first note
    std::vector<std::string> ignoredPrograms;   // readable descriptions of the others
    int64_t noteOnCount = 0;
    int64_t unmappedControllerCount = 0;     // controller events without a parameter
    std::set<int16_t> unmappedControllers;   // their controller numbers (VST3 numbering)
    int64_t endSample = 0;                   // the render covers samples [0, endSample)
};

// Asks the plug-in which parameter a MIDI controller drives (false: none). Controller numbers
// follow VST3: 0..127 control changes, 128 channel pressure, 129 pitch bend.
using ControllerMapping = std::function<bool(int16_t channel, int16_t controller, uint32_t& id)>;

constexpr int16_t kChannelPressureController = 128;
constexpr int16_t kPitchBendController = 129;

// The sample nearest to a time, capped far beyond any render length the renderer accepts so
// that the conversion stays defined even for absurd times.
int64_t sampleAt(double seconds, double sampleRate);

// Normalised value of a 14-bit pitch bend: 0 -> 0.0, 8192 (centre) -> 0.5, 16383 -> 1.0.
double pitchBendToNormalized(uint16_t value);

// The plan ends tailSeconds after the last note or parameter change (the renderer lengthens it
// to the song's End-of-Track).
RenderPlan planRender(const Score& score, double sampleRate, double tailSeconds, const ControllerMapping& mapping);

}   // namespace render
}   // namespace zephra

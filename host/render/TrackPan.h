#pragma once
// The pan control of one mixer track: controller 10 of the track's MIDI channel as a
// constant-power pan of the instance's stereo output (left and right scaled by the cosine and
// sine of the position, times the square root of 2, so the centre leaves the output as it is).
// A pan change takes effect on its sample and glides there over kRampSeconds, so it never
// clicks; the pan set before the track's first note holds from the start.
//
// Threads: the thread that renders the track. Real-time safe once constructed.
#include "RenderPlan.h"

#include <cstdint>
#include <vector>

namespace zephra {
namespace render {

class TrackPan {
public:
    static constexpr double kRampSeconds = 0.005;

    TrackPan(std::vector<PlannedPan> pans, int64_t firstNoteSample, double sampleRate);

    // Scales frames [position, position + count) of the track's output in place; call for
    // consecutive stretches.
    void apply(int64_t position, float* left, float* right, int32_t count);

    // The gains for a controller value (0 left, 64 centre, 127 right).
    static void gains(uint8_t value, float& left, float& right);
    int32_t rampFrames() const { return rampLength; }

private:
    void moveTo(uint8_t value);

    std::vector<PlannedPan> plannedPans;
    size_t next = 0;
    int32_t rampLength = 1;
    float leftGain = 1.f, rightGain = 1.f;   // gains reached
    float fromLeft = 1.f, fromRight = 1.f, toLeft = 1.f, toRight = 1.f;
    int32_t rampDone = 0;   // frames of the glide done; rampLength: none running
};

}   // namespace render
}   // namespace zephra

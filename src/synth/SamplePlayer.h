#pragma once
// Reads one record's sample points: its reference frequency and its loop, checked so that every
// fetch stays inside the points. A record that fails the checks gets the silent default player.
// Threads: made on any thread; read on the audio thread. Reading is real-time safe.
#include "soundfont/SFSynth.h"

#include <cstdint>
#include <limits>

namespace Steinberg {
namespace Vst {

struct SamplePlayer {
    const float* points;          // first sample point
    int32_t count;                // number of points, guard point included
    float referenceFrequency;     // Hz that plays the sample at its recorded speed
    int32_t loopStart;
    int32_t loopLast;             // last point of the loop
    // Largest |point| of the loop (see loopPeakOf); infinite while not known.
    float loopPeak = std::numeric_limits<float>::infinity();

    // Five zero points looping over all of them.
    static SamplePlayer silent() noexcept;
    // Player for `record` at the processing sample rate; the silent player if the record fails
    // the checks (empty or too short samples, reference frequency below 1 Hz, loop outside the
    // points or empty).
    static SamplePlayer forRecord(const SFSynth& record, double processingRate) noexcept;
    // The largest |point| of the record's loop as its player plays it (the held point of a
    // one-shot), whatever the rate; infinite when the record has no usable loop. Worked out once
    // per record, off the audio thread (from the buffer's block peaks, so at little cost).
    static float loopPeakOf(const SFSynth& record) noexcept;

    // The point at read index j: 0 for a negative index (a position beyond 32 bits), the loop
    // applied from the loop start on. `wrap` remembers the whole loop lengths already taken off
    // for this voice, so a steadily growing index needs no division; the result is always
    // loopStart + (j - loopStart) mod loop length.
    float fetch(int32_t j, int64_t& wrap) const noexcept
    {
        if (j < 0)
            return 0.0f;
        if (j < loopStart)
            return points[j];
        if (loopLast == loopStart)
            return points[loopStart];   // a one-shot past its end holds one point: no division
        const int64_t length = int64_t(loopLast) - loopStart + 1;
        const int64_t intoLoop = int64_t(j) - loopStart;
        int64_t wrapped = intoLoop - wrap;
        if (wrapped >= length || wrapped < 0) {
            wrapped = intoLoop % length;
            wrap = intoLoop - wrapped;
        }
        return points[loopStart + wrapped];
    }
};

} // namespace Vst
} // namespace Steinberg

#pragma once
// Where a render's output ends: the song, then the sound after it. A frame is audible while
// it lies above kInaudible (-100 dB) of the mix's peak before it; with `untilSilent` the output
// ends `fade` frames after the last audible frame once `quiet` frames past it (and past the
// song's end) stayed inaudible, otherwise at `cap`, which also bounds the tail. Decided frame by
// frame, so the end does not depend on how the mix was cut into stretches.
//
// Threads: the mixing thread only. Real-time safe (no allocation).
#include <cstdint>

namespace zephra {
namespace render {

class TailWatch {
public:
    static constexpr float kInaudible = 1.0e-5f;

    TailWatch(int64_t songEnd, int64_t cap, bool untilSilent, int64_t quiet, int64_t fade);

    // Looks at the mixed frames [position, position + count), which follow the ones looked at
    // before; true once the end is known.
    bool watch(int64_t position, const float* left, const float* right, int32_t count);
    // Frames that are certainly part of the output, of those rendered up to `rendered`.
    int64_t certain(int64_t rendered) const;
    // The tail was cut at the cap while still audible.
    bool tailCapped() const { return capped; }
    int64_t lastAudibleFrame() const { return lastAudible; }   // one past it; 0 before any

private:
    int64_t silentEnd() const;
    void watchFrameByFrame(int64_t position, const float* left, const float* right, int32_t count);
    void watchWholeStretch(int64_t position, const float* left, const float* right, int32_t count);

    const int64_t songEnd, cap;
    const bool untilSilent;
    const int64_t quiet, fade;
    float peak = 0.f;
    int64_t lastAudible = 0;
    int64_t end = -1;
    bool capped = false;
};

}   // namespace render
}   // namespace zephra

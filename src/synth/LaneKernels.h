#pragma once
// The vectorised voice loop's kernels: a group of up to eight voices side by side in the lanes
// of vector registers, every lane doing exactly the scalar loop's arithmetic in the same order
// (no fused multiply-adds), so its output equals the scalar loop's bit for bit. The voices' runs
// and endings are kept by VoiceLanes between stretches of samples; the kernels do the samples
// in between, and the mix adds the lanes' outputs in voice order.
//
// The kernels for each vector unit live in their own file, compiled for it (LaneKernelsSse2.cpp,
// LaneKernelsAvx2.cpp); those files include nothing but this header and the intrinsics, so no
// code built for a wider unit can stand in for a function the rest of the program shares.
// Threads: audio thread; real-time safe.
#include <cstdint>

namespace Steinberg {
namespace Vst {

constexpr int kMaxLanes = 8;

// A group's per-sample state, one array element per lane (so one vector load takes the value of
// every voice). A lane without a voice reads zeros and outputs exactly 0.
struct alignas(32) LaneBlock {
    double position[kMaxLanes];
    double step[kMaxLanes];
    const float* points[kMaxLanes];
    int32_t wrap[kMaxLanes];        // whole loop lengths taken off the read index (Voice::loopWrap)
    int32_t loopStart[kMaxLanes];
    int32_t loopLast[kMaxLanes];    // the last point of the loop (the held point of a one-shot)
    int32_t loopLength[kMaxLanes];  // 0 for a one-shot, which holds its point without wrapping
    int32_t wrapAfter[kMaxLanes];   // loopLength - 1: an index this far into the pass wraps
    float b0[kMaxLanes], b1[kMaxLanes], b2[kMaxLanes], a1[kMaxLanes], a2[kMaxLanes];
    float x1[kMaxLanes], x2[kMaxLanes], y1[kMaxLanes], y2[kMaxLanes];
    float gain[kMaxLanes];
    float envelope[kMaxLanes];
    float attenuation[kMaxLanes];
    float peak[kMaxLanes];          // largest |amplitude| so far (Lane::peak)
    float panLeft[kMaxLanes];
    float panRight[kMaxLanes];
};

// Samples the kernels are given at a time (the engine's mixing chunk).
constexpr int32_t kLaneChunk = 256;

// One vector unit's kernels.
struct LaneKernels {
    int32_t lanes;   // voices per group
    // Samples from .. from + count - 1 of every lane, each read position moved by its step
    // before its fetch: the amplitudes go to amplitudes[sample * lanes + lane]. Every lane's
    // positions must stay within 0 .. 2^31 - 1 and its step within one loop length.
    void (*run)(LaneBlock& block, float* amplitudes, int32_t from, int32_t count) noexcept;
    // Adds each lane's amplitudes times its pans to the mix, lane after lane, for samples
    // 0 .. count - 1 rounded up to whole groups of `lanes` (the rows beyond count hold zeros).
    void (*mix)(const LaneBlock& block, const float* amplitudes, int32_t count, float* mixLeft,
                float* mixRight) noexcept;
    // out[i] = gain x (mix[i] x 0.25), or 0 where that is not a finite number, for i < count.
    void (*output)(const float* mix, float gain, float* out, int32_t count) noexcept;
};

// Kernels for SSE2 (four lanes; every x86-64 processor has it) and AVX2 (eight lanes).
const LaneKernels& sse2LaneKernels() noexcept;
const LaneKernels& avx2LaneKernels() noexcept;

} // namespace Vst
} // namespace Steinberg

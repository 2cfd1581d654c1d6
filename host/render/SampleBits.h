#pragma once
// Sample magnitudes as bits: (bits & 0x7fffffff) of a float orders like its absolute value among
// finite samples, with infinity above them all and every NaN above infinity. One integer maximum
// over a stretch so gives both its peak and whether it held a non-finite sample, in a loop the
// compiler vectorises (no branch, no NaN rules).
// Threads: any. Real-time safe.
#include <cstdint>
#include <cstring>

namespace zephra {
namespace render {

constexpr uint32_t kOneBits = 0x3f800000u;        // 1.0f
constexpr uint32_t kInfinityBits = 0x7f800000u;   // at or above: not a finite sample

inline uint32_t magnitudeBits(float sample)
{
    uint32_t bits;
    std::memcpy(&bits, &sample, sizeof bits);
    return bits & 0x7fffffffu;
}

// The magnitude the bits of a finite sample stand for.
inline float magnitudeOf(uint32_t bits)
{
    float magnitude;
    std::memcpy(&magnitude, &bits, sizeof magnitude);
    return magnitude;
}

}   // namespace render
}   // namespace zephra

#pragma once
// Sample magnitudes as bits: the low 31 bits of a float order like its absolute value among
// finite samples, with infinity above them all and every NaN above infinity. As a signed 32-bit
// integer, so that a loop taking their maximum is vectorised even with SSE2 alone (a float
// maximum is not, for its NaN rules): one pass gives a stretch's peak and tells whether it held
// a non-finite sample.
// Threads: any. Real-time safe.
#include <cstdint>
#include <cstring>

namespace Steinberg {
namespace Vst {

constexpr int32_t kOneBits = 0x3f800000;        // 1.0f
constexpr int32_t kInfinityBits = 0x7f800000;   // at or above: not a finite sample

inline int32_t magnitudeBits(float sample) noexcept
{
    int32_t bits;
    std::memcpy(&bits, &sample, sizeof bits);
    return bits & 0x7fffffff;
}

// The magnitude the bits of a finite sample stand for.
inline float magnitudeOf(int32_t bits) noexcept
{
    float magnitude;
    std::memcpy(&magnitude, &bits, sizeof magnitude);
    return magnitude;
}

} // namespace Vst
} // namespace Steinberg

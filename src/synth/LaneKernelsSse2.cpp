// The voice loop's kernels for SSE2: four voices per group. Every x86-64 processor has SSE2, so
// this file is built with the project's usual flags.
#include "synth/LaneKernels.h"

#include <emmintrin.h>

namespace Steinberg {
namespace Vst {
namespace {

constexpr int kLanes = 4;

// mask ? ifSet : ifClear lane by lane (SSE2 has no blend or 32-bit integer minimum).
inline __m128i selectInt(__m128i mask, __m128i ifSet, __m128i ifClear)
{
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

// The four lanes' points at their read indices (within the plain-loop rules of LaneKernels::run).
inline __m128 fetch(const float* const* points, __m128i index)
{
    alignas(16) uint32_t at[kLanes];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), index);
    return _mm_setr_ps(points[0][at[0]], points[1][at[1]], points[2][at[2]], points[3][at[3]]);
}

void run(LaneBlock& b, float* amplitudes, int32_t from, int32_t count) noexcept
{
    __m128d positionLow = _mm_loadu_pd(b.position), positionHigh = _mm_loadu_pd(b.position + 2);
    const __m128d stepLow = _mm_loadu_pd(b.step), stepHigh = _mm_loadu_pd(b.step + 2);
    const auto loadInt = [](const int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    const float* const points[kLanes] = {b.points[0], b.points[1], b.points[2], b.points[3]};
    __m128i wrap = loadInt(b.wrap);
    const __m128i loopStart = loadInt(b.loopStart), loopLast = loadInt(b.loopLast);
    const __m128i loopLength = loadInt(b.loopLength), wrapAfter = loadInt(b.wrapAfter);
    const __m128 b0 = _mm_loadu_ps(b.b0), b1 = _mm_loadu_ps(b.b1), b2 = _mm_loadu_ps(b.b2);
    const __m128 a1 = _mm_loadu_ps(b.a1), a2 = _mm_loadu_ps(b.a2);
    __m128 x1 = _mm_loadu_ps(b.x1), x2 = _mm_loadu_ps(b.x2), y1 = _mm_loadu_ps(b.y1), y2 = _mm_loadu_ps(b.y2);
    const __m128 gain = _mm_loadu_ps(b.gain), envelope = _mm_loadu_ps(b.envelope);
    const __m128 attenuation = _mm_loadu_ps(b.attenuation);
    __m128 peak = _mm_loadu_ps(b.peak);
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    float* out = amplitudes + size_t(from) * kLanes;
    for (int32_t t = 0; t < count; ++t, out += kLanes) {
        // Read index: position truncated, the loop pass applied (one wrap at most per sample).
        positionLow = _mm_add_pd(positionLow, stepLow);
        positionHigh = _mm_add_pd(positionHigh, stepHigh);
        const __m128i j = _mm_unpacklo_epi64(_mm_cvttpd_epi32(positionLow), _mm_cvttpd_epi32(positionHigh));
        const __m128i intoLoop = _mm_sub_epi32(j, loopStart);
        __m128i intoPass = _mm_sub_epi32(intoLoop, wrap);
        const __m128i passed = _mm_and_si128(_mm_cmpgt_epi32(intoPass, wrapAfter), loopLength);
        wrap = _mm_add_epi32(wrap, passed);
        intoPass = _mm_sub_epi32(intoPass, passed);
        __m128i index = _mm_add_epi32(loopStart, intoPass);
        index = selectInt(_mm_cmpgt_epi32(index, loopLast), loopLast, index);
        index = selectInt(_mm_cmplt_epi32(intoLoop, _mm_setzero_si128()), j, index);
        const __m128 x = fetch(points, index);

        // Filter, in the scalar expression's order: b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2.
        __m128 y = _mm_add_ps(_mm_mul_ps(b0, x), _mm_mul_ps(b1, x1));
        y = _mm_add_ps(y, _mm_mul_ps(b2, x2));
        y = _mm_sub_ps(y, _mm_mul_ps(a1, y1));
        y = _mm_sub_ps(y, _mm_mul_ps(a2, y2));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        const __m128 a = _mm_mul_ps(gain, _mm_mul_ps(_mm_mul_ps(y, envelope), attenuation));
        peak = _mm_max_ps(_mm_and_ps(a, magnitude), peak);
        _mm_storeu_ps(out, a);
    }
    _mm_storeu_pd(b.position, positionLow);
    _mm_storeu_pd(b.position + 2, positionHigh);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(b.wrap), wrap);
    _mm_storeu_ps(b.x1, x1);
    _mm_storeu_ps(b.x2, x2);
    _mm_storeu_ps(b.y1, y1);
    _mm_storeu_ps(b.y2, y2);
    _mm_storeu_ps(b.peak, peak);
}

void mix(const LaneBlock& b, const float* amplitudes, int32_t count, float* mixLeft, float* mixRight) noexcept
{
    __m128 panLeft[kLanes], panRight[kLanes];
    for (int l = 0; l < kLanes; ++l) {
        panLeft[l] = _mm_set1_ps(b.panLeft[l]);
        panRight[l] = _mm_set1_ps(b.panRight[l]);
    }
    for (int32_t t = 0; t < count; t += kLanes) {
        // Four samples of four lanes, turned so each register holds one lane's samples.
        __m128 lane0 = _mm_loadu_ps(amplitudes + size_t(t) * kLanes);
        __m128 lane1 = _mm_loadu_ps(amplitudes + size_t(t + 1) * kLanes);
        __m128 lane2 = _mm_loadu_ps(amplitudes + size_t(t + 2) * kLanes);
        __m128 lane3 = _mm_loadu_ps(amplitudes + size_t(t + 3) * kLanes);
        _MM_TRANSPOSE4_PS(lane0, lane1, lane2, lane3);
        const __m128 lanes[kLanes] = {lane0, lane1, lane2, lane3};
        __m128 left = _mm_loadu_ps(mixLeft + t), right = _mm_loadu_ps(mixRight + t);
        for (int l = 0; l < kLanes; ++l) {   // voice order, as the scalar loop sums
            left = _mm_add_ps(left, _mm_mul_ps(lanes[l], panLeft[l]));
            right = _mm_add_ps(right, _mm_mul_ps(lanes[l], panRight[l]));
        }
        _mm_storeu_ps(mixLeft + t, left);
        _mm_storeu_ps(mixRight + t, right);
    }
}

void output(const float* mix, float gain, float* out, int32_t count) noexcept
{
    const __m128 scale = _mm_set1_ps(gain), quarter = _mm_set1_ps(0.25f), largest = _mm_set1_ps(3.40282347e+38f);
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128 y = _mm_mul_ps(scale, _mm_mul_ps(_mm_loadu_ps(mix + i), quarter));
        _mm_storeu_ps(out + i, _mm_and_ps(y, _mm_cmple_ps(_mm_and_ps(y, magnitude), largest)));   // NaN and infinity fail the comparison
    }
    for (; i < count; ++i) {
        const float y = gain * (mix[i] * 0.25f);
        out[i] = (y < 0.0f ? -y : y) <= 3.40282347e+38f ? y : 0.0f;
    }
}

} // namespace

const LaneKernels& sse2LaneKernels() noexcept
{
    static const LaneKernels kernels{kLanes, run, mix, output};
    return kernels;
}

} // namespace Vst
} // namespace Steinberg

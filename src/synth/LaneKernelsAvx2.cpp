// The voice loop's kernels for AVX2: eight voices per group. This file alone is built for AVX2
// (-mavx2) and is only called once the processor has been seen to run it; it includes nothing
// but the plain block layout and the intrinsics, so none of its code can stand in for a
// function the rest of the program shares. No fused multiply-adds: each lane rounds every
// product and sum as the scalar loop does.
#include "synth/LaneKernels.h"

#include <immintrin.h>

namespace Steinberg {
namespace Vst {
namespace {

constexpr int kLanes = 8;

// The eight lanes' points at their read indices, each lane from its own sample buffer. Plain
// loads beat the gather instruction on the processors measured; the indices go through memory
// (the empty asm keeps the compiler from fetching them lane by lane out of the register).
inline __m256 fetch(const float* const* points, __m256i index)
{
    alignas(32) uint32_t at[kLanes];
    _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
    asm volatile("" : "+m"(at));
    __m128 low = _mm_load_ss(points[0] + at[0]);
    low = _mm_insert_ps(low, _mm_load_ss(points[1] + at[1]), 0x10);
    low = _mm_insert_ps(low, _mm_load_ss(points[2] + at[2]), 0x20);
    low = _mm_insert_ps(low, _mm_load_ss(points[3] + at[3]), 0x30);
    __m128 high = _mm_load_ss(points[4] + at[4]);
    high = _mm_insert_ps(high, _mm_load_ss(points[5] + at[5]), 0x10);
    high = _mm_insert_ps(high, _mm_load_ss(points[6] + at[6]), 0x20);
    high = _mm_insert_ps(high, _mm_load_ss(points[7] + at[7]), 0x30);
    return _mm256_set_m128(high, low);
}

inline __m256i loadInt(const void* p)
{
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

void run(LaneBlock& b, float* amplitudes, int32_t from, int32_t count) noexcept
{
    __m256d positionLow = _mm256_loadu_pd(b.position), positionHigh = _mm256_loadu_pd(b.position + 4);
    const __m256d stepLow = _mm256_loadu_pd(b.step), stepHigh = _mm256_loadu_pd(b.step + 4);
    const float* const points[kLanes] = {b.points[0], b.points[1], b.points[2], b.points[3],
                                         b.points[4], b.points[5], b.points[6], b.points[7]};
    __m256i wrap = loadInt(b.wrap);
    const __m256i loopStart = loadInt(b.loopStart), loopLast = loadInt(b.loopLast);
    const __m256i loopLength = loadInt(b.loopLength), wrapAfter = loadInt(b.wrapAfter);
    const __m256 b0 = _mm256_loadu_ps(b.b0), b1 = _mm256_loadu_ps(b.b1), b2 = _mm256_loadu_ps(b.b2);
    const __m256 a1 = _mm256_loadu_ps(b.a1), a2 = _mm256_loadu_ps(b.a2);
    __m256 x1 = _mm256_loadu_ps(b.x1), x2 = _mm256_loadu_ps(b.x2);
    __m256 y1 = _mm256_loadu_ps(b.y1), y2 = _mm256_loadu_ps(b.y2);
    const __m256 gain = _mm256_loadu_ps(b.gain), envelope = _mm256_loadu_ps(b.envelope);
    const __m256 attenuation = _mm256_loadu_ps(b.attenuation);
    __m256 peak = _mm256_loadu_ps(b.peak);
    const __m256 magnitude = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
    float* out = amplitudes + size_t(from) * kLanes;
    for (int32_t t = 0; t < count; ++t, out += kLanes) {
        // Read index: position truncated, the loop pass applied (one wrap at most per sample).
        positionLow = _mm256_add_pd(positionLow, stepLow);
        positionHigh = _mm256_add_pd(positionHigh, stepHigh);
        const __m256i j = _mm256_set_m128i(_mm256_cvttpd_epi32(positionHigh), _mm256_cvttpd_epi32(positionLow));
        const __m256i intoLoop = _mm256_sub_epi32(j, loopStart);
        __m256i intoPass = _mm256_sub_epi32(intoLoop, wrap);
        const __m256i passed = _mm256_and_si256(_mm256_cmpgt_epi32(intoPass, wrapAfter), loopLength);
        wrap = _mm256_add_epi32(wrap, passed);
        intoPass = _mm256_sub_epi32(intoPass, passed);
        __m256i index = _mm256_min_epi32(_mm256_add_epi32(loopStart, intoPass), loopLast);
        index = _mm256_blendv_epi8(index, j, _mm256_cmpgt_epi32(_mm256_setzero_si256(), intoLoop));
        const __m256 x = fetch(points, index);

        // Filter, in the scalar expression's order: b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2.
        __m256 y = _mm256_add_ps(_mm256_mul_ps(b0, x), _mm256_mul_ps(b1, x1));
        y = _mm256_add_ps(y, _mm256_mul_ps(b2, x2));
        y = _mm256_sub_ps(y, _mm256_mul_ps(a1, y1));
        y = _mm256_sub_ps(y, _mm256_mul_ps(a2, y2));
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        const __m256 a = _mm256_mul_ps(gain, _mm256_mul_ps(_mm256_mul_ps(y, envelope), attenuation));
        peak = _mm256_max_ps(_mm256_and_ps(a, magnitude), peak);
        _mm256_storeu_ps(out, a);
    }
    _mm256_storeu_pd(b.position, positionLow);
    _mm256_storeu_pd(b.position + 4, positionHigh);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(b.wrap), wrap);
    _mm256_storeu_ps(b.x1, x1);
    _mm256_storeu_ps(b.x2, x2);
    _mm256_storeu_ps(b.y1, y1);
    _mm256_storeu_ps(b.y2, y2);
    _mm256_storeu_ps(b.peak, peak);
}

void mix(const LaneBlock& b, const float* amplitudes, int32_t count, float* mixLeft, float* mixRight) noexcept
{
    __m256 panLeft[kLanes], panRight[kLanes];
    for (int l = 0; l < kLanes; ++l) {
        panLeft[l] = _mm256_set1_ps(b.panLeft[l]);
        panRight[l] = _mm256_set1_ps(b.panRight[l]);
    }
    for (int32_t t = 0; t < count; t += kLanes) {
        // Eight samples of eight lanes, turned so each register holds one lane's samples.
        const float* rows = amplitudes + size_t(t) * kLanes;
        const __m256 r0 = _mm256_loadu_ps(rows), r1 = _mm256_loadu_ps(rows + 8);
        const __m256 r2 = _mm256_loadu_ps(rows + 16), r3 = _mm256_loadu_ps(rows + 24);
        const __m256 r4 = _mm256_loadu_ps(rows + 32), r5 = _mm256_loadu_ps(rows + 40);
        const __m256 r6 = _mm256_loadu_ps(rows + 48), r7 = _mm256_loadu_ps(rows + 56);
        const __m256 u0 = _mm256_unpacklo_ps(r0, r1), u1 = _mm256_unpackhi_ps(r0, r1);
        const __m256 u2 = _mm256_unpacklo_ps(r2, r3), u3 = _mm256_unpackhi_ps(r2, r3);
        const __m256 u4 = _mm256_unpacklo_ps(r4, r5), u5 = _mm256_unpackhi_ps(r4, r5);
        const __m256 u6 = _mm256_unpacklo_ps(r6, r7), u7 = _mm256_unpackhi_ps(r6, r7);
        const __m256 v0 = _mm256_shuffle_ps(u0, u2, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 v1 = _mm256_shuffle_ps(u0, u2, _MM_SHUFFLE(3, 2, 3, 2));
        const __m256 v2 = _mm256_shuffle_ps(u1, u3, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 v3 = _mm256_shuffle_ps(u1, u3, _MM_SHUFFLE(3, 2, 3, 2));
        const __m256 v4 = _mm256_shuffle_ps(u4, u6, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 v5 = _mm256_shuffle_ps(u4, u6, _MM_SHUFFLE(3, 2, 3, 2));
        const __m256 v6 = _mm256_shuffle_ps(u5, u7, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 v7 = _mm256_shuffle_ps(u5, u7, _MM_SHUFFLE(3, 2, 3, 2));
        const __m256 lanes[kLanes] = {
            _mm256_permute2f128_ps(v0, v4, 0x20), _mm256_permute2f128_ps(v1, v5, 0x20),
            _mm256_permute2f128_ps(v2, v6, 0x20), _mm256_permute2f128_ps(v3, v7, 0x20),
            _mm256_permute2f128_ps(v0, v4, 0x31), _mm256_permute2f128_ps(v1, v5, 0x31),
            _mm256_permute2f128_ps(v2, v6, 0x31), _mm256_permute2f128_ps(v3, v7, 0x31)};
        __m256 left = _mm256_loadu_ps(mixLeft + t), right = _mm256_loadu_ps(mixRight + t);
#pragma GCC unroll 8
        for (int l = 0; l < kLanes; ++l) {   // voice order, as the scalar loop sums
            left = _mm256_add_ps(left, _mm256_mul_ps(lanes[l], panLeft[l]));
            right = _mm256_add_ps(right, _mm256_mul_ps(lanes[l], panRight[l]));
        }
        _mm256_storeu_ps(mixLeft + t, left);
        _mm256_storeu_ps(mixRight + t, right);
    }
}

void output(const float* mix, float gain, float* out, int32_t count) noexcept
{
    const __m256 scale = _mm256_set1_ps(gain), quarter = _mm256_set1_ps(0.25f), largest = _mm256_set1_ps(3.40282347e+38f);
    const __m256 magnitude = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256 y = _mm256_mul_ps(scale, _mm256_mul_ps(_mm256_loadu_ps(mix + i), quarter));
        _mm256_storeu_ps(out + i, _mm256_and_ps(y, _mm256_cmp_ps(_mm256_and_ps(y, magnitude), largest, _CMP_LE_OQ)));   // NaN and infinity fail the comparison
    }
    for (; i < count; ++i) {
        const float y = gain * (mix[i] * 0.25f);
        out[i] = (y < 0.0f ? -y : y) <= 3.40282347e+38f ? y : 0.0f;
    }
}

} // namespace

const LaneKernels& avx2LaneKernels() noexcept
{
    static const LaneKernels kernels{kLanes, run, mix, output};
    return kernels;
}

} // namespace Vst
} // namespace Steinberg

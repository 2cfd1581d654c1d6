#include "soundfont/SharedSamples.h"

#include "soundfont/SampleBits.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace Steinberg {
namespace Vst {
namespace {

// The largest |point|, NaN passed over. Compared as bits, so the loop is vectorised.
float peakOf(const float* first, const float* last) noexcept
{
    int32_t largest = 0;
    for (; first < last; ++first) {
        const int32_t bits = magnitudeBits(*first);
        largest = std::max(largest, bits > kInfinityBits ? 0 : bits);
    }
    return magnitudeOf(largest);
}

} // namespace

// The points live in an allocation of their own (the vector's), apart from the count of
// users: a cache that only watches the buffer keeps the small count alive, never the points.
SharedSamples::SharedSamples(std::vector<float> points)
{
    auto made = std::make_shared<Buffer>();
    made->points = std::move(points);
    const std::vector<float>& p = made->points;
    made->blockPeaks.reserve((p.size() + kPeakBlock - 1) / kPeakBlock);
    for (size_t k = 0; k < p.size(); k += kPeakBlock)
        made->blockPeaks.push_back(peakOf(p.data() + k, p.data() + std::min(p.size(), k + kPeakBlock)));
    buffer = std::move(made);
}

float SharedSamples::peakBetween(size_t from, size_t to) const noexcept
{
    to = std::min(to, size());
    if (from >= to)
        return 0.0f;
    const float* points = data();
    const size_t firstWhole = (from + kPeakBlock - 1) / kPeakBlock, lastWhole = to / kPeakBlock;
    if (firstWhole >= lastWhole)
        return peakOf(points + from, points + to);
    float peak = std::max(peakOf(points + from, points + firstWhole * kPeakBlock),
                          peakOf(points + lastWhole * kPeakBlock, points + to));
    for (size_t b = firstWhole; b < lastWhole; ++b)
        peak = std::max(peak, buffer->blockPeaks[b]);
    return peak;
}

} // namespace Vst
} // namespace Steinberg

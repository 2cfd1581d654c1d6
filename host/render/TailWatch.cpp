#include "TailWatch.h"

#include "soundfont/SampleBits.h"

#include <algorithm>
#include <cmath>

namespace zephra {
namespace render {

using Steinberg::Vst::kInfinityBits;
using Steinberg::Vst::magnitudeBits;
using Steinberg::Vst::magnitudeOf;

TailWatch::TailWatch(int64_t songEnd, int64_t cap, bool untilSilent, int64_t quiet, int64_t fade)
    : songEnd(songEnd), cap(cap), untilSilent(untilSilent), quiet(quiet), fade(fade)
{
}

bool TailWatch::watch(int64_t position, const float* left, const float* right, int32_t count)
{
    // The quiet stretch cannot complete inside these frames when even the last of them would
    // not complete it counted from the last audible frame before them.
    if (end < 0 && !(untilSilent && position + count - std::max(lastAudible, songEnd) >= quiet))
        watchWholeStretch(position, left, right, count);
    else
        watchFrameByFrame(position, left, right, count);
    if (end < 0 && position + count >= cap) {
        end = untilSilent ? silentEnd() : cap;
        capped = untilSilent && lastAudible + fade >= cap;
    }
    return end >= 0;
}

int64_t TailWatch::certain(int64_t rendered) const
{
    if (end >= 0)
        return end;
    if (!untilSilent)
        return rendered;
    return std::max(std::min(rendered, songEnd), std::min(rendered, lastAudible + fade));
}

int64_t TailWatch::silentEnd() const
{
    return std::min(cap, std::max(songEnd, lastAudible + fade));
}

void TailWatch::watchFrameByFrame(int64_t position, const float* left, const float* right, int32_t count)
{
    for (int32_t i = 0; i < count && end < 0; ++i) {
        const int64_t frame = position + i;
        const float size = std::max(std::fabs(left[i]), std::fabs(right[i]));
        if (size > peak * kInaudible)
            lastAudible = frame + 1;
        peak = std::max(peak, size);
        if (untilSilent && frame + 1 - std::max(lastAudible, songEnd) >= quiet)
            end = silentEnd();
    }
}

// The frame-by-frame rule for frames the end cannot fall in, in two plain passes: their peak,
// then the last frame above kInaudible of the final peak. That is the rule's last audible
// frame: a frame above the final level is above its own, and every frame after the loudest one
// is judged against the final peak.
void TailWatch::watchWholeStretch(int64_t position, const float* left, const float* right, int32_t count)
{
    int32_t largest = 0;   // magnitudes compared as bits (vectorisable); a NaN's lie above infinity's
    for (int32_t i = 0; i < count; ++i)
        largest = std::max(largest, std::max(magnitudeBits(left[i]), magnitudeBits(right[i])));
    if (largest >= kInfinityBits) {   // what a non-finite frame does is the frame-by-frame rule's
        watchFrameByFrame(position, left, right, count);
        return;
    }
    peak = std::max(peak, magnitudeOf(largest));
    const float level = peak * kInaudible;
    int32_t i = count;
    while (i > 0 && !(std::max(std::fabs(left[i - 1]), std::fabs(right[i - 1])) > level))
        --i;
    if (i > 0)
        lastAudible = position + i;
}

}   // namespace render
}   // namespace zephra

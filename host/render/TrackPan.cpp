#include "TrackPan.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zephra {
namespace render {

TrackPan::TrackPan(std::vector<PlannedPan> pans, int64_t firstNoteSample, double sampleRate)
    : plannedPans(std::move(pans)),
      rampLength(static_cast<int32_t>(std::max(1.0, std::round(kRampSeconds * sampleRate))))
{
    rampDone = rampLength;
    // Before anything sounds the pan is simply where the song puts it.
    for (; next < plannedPans.size() && plannedPans[next].sample <= firstNoteSample; ++next)
        gains(plannedPans[next].value, leftGain, rightGain);
    toLeft = leftGain;
    toRight = rightGain;
}

void TrackPan::gains(uint8_t value, float& left, float& right)
{
    constexpr double kQuarterPi = 0.78539816339744830962;
    const int v = std::min<int>(value, 127);
    const double position = v <= 64 ? (v - 64) / 64.0 : (v - 64) / 63.0;   // -1 .. 1
    const double angle = (position + 1.0) * kQuarterPi;
    left = static_cast<float>(std::sqrt(2.0) * std::cos(angle));
    right = static_cast<float>(std::sqrt(2.0) * std::sin(angle));
    if (left < 1e-6f)
        left = 0.f;   // hard right: nothing at all on the left
}

void TrackPan::moveTo(uint8_t value)
{
    fromLeft = leftGain;
    fromRight = rightGain;
    gains(value, toLeft, toRight);
    rampDone = 0;
}

void TrackPan::apply(int64_t position, float* left, float* right, int32_t count)
{
    for (int32_t i = 0; i < count;) {
        while (next < plannedPans.size() && plannedPans[next].sample <= position + i)
            moveTo(plannedPans[next++].value);
        // Up to the next change: the glide sample by sample, then a steady stretch.
        int64_t until = position + count;
        if (next < plannedPans.size())
            until = std::min(until, plannedPans[next].sample);
        const int32_t end = static_cast<int32_t>(until - position);
        for (; i < end && rampDone < rampLength; ++i) {
            ++rampDone;
            const float share = float(rampDone) / float(rampLength);
            leftGain = rampDone == rampLength ? toLeft : fromLeft + (toLeft - fromLeft) * share;
            rightGain = rampDone == rampLength ? toRight : fromRight + (toRight - fromRight) * share;
            left[i] *= leftGain;
            right[i] *= rightGain;
        }
        if (leftGain != 1.f || rightGain != 1.f)
            for (int32_t k = i; k < end; ++k) {
                left[k] *= leftGain;
                right[k] *= rightGain;
            }
        i = std::max(i, end);
    }
}

}   // namespace render
}   // namespace zephra

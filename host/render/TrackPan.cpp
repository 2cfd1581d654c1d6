#include "TrackPan.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zephra {
namespace render {

TrackPan::TrackPan(std::vector<PlannedPan> pans, int64_t firstNoteSample, double sampleRate)
    : pans_(std::move(pans)), rampFrames_(static_cast<int32_t>(std::max(1.0, std::round(kRampSeconds * sampleRate))))
{
    rampDone_ = rampFrames_;
    // Before anything sounds the pan is simply where the song puts it.
    for (; next_ < pans_.size() && pans_[next_].sample <= firstNoteSample; ++next_)
        gains(pans_[next_].value, left_, right_);
    toLeft_ = left_;
    toRight_ = right_;
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
    fromLeft_ = left_;
    fromRight_ = right_;
    gains(value, toLeft_, toRight_);
    rampDone_ = 0;
}

void TrackPan::apply(int64_t position, float* left, float* right, int32_t count)
{
    for (int32_t i = 0; i < count;) {
        while (next_ < pans_.size() && pans_[next_].sample <= position + i)
            moveTo(pans_[next_++].value);
        // Up to the next change: the glide sample by sample, then a steady stretch.
        int64_t until = position + count;
        if (next_ < pans_.size())
            until = std::min(until, pans_[next_].sample);
        const int32_t end = static_cast<int32_t>(until - position);
        for (; i < end && rampDone_ < rampFrames_; ++i) {
            ++rampDone_;
            const float share = float(rampDone_) / float(rampFrames_);
            left_ = rampDone_ == rampFrames_ ? toLeft_ : fromLeft_ + (toLeft_ - fromLeft_) * share;
            right_ = rampDone_ == rampFrames_ ? toRight_ : fromRight_ + (toRight_ - fromRight_) * share;
            left[i] *= left_;
            right[i] *= right_;
        }
        if (left_ != 1.f || right_ != 1.f)
            for (int32_t k = i; k < end; ++k) {
                left[k] *= left_;
                right[k] *= right_;
            }
        i = std::max(i, end);
    }
}

}   // namespace render
}   // namespace zephra

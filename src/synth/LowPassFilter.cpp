#include "synth/LowPassFilter.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {

void LowPassFilter::start(float noteVelocity, const float* cutoff, const float* resonance,
                          const float* envelopeDepth, const float* lfoDepth, bool inCents) noexcept
{
    depthsInCents = inCents;
    velocity = std::clamp(noteVelocity, 0.0f, 1.0f);
    velocityScale = 0.75f + 0.25f * velocity;
    cutoffSource = cutoff;
    qSource = resonance;
    envelopeDepthSource = envelopeDepth;
    lfoDepthSource = lfoDepth;
    refresh();
    useCutoff(clampCutoff(baseCutoff));
}

void LowPassFilter::refresh() noexcept
{
    baseCutoff = *cutoffSource * velocityScale;
    q = *qSource;
    envelopeToCutoff = *envelopeDepthSource;
    lfoToCutoff = *lfoDepthSource;
    if (depthsInCents) {
        envelopeOctaves = envelopeToCutoff > 0.0f ? std::log2(envelopeToCutoff) : 0.0f;
        lfoOctaves = lfoToCutoff > 0.0f ? std::log2(lfoToCutoff) : 0.0f;
    }
}

void LowPassFilter::setSampleRate(double rate) noexcept
{
    sampleRate = rate;
    madeForCutoff = -1.0f;   // force new coefficients for the new rate
}

float LowPassFilter::cutoffFor(float envelopeOutput, float lfoOutput) const noexcept
{
    if (depthsInCents)
        return clampCutoff(baseCutoff * std::exp2(envelopeOctaves * envelopeOutput +
                                                  lfoOctaves * lfoOutput));
    return clampCutoff(baseCutoff * (1.0f - (1.0f - envelopeToCutoff) * envelopeOutput) *
                       (1.0f - (1.0f - lfoToCutoff) * lfoOutput));
}

float LowPassFilter::clampCutoff(float cutoff) const noexcept
{
    if (!(cutoff >= kMinCutoff))   // also catches a cutoff that is not a number
        return kMinCutoff;
    return std::min(std::min(cutoff, kMaxCutoff), float(sampleRate * 0.499));
}

void LowPassFilter::useCutoff(float cutoff) noexcept
{
    if (!coefficientsFor(cutoff))
        computeCoefficients(cutoff);
}

void LowPassFilter::flushTinyHistory() noexcept
{
    if (historySpent(x1, x2, y1, y2))
        x1 = x2 = y1 = y2 = 0.0f;
}

bool LowPassFilter::historySpent(float x1, float x2, float y1, float y2) noexcept
{
    const auto allBelow = [&](float bound) {
        return std::fabs(x1) < bound && std::fabs(x2) < bound && std::fabs(y1) < bound && std::fabs(y2) < bound;
    };
    // Tiny history would decay through subnormal numbers; a history that ran away (NaN fails
    // every comparison) would silence every later note of this slot, which carries it over.
    return allBelow(kTinyHistory) || !allBelow(kRunawayHistory);
}

void LowPassFilter::computeCoefficients(float cutoff) noexcept
{
    const float w = float(double(cutoff * 6.2831855f) / sampleRate);
    const double s = std::sin(double(w));
    const double c = std::cos(double(w));
    // A Q that is not a positive number would make the filter blow up and poison the slot; one
    // beyond the SoundFont range or the float coefficients' precision would ring without end.
    const float safeQ = q > kMinQ ? std::min(q, kMaxQ) : kMinQ;
    const double alpha = std::max(s / (2.0 * double(safeQ)), kMinAlpha);
    const double usedQ = s / (2.0 * alpha);
    a0 = float(1.0 + alpha);
    a1 = float(-2.0 * c);
    a2 = float(1.0 - alpha);
    b1 = float(1.0 - c);
    b0 = float((1.0 - c) * 0.5);
    b2 = b0;
    const float inverse = 1.0f / a0;
    nb0 = b0 * inverse;
    nb1 = b1 * inverse;
    nb2 = b2 * inverse;
    if (safeQ > 1.0f) {
        // Half the resonance peak in dB comes off the gain.
        const float gain = float(1.0 / std::sqrt(std::max(usedQ, 1.0)));
        nb0 *= gain;
        nb1 *= gain;
        nb2 *= gain;
    }
    na1 = a1 * inverse;
    na2 = a2 * inverse;
    madeForCutoff = cutoff;
    madeForQ = q;
}

} // namespace Vst
} // namespace Steinberg

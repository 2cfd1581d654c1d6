#include "synth/Lfo.h"

#include "synth/FixedPoint.h"
#include "synth/NeutralValues.h"
#include "synth/SynthTables.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {
namespace {

int64_t ceilDiv(int64_t numerator, int64_t denominator) noexcept
{
    return (numerator + denominator - 1) / denominator;
}

float waveAt(const float* wave, int64_t phase) noexcept
{
    return wave[(phase / Lfo::kUnitsPerStep) % SynthTables::kLfoEntries];
}

} // namespace

Lfo::Lfo() noexcept { reset(); }

void Lfo::reset() noexcept
{
    wave = SynthTables::lfoWave;
    frequency = &NeutralValues::zero;
    delay = &NeutralValues::zero;
    phase = 0;
    delayIncrement = kDelayIncrement;
    runningIncrement = 0;
    output = 0.0f;
}

void Lfo::start(const float* frequencySource, const float* delaySource, bool triangle) noexcept
{
    wave = triangle ? SynthTables::triangleLfoWave : SynthTables::lfoWave;
    frequency = frequencySource;
    delay = delaySource;
    output = 0.0f;
    setUp();
    // The delay in whole samples; the phase climbs one unit per sample back to 0.
    const double samples = double(*delay) * sampleRate;
    const double limited = samples > 0.0 ? std::min(samples, 2147483647.0) : 0.0;
    phase = -static_cast<int32_t>(limited);
}

void Lfo::setUp() noexcept
{
    // One period is 441 table steps; the product is formed in float as the engine always has.
    runningIncrement = truncToInt32(double(*frequency * 1000000.0f * 441.0f) / sampleRate);
    delayIncrement = kDelayIncrement;
}

void Lfo::advance() noexcept
{
    if (phase < 0) {
        output = 0.0f;
        phase = int32_t(std::min<int64_t>(int64_t(phase) + delayIncrement, INT32_MAX));
        return;
    }
    output = waveAt(wave, phase) * runningScale;
    phase = int32_t((int64_t(phase) + runningIncrement) % kUnitsPerPeriod);
}

void Lfo::skip(int64_t count) noexcept
{
    while (count > 0) {
        if (phase < 0) {
            if (delayIncrement <= 0) {
                output = 0.0f;
                return;
            }
            const int64_t steps = std::min(count, ceilDiv(-int64_t(phase), delayIncrement));
            phase = int32_t(std::min<int64_t>(int64_t(phase) + steps * delayIncrement, INT32_MAX));
            output = 0.0f;
            count -= steps;
            continue;
        }
        if (runningIncrement < 0) {   // an out-of-range frequency: no shortcut
            advance();
            --count;
            continue;
        }
        const int64_t last = (int64_t(phase) + (count - 1) * runningIncrement) % kUnitsPerPeriod;
        output = waveAt(wave, last) * runningScale;
        phase = int32_t((int64_t(phase) + count * runningIncrement) % kUnitsPerPeriod);
        return;
    }
}

int64_t Lfo::steadyRun() const noexcept
{
    if (phase < 0)
        return delayIncrement > 0 ? ceilDiv(-int64_t(phase), delayIncrement) : INT64_MAX;
    if (runningIncrement < 0)
        return 1;
    if (runningIncrement == 0)
        return INT64_MAX;
    const int64_t stepEnd = int64_t(phase / kUnitsPerStep + 1) * kUnitsPerStep;
    return ceilDiv(stepEnd - phase, runningIncrement);
}

float Lfo::nextOutput() const noexcept
{
    return phase < 0 ? 0.0f : waveAt(wave, phase) * runningScale;
}

} // namespace Vst
} // namespace Steinberg

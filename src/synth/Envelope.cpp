#include "synth/Envelope.h"

#include "synth/Bounded.h"
#include "synth/NeutralValues.h"
#include "synth/SynthTables.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace {

// Increment that traverses a stage of `seconds` in that time. A stage shorter than one sample
// (or a time of 0 or not a number) is limited to one whole stage per sample, so the counter never
// runs more than one stage ahead and always stays inside the table.
int32_t stageIncrement(float unitsPerSecondStage, float seconds) noexcept
{
    const float perSample = unitsPerSecondStage / seconds;
    if (!(perSample < float(Envelope::kUnitsPerStage)))
        return Envelope::kUnitsPerStage;
    if (!(perSample > 0.0f))
        return 0;
    return static_cast<int32_t>(perSample);
}

int64_t ceilDiv(int64_t numerator, int64_t denominator) noexcept
{
    return (numerator + denominator - 1) / denominator;
}

} // namespace

Envelope::Envelope() noexcept { reset(); }

void Envelope::reset() noexcept
{
    const float* zero = &NeutralValues::zero;
    sources = {zero, zero, zero, zero, zero, zero};
    law = EnvelopeLaw::classic;
    curve = SynthTables::envelopeCurve;
    decayEntry = 0;
    counter = kDoneStage * kUnitsPerStage;
    stage = kDoneStage;
    output = 0.0f;
    std::fill(increment, increment + 7, 0);
    std::fill(scale, scale + 7, 0.0f);
    std::fill(offset, offset + 7, 0.0f);
}

void Envelope::start(const EnvelopeSources& newSources, bool volumeEnvelope, EnvelopeLaw newLaw) noexcept
{
    sources = newSources;
    volume = volumeEnvelope;
    law = newLaw;
    curve = law == EnvelopeLaw::classic ? SynthTables::envelopeCurve
            : volume                    ? SynthTables::decibelEnvelopeCurve
                                        : SynthTables::linearEnvelopeCurve;
    counter = 0;
    stage = 0;
    output = 0.0f;
    scale[kReleaseStage] = 0.0f;
    setUp();
}

void Envelope::setUp() noexcept
{
    const float u = float(128.0 / sampleRate) * 1000000.0f;
    const float sustain = boundedGain(*sources.sustain);   // a level, never above full
    increment[0] = stageIncrement(u, *sources.delay);
    increment[1] = stageIncrement(u, *sources.attack);
    increment[2] = stageIncrement(u, *sources.hold);
    increment[3] = stageIncrement(u, *sources.decay);
    increment[4] = 0;
    increment[5] = stageIncrement(u, *sources.release);
    increment[6] = 0;
    for (int s = 0; s < 3; ++s) {
        scale[s] = 1.0f;
        offset[s] = 0.0f;
    }
    scale[3] = 1.0f - sustain;
    offset[3] = sustain;
    scale[4] = 0.0f;
    offset[4] = sustain;
    offset[5] = 0.0f;   // scale[5] is the level at release, set by release()
    scale[6] = 0.0f;
    offset[6] = 0.0f;
    decayEntry = 0;
    if (law == EnvelopeLaw::soundFont)
        setUpSoundFontFall(u, sustain);
}

void Envelope::setUpSoundFontFall(float u, float sustain) noexcept
{
    if (volume) {
        // The row falls 100/128 dB a step: enter it where as many steps remain as the sustain
        // level is down, scaled so the decay starts at full level.
        const double drop = sustain > 0.0f ? -20.0 * std::log10(double(sustain)) : 1e9;
        const int32_t steps = int32_t(std::clamp(std::lround(drop * (128.0 / 100.0)), 1L, 128L));
        decayEntry = (128 - steps) * kUnitsPerStep;
        scale[kDecayStage] = 1.0f / curve[kDecayStage * 128 + (128 - steps)];
        offset[kDecayStage] = 0.0f;
        return;
    }
    // A full fall takes the whole time: the decay to the sustain level, and the release from
    // the level it starts at, take that share of it.
    increment[kDecayStage] = stageIncrement(u, *sources.decay * (1.0f - sustain));
    increment[kReleaseStage] = stageIncrement(u, *sources.release * scale[kReleaseStage]);
}

void Envelope::release() noexcept
{
    stage = kReleaseStage;
    counter = kReleaseStage * kUnitsPerStage;
    scale[kReleaseStage] = output < 1e-30f ? 0.0f : output;   // no subnormal release level
    if (law == EnvelopeLaw::soundFont && !volume)
        increment[kReleaseStage] = stageIncrement(float(128.0 / sampleRate) * 1000000.0f,
                                                  *sources.release * scale[kReleaseStage]);
}

void Envelope::addToCounter(int64_t units) noexcept
{
    const int64_t next = int64_t(counter) + units;
    counter = int32_t(std::clamp<int64_t>(next, 0, kLastCounter));
    if (counter / kUnitsPerStep >= (stage + 1) * 128) {
        stage += 1;
        if (stage == kDecayStage && decayEntry > 0) {
            counter = int32_t(std::min<int64_t>(int64_t(counter) + decayEntry, kLastCounter));
            if (counter / kUnitsPerStep >= (stage + 1) * 128)
                stage += 1;
        }
    }
}

void Envelope::advance() noexcept
{
    output = curve[counter / kUnitsPerStep] * scale[stage] + offset[stage];
    addToCounter(increment[stage]);
}

void Envelope::skip(int64_t count) noexcept
{
    while (count > 0) {
        const int64_t step = increment[stage];
        if (step == 0) {
            output = nextOutput();
            return;
        }
        const int64_t stageEnd = int64_t(stage + 1) * kUnitsPerStage;
        // Within the stage (nearly always) the steps need no division.
        const int64_t steps = counter + count * step < stageEnd ? count : std::min(count, ceilDiv(stageEnd - counter, step));
        const int64_t lastCounter = counter + (steps - 1) * step;
        output = curve[lastCounter / kUnitsPerStep] * scale[stage] + offset[stage];
        addToCounter(steps * step);
        count -= steps;
    }
}

int64_t Envelope::steadyRun() const noexcept
{
    const int64_t step = increment[stage];
    if (step == 0)
        return INT64_MAX;
    const int64_t stepEnd = int64_t(counter / kUnitsPerStep + 1) * kUnitsPerStep;
    return ceilDiv(stepEnd - counter, step);
}

bool Envelope::doneAfter(int64_t count) const noexcept
{
    if (stage >= kDoneStage)
        return true;
    if (stage != kReleaseStage)
        return false;
    return int64_t(counter) + count * int64_t(increment[stage]) >= int64_t(kDoneStage) * kUnitsPerStage;
}

float Envelope::nextOutput() const noexcept
{
    return curve[counter / kUnitsPerStep] * scale[stage] + offset[stage];
}

} // namespace Vst
} // namespace Steinberg

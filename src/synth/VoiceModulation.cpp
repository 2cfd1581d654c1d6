#include "synth/VoiceModulation.h"

#include "soundfont/GeneratorRanges.h"
#include "soundfont/GeneratorUnits.h"
#include "soundfont/Modulators.h"
#include "synth/Bounded.h"
#include "synth/FixedPoint.h"
#include "synth/NeutralValues.h"
#include "synth/SynthTables.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace {

namespace S = ModulatorSource;
namespace U = GeneratorUnits;

constexpr uint16_t kGeneratorCount = 61;
constexpr uint16_t kAttenuation = 48;
constexpr uint16_t kCoarseTune = 51;
constexpr uint16_t kFineTune = 52;
constexpr uint16_t kScaleTuning = 56;
// Key scaling of envelope times: the time generator and the generator scaling it per key.
struct KeyScaling {
    uint16_t time;
    uint16_t perKey;
};
constexpr KeyScaling kKeyScalings[] = {{27, 31}, {28, 32}, {35, 39}, {36, 40}};
constexpr uint16_t kAbsoluteValue = 2;
// Initial attenuation counts at this share of its value, modulators' contributions in full.
constexpr float kAttenuationShare = 0.4f;
constexpr float kMaxAttenuation = 1440.0f;   // centibels

enum class Unit { ratio, seconds, hertz, resonance, tremolo, modSustain, volSustain, pan };

// A generator a modulator may change, the record field the engine plays it from, and its unit.
struct Destination {
    uint16_t op;
    float ModulatedValues::*value;
    float SFSynth::*recordValue;
    Unit unit;
};

#define ZEPHRA_DESTINATION(op, field, unit) {op, &ModulatedValues::field, &SFSynth::field, Unit::unit}
constexpr Destination kDestinations[] = {
    ZEPHRA_DESTINATION(5, modLfoToPitch, ratio),
    ZEPHRA_DESTINATION(6, vibLfoToPitch, ratio),
    ZEPHRA_DESTINATION(7, modEnvToPitch, ratio),
    ZEPHRA_DESTINATION(8, filterCutoff, hertz),
    ZEPHRA_DESTINATION(9, filterResonance, resonance),
    ZEPHRA_DESTINATION(10, modLfoToFilterCutoff, ratio),
    ZEPHRA_DESTINATION(11, modEnvToFilterCutoff, ratio),
    ZEPHRA_DESTINATION(13, modLfoToVolume, tremolo),
    ZEPHRA_DESTINATION(17, pan, pan),
    ZEPHRA_DESTINATION(21, modLfoDelay, seconds),
    ZEPHRA_DESTINATION(22, modLfoFrequency, hertz),
    ZEPHRA_DESTINATION(23, vibLfoDelay, seconds),
    ZEPHRA_DESTINATION(24, vibLfoFrequency, hertz),
    ZEPHRA_DESTINATION(25, modEnvDelay, seconds),
    ZEPHRA_DESTINATION(26, modEnvAttack, seconds),
    ZEPHRA_DESTINATION(27, modEnvHold, seconds),
    ZEPHRA_DESTINATION(28, modEnvDecay, seconds),
    ZEPHRA_DESTINATION(29, modEnvSustain, modSustain),
    ZEPHRA_DESTINATION(30, modEnvRelease, seconds),
    ZEPHRA_DESTINATION(33, volEnvDelay, seconds),
    ZEPHRA_DESTINATION(34, volEnvAttack, seconds),
    ZEPHRA_DESTINATION(35, volEnvHold, seconds),
    ZEPHRA_DESTINATION(36, volEnvDecay, seconds),
    ZEPHRA_DESTINATION(37, volEnvSustain, volSustain),
    ZEPHRA_DESTINATION(38, volEnvRelease, seconds),
};
#undef ZEPHRA_DESTINATION

float inUnits(Unit unit, float value) noexcept
{
    switch (unit) {
    case Unit::ratio:
    case Unit::seconds:
        return U::twoToCents(value);
    case Unit::hertz:
        return U::absoluteCentsToHertz(value);
    case Unit::resonance:
        return U::resonanceQ(value);
    case Unit::tremolo:
        return U::tremoloDepth(value);
    case Unit::modSustain:
        return U::modSustainLevel(value);
    case Unit::volSustain:
        return U::attenuationGain(value);
    case Unit::pan:
        return value * 0.1f;
    }
    return value;
}

// A generator's value with a modulated amount added, held to the generator's range.
float modulatedGenerator(uint16_t op, int16_t base, float delta) noexcept
{
    float value = float(base) + delta;
    GeneratorLimits limits{};
    if (soundFontRange(op, limits))
        value = std::clamp(value, float(limits.low), float(limits.high));
    return value;
}

uint32_t inputBit(uint16_t source) noexcept
{
    const uint16_t index = source & S::kIndexMask;
    if (source & S::kControllerFlag) {
        switch (index) {
        case 1: return ModulationInputs::kModWheel;
        case 7: return ModulationInputs::kVolume;
        case 11: return ModulationInputs::kExpression;
        case 64: return ModulationInputs::kSustain;
        default: return 0;
        }
    }
    if (index == S::kPitchWheel)
        return ModulationInputs::kPitchWheel;
    if (index == S::kPitchWheelSensitivity)
        return ModulationInputs::kWheelSensitivity;
    return 0;   // note values (fixed for the note) and none
}

bool hasNoSource(uint16_t source) noexcept
{
    return !(source & S::kControllerFlag) && (source & S::kIndexMask) == S::kNoController;
}

} // namespace

float VoiceModulation::inputValue(uint16_t source, const ModulationInputs& inputs) const noexcept
{
    const uint16_t index = source & S::kIndexMask;
    if (source & S::kControllerFlag) {
        switch (index) {
        case 1: return inputs.modWheel;
        case 7: return inputs.volume;
        case 11: return inputs.expression;
        case 64: return inputs.sustain;
        default: return 0.0f;
        }
    }
    switch (index) {
    case S::kVelocity: return noteVelocity;
    case S::kKey: return noteKey;
    case S::kPitchWheel: return inputs.pitchWheel;
    case S::kPitchWheelSensitivity: return inputs.wheelSensitivity;
    default: return 0.0f;
    }
}

void VoiceModulation::evaluate(const ModulationInputs& inputs) noexcept
{
    float delta[kGeneratorCount] = {};
    float pitchCents = 0.0f;
    for (const Modulator& m : record->modulators) {
        float value = m.amount * sourceOutput(m.source, inputValue(m.source, inputs));
        if (!hasNoSource(m.amountSource))
            value *= sourceOutput(m.amountSource, inputValue(m.amountSource, inputs));
        if (m.transform == kAbsoluteValue)
            value = std::fabs(value);
        if (!std::isfinite(value))
            continue;
        if (m.destination == kInitialPitch)
            pitchCents += value;
        else if (m.destination < kGeneratorCount)
            delta[m.destination] += value;
    }

    const auto& g = record->generators;
    // Hold and decay times follow the key: timecents per key away from key 60.
    for (const KeyScaling& k : kKeyScalings)
        delta[k.time] += modulatedGenerator(k.perKey, g[k.perKey], delta[k.perKey]) * float(60 - noteNumber);
    for (const Destination& d : kDestinations)
        current.*d.value = delta[d.op] == 0.0f ? record->*d.recordValue
                                               : inUnits(d.unit, modulatedGenerator(d.op, g[d.op], delta[d.op]));

    const float centibels = std::clamp(kAttenuationShare * float(g[kAttenuation]) + delta[kAttenuation], 0.0f,
                                       kMaxAttenuation);
    current.attenuation = float(std::pow(10.0, double(centibels) * -0.005));

    pitchCents += 100.0f * (modulatedGenerator(kCoarseTune, g[kCoarseTune], delta[kCoarseTune]) - g[kCoarseTune]) +
                  (modulatedGenerator(kFineTune, g[kFineTune], delta[kFineTune]) - g[kFineTune]);
    current.pitchRatio = pitchCents == 0.0f ? 1.0f : float(std::pow(2.0, double(pitchCents) / 1200.0));
}

void VoiceModulation::placePan(Voice& voice) const noexcept
{
    const int32_t index = int32_t(std::clamp<int64_t>(int64_t(truncToInt32(current.pan)) + 50, 0, 100));
    voice.panLeft = SynthTables::panLeft[index];
    voice.panRight = SynthTables::panRight[index];
}

void VoiceModulation::begin(Voice& voice, const SFSynth& r, const ModulationInputs& inputs, int16_t key,
                            float velocity) noexcept
{
    // Scale tuning: cents per key away from the root (100 unless the zone says otherwise, 0
    // for a drum that sounds the same on every key).
    const int32_t centsPerKey = std::clamp<int32_t>(r.generators[kScaleTuning], 0, 1200);
    if (centsPerKey != 100)
        voice.baseIncrement *= std::pow(2.0, double(int32_t(key) - r.rootKey) * double(centsPerKey - 100) / 1200.0);

    record = &r;
    noteVelocity = velocity;   // sourceOutput holds it to 0 .. 1
    noteNumber = key;
    noteKey = float(key) / 127.0f;
    reads = 0;
    for (const Modulator& m : r.modulators)
        reads |= inputBit(m.source) | inputBit(m.amountSource);
    evaluate(inputs);

    ModulatedValues& v = current;
    voice.panSource = &v.pan;
    placePan(voice);
    voice.modEnv.start({&v.modEnvDelay, &v.modEnvAttack, &v.modEnvHold, &v.modEnvDecay, &v.modEnvSustain,
                        &v.modEnvRelease}, false, EnvelopeLaw::soundFont);
    voice.volEnv.start({&v.volEnvDelay, &v.volEnvAttack, &v.volEnvHold, &v.volEnvDecay, &v.volEnvSustain,
                        &v.volEnvRelease}, true, EnvelopeLaw::soundFont);
    voice.modLfo.start(&v.modLfoFrequency, &v.modLfoDelay, true);
    voice.vibLfo.start(&v.vibLfoFrequency, &v.vibLfoDelay, true);
    voice.modEnvToPitchSource = &v.modEnvToPitch;
    voice.modLfoToPitchSource = &v.modLfoToPitch;
    voice.vibLfoToPitchSource = &v.vibLfoToPitch;
    voice.wheelRatioSource = &NeutralValues::one;   // the Mod Wheel works through its modulator
    voice.bendRatioSource = &v.pitchRatio;
    voice.depthsInCents = true;   // the LFOs swing both ways: a linear ratio could reach 0
    voice.attenuationSource = &v.attenuation;
    voice.attenuation = boundedGain(v.attenuation);
    voice.modLfoToVolumeSource = &v.modLfoToVolume;
    voice.velocityGain = 1.0f;
    voice.filter.start(1.0f, &v.filterCutoff, &v.filterResonance, &v.modEnvToFilterCutoff, &v.modLfoToFilterCutoff,
                       true);
}

void VoiceModulation::update(Voice& voice, const ModulationInputs& inputs) noexcept
{
    if ((inputs.changed & reads) == 0 || record == nullptr)
        return;
    evaluate(inputs);
    placePan(voice);
}

} // namespace Vst
} // namespace Steinberg

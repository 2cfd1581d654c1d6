#pragma once
// One flattened synthesis record of a resolved preset: the zone's sample data as floats plus
// every synthesis parameter already converted into engine units (seconds, linear gains,
// frequency ratios, hertz). A vector of them is what the controller hands to the processor.
// Records that play the same points share one immutable buffer; loop points and parameters
// are each record's own, counted from the first point of its buffer.
//
// Threads: a value type; any thread may use its own copies. Copying a record shares its
// sample buffer (the points are never copied); see SharedSamples for who may free it.
// Layout: field order is fixed (the "SF2DATA" message passes the address of a vector of these
// between controller and processor inside one module, so both sides must agree on it).
#include "soundfont/GeneratorRanges.h"
#include "soundfont/Modulators.h"
#include "soundfont/SharedSamples.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Steinberg {
namespace Vst {

struct SFSynth {
    SharedSamples samples;        // sample points / 32768, plus one 0.0 guard point at the end
    uint8_t keyLow = 0;
    uint8_t keyHigh = 127;
    uint8_t velocityLow = 0;
    uint8_t velocityHigh = 127;
    int32_t startOffset = 0;      // carried, not played
    int32_t end = 0;              // carried, not played
    int32_t loopStart = 0;        // points from the zone's first point
    int32_t loopEnd = 0;
    int32_t sampleRate = 44100;   // Hz
    int32_t sampleModes = 0;      // non-zero: looped
    int32_t exclusiveClass = 0;   // carried, not played
    int32_t rootKey = 60;
    int32_t pitchCorrection = 0;  // cents
    int32_t coarseTune = 0;       // semitones
    int32_t fineTune = 0;         // cents
    float attenuation = 1.0f;     // linear gain
    float pan = 0.0f;             // -50 (left) .. +50 (right)
    float volEnvDelay = 0.0f;     // seconds
    float volEnvAttack = 0.0f;
    float volEnvHold = 0.0f;
    float volEnvDecay = 0.0f;
    float volEnvSustain = 1.0f;   // linear gain
    float volEnvRelease = 0.0f;
    float keyToVolEnvHold = 0.0f;   // carried, not played
    float keyToVolEnvDecay = 0.0f;  // carried, not played
    float modEnvToFilterCutoff = 1.0f;  // ratio
    float modEnvToPitch = 1.0f;         // ratio
    float filterCutoff = 19912.0f;      // Hz
    float filterResonance = 1.0f;       // Q
    float modEnvDelay = 0.0f;     // seconds
    float modEnvAttack = 0.0f;
    float modEnvHold = 0.0f;
    float modEnvDecay = 0.0f;
    float modEnvSustain = 1.0f;   // level 0..1
    float modEnvRelease = 0.0f;
    float keyToModEnvHold = 0.0f;   // carried, not played
    float keyToModEnvDecay = 0.0f;  // carried, not played
    float modLfoFrequency = 8.176f; // Hz
    float modLfoDelay = 0.0f;       // seconds
    float modLfoToVolume = 0.0f;    // fraction
    float modLfoToFilterCutoff = 1.0f;  // ratio
    float modLfoToPitch = 1.0f;         // ratio
    float vibLfoFrequency = 8.176f;     // Hz
    float vibLfoDelay = 0.0f;           // seconds
    float reserved[2] = {0.0f, 0.0f};
    float vibLfoToPitch = 1.0f;         // ratio
    float chorusSend = 0.0f;      // carried, not played
    float reverbSend = 0.0f;      // carried, not played
    // The "SoundFont 2.04" response starts from these instead: the zone's generators as
    // resolved (held to their ranges) and its modulators, the defaults with the file's merged
    // over them. The fields above stay what the "Classic" response plays.
    std::array<int16_t, 61> generators = defaultGenerators();
    ModulatorList modulators = defaultModulators();
};

using SFSynthList = std::vector<SFSynth>;

} // namespace Vst
} // namespace Steinberg

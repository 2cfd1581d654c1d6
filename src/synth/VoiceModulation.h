#pragma once
// The "SoundFont 2.04" response of one voice: its record's modulators evaluated when the note
// starts and again whenever a controller they read changes (at most once per render call), the
// sums added to the record's generators and converted into the engine's units. The generators
// the standard ties to the key count as well: scale tuning (the pitch step from key to key) and
// the key scaling of the envelopes' hold and decay times. The voice's
// sources then point here instead of at the record, so the per-sample loop is the same for
// both responses and reads the results through the caches it reloads at every render call.
// Velocity here acts through its modulators only: the voice's velocity gain is 1 and the filter
// keeps its cutoff whatever the velocity. The voice's envelopes, LFOs, filter and pitch are
// started on the standard's laws (EnvelopeLaw::soundFont, triangle LFOs, depths in cents).
//
// Threads: audio thread. Real-time safe (no allocation, no locks).
#include "soundfont/SFSynth.h"
#include "synth/Voice.h"

#include <cstdint>

namespace Steinberg {
namespace Vst {

// The engine-wide controller values modulators read, each 0 .. 1 as the MIDI value over its
// maximum, and which of them changed since the voices last saw them.
struct ModulationInputs {
    enum Source : uint32_t {
        kModWheel = 1u << 0,      // controller 1
        kVolume = 1u << 1,        // controller 7
        kExpression = 1u << 2,    // controller 11
        kSustain = 1u << 3,       // controller 64
        kPitchWheel = 1u << 4,
        kWheelSensitivity = 1u << 5,   // the bend range in semitones over 127
    };
    float modWheel = 0.0f;
    float volume = 1.0f;
    float expression = 1.0f;
    float sustain = 0.0f;
    float pitchWheel = 0.5f;          // centre
    float wheelSensitivity = 2.0f / 127.0f;
    uint32_t changed = 0;

    // Stores a source's value; marks it changed when it differs.
    void set(Source source, float value) noexcept
    {
        float& slot = source == kModWheel ? modWheel
                      : source == kVolume ? volume
                      : source == kExpression ? expression
                      : source == kSustain ? sustain
                      : source == kPitchWheel ? pitchWheel
                                              : wheelSensitivity;
        if (slot != value)
            changed |= source;
        slot = value;
    }
};

// The values the voice's sources point at, in the record's units and with its field names.
struct ModulatedValues {
    float attenuation, pan;
    float volEnvDelay, volEnvAttack, volEnvHold, volEnvDecay, volEnvSustain, volEnvRelease;
    float modEnvToFilterCutoff, modEnvToPitch, filterCutoff, filterResonance;
    float modEnvDelay, modEnvAttack, modEnvHold, modEnvDecay, modEnvSustain, modEnvRelease;
    float modLfoFrequency, modLfoDelay, modLfoToVolume, modLfoToFilterCutoff, modLfoToPitch;
    float vibLfoFrequency, vibLfoDelay, vibLfoToPitch;
    float pitchRatio;   // the modulated pitch against the note's own (the pitch wheel's ratio)
};

class VoiceModulation {
public:
    // Right after voice.start(...) with the same record, key and velocity: evaluates the
    // modulators and points the voice's sources at the results.
    void begin(Voice& voice, const SFSynth& record, const ModulationInputs& inputs, int16_t key,
               float velocity) noexcept;
    // Re-evaluates when a changed input is one the voice's modulators read; before the voice's
    // refresh, which takes the new values into its caches.
    void update(Voice& voice, const ModulationInputs& inputs) noexcept;

    const ModulatedValues& values() const noexcept { return current; }

private:
    void evaluate(const ModulationInputs& inputs) noexcept;
    float inputValue(uint16_t source, const ModulationInputs& inputs) const noexcept;
    void placePan(Voice& voice) const noexcept;

    const SFSynth* record = nullptr;
    float noteVelocity = 1.0f;
    float noteKey = 0.0f;        // the key as a source value, 0 .. 1
    int16_t noteNumber = 0;
    uint32_t reads = 0;   // the ModulationInputs sources its modulators read
    ModulatedValues current{};
};

} // namespace Vst
} // namespace Steinberg

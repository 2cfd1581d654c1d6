#pragma once
// The engine's shared lookup tables: envelope curves, equal-power pan gains and the LFO wave.
// Filled once when the module is loaded and read-only afterwards.
// Threads: any thread may read; real-time safe (plain array reads).
#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace SynthTables {

constexpr int kEnvelopeStages = 7;
constexpr int kEnvelopeSteps = 128;                       // table steps per stage
constexpr int kEnvelopeEntries = kEnvelopeStages * kEnvelopeSteps;   // 896
constexpr int kPanEntries = 101;
constexpr int kLfoEntries = 441;                          // table steps per LFO period

// Envelope curves, one row per stage (delay, attack, hold, decay, sustain, release, done),
// indexed by stage * 128 + step.
extern const float* const envelopeCurve;
// The same rows for the SoundFont laws, the other rows as above: decay and release falling
// 100 dB in a row at an even rate in dB (the volume envelope), or falling in a straight line
// from 1 to 0 after a convex attack (the modulation envelope).
extern const float* const decibelEnvelopeCurve;
extern const float* const linearEnvelopeCurve;
// Gains for a pan index 0 (full left) .. 100 (full right).
extern const float* const panLeft;
extern const float* const panRight;
// Raised cosine 0..1..0 over one LFO period.
extern const float* const lfoWave;
// Triangle 0..1..0..-1..0 over one LFO period, the SoundFont LFO's shape.
extern const float* const triangleLfoWave;

} // namespace SynthTables
} // namespace Vst
} // namespace Steinberg

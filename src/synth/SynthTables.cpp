#include "synth/SynthTables.h"

#include <cmath>

namespace Steinberg {
namespace Vst {
namespace SynthTables {
namespace {

struct Tables {
    float curve[kEnvelopeEntries];
    float left[kPanEntries];
    float right[kPanEntries];
    float wave[kLfoEntries];

    Tables() {
        const int S = kEnvelopeSteps;
        for (int k = 0; k < S; ++k) {
            curve[0 * S + k] = 0.0f;                       // delay
            curve[1 * S + k] = float(k) / 128.0f;          // attack: linear, never quite 1
            curve[2 * S + k] = 1.0f;                       // hold
            curve[4 * S + k] = 0.0f;                       // sustain: the offset carries the level
            curve[6 * S + k] = 0.0f;                       // done
        }
        // Decay: each step the previous one times 0.9255464 (about 5e-5 after 128 steps).
        curve[3 * S] = 0.9255464f;
        for (int k = 1; k < S; ++k)
            curve[3 * S + k] = float(curve[3 * S + k - 1] * 0.9255464);
        for (int k = 0; k < S; ++k)
            curve[5 * S + k] = curve[3 * S + k];           // release falls like the decay
        for (int k = 0; k < kPanEntries; ++k) {
            left[k] = float(std::cos(k * 0.015707964));
            right[k] = float(std::sin(k * 0.015707964));
        }
        for (int k = 0; k < kLfoEntries; ++k)
            wave[k] = float((1.0 - std::cos(k * 0.014247586)) * 0.5);
    }
};

const Tables tables;

} // namespace

const float* const envelopeCurve = tables.curve;
const float* const panLeft = tables.left;
const float* const panRight = tables.right;
const float* const lfoWave = tables.wave;

} // namespace SynthTables
} // namespace Vst
} // namespace Steinberg

#include "synth/SynthTables.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace SynthTables {
namespace {

struct Tables {
    float curve[kEnvelopeEntries];
    float decibelCurve[kEnvelopeEntries];
    float linearCurve[kEnvelopeEntries];
    float left[kPanEntries];
    float right[kPanEntries];
    float wave[kLfoEntries];
    float triangle[kLfoEntries];

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
        for (int k = 0; k < kEnvelopeEntries; ++k)
            decibelCurve[k] = linearCurve[k] = curve[k];
        for (int k = 0; k < S; ++k) {
            // Step k of 128 is k x 100/128 dB down, or k/128 of the way to 0.
            decibelCurve[3 * S + k] = decibelCurve[5 * S + k] = float(std::pow(10.0, -k * (100.0 / 128.0) / 20.0));
            linearCurve[3 * S + k] = linearCurve[5 * S + k] = 1.0f - float(k) / 128.0f;
            // The modulation attack is convex: 96 dB of rise spread evenly over the time.
            linearCurve[1 * S + k] = k == 0 ? 0.0f : float(std::max(0.0, 1.0 + (40.0 / 96.0) * std::log10(k / 128.0)));
        }
        for (int k = 0; k < kPanEntries; ++k) {
            left[k] = float(std::cos(k * 0.015707964));
            right[k] = float(std::sin(k * 0.015707964));
        }
        for (int k = 0; k < kLfoEntries; ++k)
            wave[k] = float((1.0 - std::cos(k * 0.014247586)) * 0.5);
        for (int k = 0; k < kLfoEntries; ++k) {
            const double quarters = 4.0 * k / kLfoEntries;   // 0 .. 4
            triangle[k] = float(quarters < 1.0 ? quarters : quarters < 3.0 ? 2.0 - quarters : quarters - 4.0);
        }
    }
};

const Tables tables;

} // namespace

const float* const envelopeCurve = tables.curve;
const float* const decibelEnvelopeCurve = tables.decibelCurve;
const float* const linearEnvelopeCurve = tables.linearCurve;
const float* const panLeft = tables.left;
const float* const panRight = tables.right;
const float* const lfoWave = tables.wave;
const float* const triangleLfoWave = tables.triangle;

} // namespace SynthTables
} // namespace Vst
} // namespace Steinberg

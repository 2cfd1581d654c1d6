#pragma once
// Limits a record value the engine uses as a gain or depth to a safe range; a value that is not
// a number counts as the lower bound. Records come from any file (or any caller), so the engine
// checks its gains where it reads them.
// Threads: any; real-time safe.

namespace Steinberg {
namespace Vst {

inline float bounded(float value, float low, float high) noexcept
{
    if (!(value >= low))
        return low;
    return value <= high ? value : high;
}

// Linear gains of a record (attenuation, sustain) never amplify, and one too small to hear
// (below -600 dB) is 0, so no subnormal level enters the envelopes or the mix.
inline float boundedGain(float value) noexcept
{
    const float gain = bounded(value, 0.0f, 1.0f);
    return gain < 1e-30f ? 0.0f : gain;
}

} // namespace Vst
} // namespace Steinberg

#pragma once
// Conversions of generator values (SoundFont units) into the engine's units, shared by record
// building and by the engine's "SoundFont 2.04" response, which converts modulated values the
// same way the records were converted.
// Threads: any; pure functions. Real-time safe.
#include <cmath>
#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace GeneratorUnits {

constexpr float kPerTimecent = 0.00083333335f;  // 1/1200
constexpr float kPerCentibel = -0.0050000004f;  // -0.005: centibels to a power of ten
constexpr double kLowestFrequency = 8.175999641418457;  // Hz at 0 absolute cents

// Seconds (or a ratio) from timecents (or cents).
inline float twoToCents(float value) noexcept
{
    return static_cast<float>(std::pow(2.0, static_cast<double>(value * kPerTimecent)));
}

// Linear gain from centibels of attenuation; silence beyond 100 dB.
inline float attenuationGain(float value) noexcept
{
    if (value * 0.1f > 100.0f)
        return 0.0f;
    return static_cast<float>(std::pow(10.0, static_cast<double>(value * kPerCentibel)));
}

inline float absoluteCentsToHertz(float value) noexcept
{
    return static_cast<float>(kLowestFrequency * std::pow(2.0, static_cast<double>(value * kPerTimecent)));
}

// Filter Q from centibels of resonance.
inline float resonanceQ(float value) noexcept
{
    return static_cast<float>(std::pow(10.0, static_cast<double>(value * 0.0050000004f)));
}

// Mod LFO to volume as the fraction the LFO's peak takes off.
inline float tremoloDepth(float value) noexcept
{
    return value * 0.1f > 100.0f ? 0.0f : 1.0f - attenuationGain(value);
}

// Mod envelope sustain level from its drop in 0.1 %.
inline float modSustainLevel(float value) noexcept
{
    const float drop = value * 0.001f;
    return drop > 1.0f ? 0.0f : 1.0f - drop;
}

} // namespace GeneratorUnits
} // namespace Vst
} // namespace Steinberg

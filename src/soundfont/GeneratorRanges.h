#pragma once
// The value ranges the SoundFont 2 standard gives its generators. Preset resolution adds preset
// amounts within them without wrapping, and record building clamps every resolved value into
// them, so a crafted file cannot ask for gains, times or depths beyond what the format allows.
// The stored file is not changed. Generators without a range (sample offsets, key and velocity
// ranges, instrument and sample IDs, sample modes) are left alone.
// Threads: any; no state.
#include <array>
#include <cstddef>
#include <cstdint>

namespace Steinberg {
namespace Vst {

struct GeneratorLimits {
    int16_t low;
    int16_t high;
};

// The range of generator `op`; false when the standard gives it none.
bool soundFontRange(uint16_t op, GeneratorLimits& range) noexcept;

// value + amount, within the generator's range when it has one (wrapping in 16 bits otherwise,
// as for the IDs that are not quantities).
int16_t addGenerator(uint16_t op, int16_t value, int16_t amount) noexcept;

// A fresh zone's generators: the standard's defaults (cutoff 13500 cents, times -12000
// timecents, full key and velocity ranges, scale tuning 100, no instrument, sample or root key).
// Defined here, so every record can start from them without linking this library.
constexpr std::array<int16_t, 61> defaultGenerators() noexcept
{
    std::array<int16_t, 61> set{};
    set[8] = 13500;
    for (int g : {21, 23, 25, 26, 27, 28, 30, 33, 34, 35, 36, 38})
        set[size_t(g)] = -12000;
    for (int g : {41, 46, 47, 53, 58})
        set[size_t(g)] = -1;
    set[43] = 0x7F00;   // key range 0-127
    set[44] = 0x7F00;   // velocity range 0-127
    set[56] = 100;
    return set;
}

// Every generator with a range clamped into it.
void clampToSoundFontRanges(std::array<int16_t, 61>& generators) noexcept;

} // namespace Vst
} // namespace Steinberg

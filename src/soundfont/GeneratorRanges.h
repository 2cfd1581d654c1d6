#pragma once
// The value ranges the SoundFont 2 standard gives its generators. Preset resolution adds preset
// amounts within them without wrapping, and record building clamps every resolved value into
// them, so a crafted file cannot ask for gains, times or depths beyond what the format allows.
// The stored file is not changed. Generators without a range (sample offsets, key and velocity
// ranges, instrument and sample IDs, sample modes) are left alone.
// Threads: any; no state.
#include <array>
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

// Every generator with a range clamped into it.
void clampToSoundFontRanges(std::array<int16_t, 61>& generators) noexcept;

} // namespace Vst
} // namespace Steinberg

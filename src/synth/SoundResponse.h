#pragma once
// How the engine answers a note and the controllers, chosen per plug-in instance:
// - Classic: velocity scales the level linearly and opens the filter a little, Volume and
//   Expression are linear gains, the Mod Wheel adds up to a quarter tone of vibrato, a zone's
//   initial attenuation counts at full scale, and the SoundFont's modulators are not played;
// - SoundFont 2.04: the standard's default modulators and the file's own drive velocity, Volume,
//   Expression, Mod Wheel and pitch bend, initial attenuation counts at 0.4 of its value, as
//   the hardware the format was made for (and FluidSynth) count it, and the envelopes and LFOs
//   take the standard's shapes (decay in dB to the sustain level, triangle LFOs, depths in cents).
// The stored value (component state, "RESPONSE" message) is the enumerator's number.
// Threads: any; a plain enumeration.
#include <cstdint>

namespace Steinberg {
namespace Vst {

enum class SoundResponse : int32_t { Classic = 0, SoundFont204 = 1 };

// The response a stored number names; false for a number this build does not know.
inline bool responseFromNumber(int32_t number, SoundResponse& response) noexcept
{
    if (number != int32_t(SoundResponse::Classic) && number != int32_t(SoundResponse::SoundFont204))
        return false;
    response = SoundResponse(number);
    return true;
}

} // namespace Vst
} // namespace Steinberg

#pragma once
// The "Bend Range" field's text to value: the leading number in semitones, limited to 0..12
// (nothing readable, or below 0, gives 0), as a normalised value (semitones / 12).
// Threads: any; no state. Real-time safe (no allocation).
namespace Steinberg {
namespace Vst {

float bendRangeFromText(const char* text);

} // namespace Vst
} // namespace Steinberg

#pragma once
// Records for engine tests, built in code: a looped sine and plain neutral records.
// Threads: test code.
#include "soundfont/SFSynth.h"

#include <cstdint>

namespace zephra::test {

// A record with every modulation neutral (ratios 1, depths 0), instant envelope stages
// (1 ms), full sustain, cutoff 22000 Hz, Q 1, centre pan, and `points` + 1 samples of a sine of
// 100 points per cycle, looped over whole cycles when `looped`.
Steinberg::Vst::SFSynth neutralSineRecord(int32_t points = 2000, bool looped = true);

// Samples 0, 1, 2, ... (value = index / 32768) so a fetch reveals which point was read.
Steinberg::Vst::SFSynth rampRecord(int32_t points, int32_t loopStart, int32_t loopEnd);

} // namespace zephra::test

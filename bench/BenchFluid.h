#pragma once
// FluidSynth as the benchmarks measure it beside our engine. Single-threaded tools; nothing here
// is real-time code.
#include <fluidsynth.h>

namespace zephra::bench {

// New settings at `rate` with reverb and chorus off (as `fluidsynth -R 0 -C 0`) and one
// rendering core; the caller deletes them (delete_fluid_settings) after its synth.
fluid_settings_t* comparisonSettings(double rate);

// Keeps FluidSynth's warnings, notes and debug lines out of the report.
void silenceFluidLog();

} // namespace zephra::bench

#pragma once
// The engine benchmarks' one step of setting up an engine: handing it a sound. Single-threaded
// tools; nothing here is real-time code.
#include "synth/SynthEngine.h"

namespace zephra::bench {

// Hands the records to the engine and lets it adopt them, which it does at the end of a render
// call (an empty one here), so that the next note plays them. Set the rate, response and voice
// loop before.
void handOverSound(Steinberg::Vst::SynthEngine& engine, Steinberg::Vst::SFSynthList records);

} // namespace zephra::bench

#pragma once
// The scalar voice loop: mixes one voice (or two, interleaved) into a stretch of the mix buffers
// and advances it, sample-exact with the per-sample mix-then-advance order, but working in runs
// over which none of the voice's modulators changes its output (see VoiceRun.h). It is the
// loop on processors without vector units we use, and the oracle the vector loop is tested by.
// Threads: audio thread; real-time safe.
#include "synth/Voice.h"

#include <cstdint>

namespace Steinberg {
namespace Vst {

// Adds the voice's panned output for `count` samples to mixLeft/mixRight and advances it after
// each sample; stops early when the voice becomes free. quietLimit: see Cursor::attach.
void renderVoice(Voice& voice, float* mixLeft, float* mixRight, int32_t count, float quietLimit) noexcept;
// The same for two voices at once, `first` before `second` in the mix of every sample (the
// interleaving lets the two filters' recursions overlap).
void renderVoicePair(Voice& first, Voice& second, float* mixLeft, float* mixRight, int32_t count,
                     float quietLimit) noexcept;

} // namespace Vst
} // namespace Steinberg

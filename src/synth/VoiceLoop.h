#pragma once
// Which voice loop the engine runs: the scalar one, or the vectorised one for SSE2 (four voices
// at a time, every x86-64 processor) or AVX2 (eight), chosen by what the processor runs. All
// give the same output, bit for bit; forcing one is for tests and benchmarks.
// Threads: any; real-time safe (the processor is asked once, at the first call).
#include "synth/VoiceLanes.h"

namespace Steinberg {
namespace Vst {

enum class VoiceLoop { scalar, sse2, avx2 };

// Whether this build and this processor can run `loop`.
bool voiceLoopAvailable(VoiceLoop loop) noexcept;
// The fastest loop available.
VoiceLoop fastestVoiceLoop() noexcept;
// Every loop available, the scalar one first.
std::vector<VoiceLoop> availableVoiceLoops();
// The kernels of a vectorised loop; nullptr for the scalar one or one not available.
const LaneKernels* laneKernelsOf(VoiceLoop loop) noexcept;
const char* voiceLoopName(VoiceLoop loop) noexcept;

} // namespace Vst
} // namespace Steinberg

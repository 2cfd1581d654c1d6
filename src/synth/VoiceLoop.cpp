#include "synth/VoiceLoop.h"

namespace Steinberg {
namespace Vst {
namespace {

// The vectorised kernels exist in x86-64 builds only (the build defines this there).
#ifdef ZEPHRA_VECTOR_VOICES
bool processorRunsAvx2() noexcept
{
    // The compiler's check asks the processor and whether the system saves the wide registers.
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}
#endif

} // namespace

bool voiceLoopAvailable(VoiceLoop loop) noexcept
{
    return loop == VoiceLoop::scalar || laneKernelsOf(loop) != nullptr;
}

VoiceLoop fastestVoiceLoop() noexcept
{
    if (voiceLoopAvailable(VoiceLoop::avx2))
        return VoiceLoop::avx2;
    return voiceLoopAvailable(VoiceLoop::sse2) ? VoiceLoop::sse2 : VoiceLoop::scalar;
}

std::vector<VoiceLoop> availableVoiceLoops()
{
    std::vector<VoiceLoop> loops;
    for (VoiceLoop loop : {VoiceLoop::scalar, VoiceLoop::sse2, VoiceLoop::avx2})
        if (voiceLoopAvailable(loop))
            loops.push_back(loop);
    return loops;
}

const LaneKernels* laneKernelsOf(VoiceLoop loop) noexcept
{
#ifdef ZEPHRA_VECTOR_VOICES
    if (loop == VoiceLoop::sse2)
        return &sse2LaneKernels();
    if (loop == VoiceLoop::avx2 && processorRunsAvx2())
        return &avx2LaneKernels();
#else
    (void)loop;
#endif
    return nullptr;
}

const char* voiceLoopName(VoiceLoop loop) noexcept
{
    switch (loop) {
    case VoiceLoop::sse2:
        return "SSE2";
    case VoiceLoop::avx2:
        return "AVX2";
    case VoiceLoop::scalar:
        break;
    }
    return "scalar";
}

} // namespace Vst
} // namespace Steinberg

#pragma once
// Flush-to-zero and denormals-are-zero for the calling thread, for the life of a scope: numbers
// too small to hear then cost no more than any other. The thread's previous mode (the host's)
// is restored when the scope ends.
// Threads: any (the mode is per thread). Real-time safe (two register accesses).

namespace Steinberg {
namespace Vst {

class DenormalsOff {
public:
    DenormalsOff() noexcept;
    ~DenormalsOff() noexcept;
    DenormalsOff(const DenormalsOff&) = delete;
    DenormalsOff& operator=(const DenormalsOff&) = delete;

    // Whether the calling thread flushes subnormal results to zero now.
    static bool active() noexcept;

private:
    unsigned long long saved;
};

} // namespace Vst
} // namespace Steinberg

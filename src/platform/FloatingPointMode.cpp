#include "platform/FloatingPointMode.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

namespace Steinberg {
namespace Vst {
namespace {

#if defined(__SSE2__) || defined(_M_X64)
constexpr unsigned kFlushToZero = 0x8000;       // MXCSR FTZ
constexpr unsigned kDenormalsAreZero = 0x0040;  // MXCSR DAZ
unsigned long long readMode() noexcept { return _mm_getcsr(); }
void writeMode(unsigned long long mode) noexcept { _mm_setcsr(static_cast<unsigned>(mode)); }
unsigned long long withFlush(unsigned long long mode) noexcept
{
    return mode | kFlushToZero | kDenormalsAreZero;
}
bool flushes(unsigned long long mode) noexcept { return (mode & kFlushToZero) != 0; }
#elif defined(__aarch64__)
constexpr unsigned long long kFlushToZero = 1ull << 24;   // FPCR.FZ
unsigned long long readMode() noexcept
{
    unsigned long long mode;
    __asm__ __volatile__("mrs %0, fpcr" : "=r"(mode));
    return mode;
}
void writeMode(unsigned long long mode) noexcept { __asm__ __volatile__("msr fpcr, %0" : : "r"(mode)); }
unsigned long long withFlush(unsigned long long mode) noexcept { return mode | kFlushToZero; }
bool flushes(unsigned long long mode) noexcept { return (mode & kFlushToZero) != 0; }
#else
// No known control register: the engine's own clearing of tiny values still applies.
unsigned long long readMode() noexcept { return 0; }
void writeMode(unsigned long long) noexcept {}
unsigned long long withFlush(unsigned long long mode) noexcept { return mode; }
bool flushes(unsigned long long) noexcept { return false; }
#endif

} // namespace

DenormalsOff::DenormalsOff() noexcept : saved(readMode())
{
    writeMode(withFlush(saved));
}

DenormalsOff::~DenormalsOff() noexcept
{
    writeMode(saved);
}

bool DenormalsOff::active() noexcept
{
    return flushes(readMode());
}

} // namespace Vst
} // namespace Steinberg

#include "editor/BendRangeText.h"

#include <cmath>
#include <cstdlib>

namespace Steinberg {
namespace Vst {

float bendRangeFromText(const char* text)
{
    constexpr float kOneTwelfth = 1.f / 12.f;   // 0.083333336 as a float
    if (!text)
        return 0.f;
    char* end = nullptr;
    double semitones = std::strtod(text, &end);
    if (end == text || !(semitones > 0))   // no number, NaN, zero or negative
        semitones = 0;
    if (semitones > 12)
        semitones = 12;
    return float(semitones) * kOneTwelfth;
}

} // namespace Vst
} // namespace Steinberg

#include "shell/ParameterConversion.h"

#include <cmath>

namespace Steinberg {
namespace Vst {

double plainFromNormalised(const ParameterSpec& spec, double x) noexcept
{
    const double span = spec.maxPlain - spec.minPlain;
    switch (spec.kind) {
    case Toggle:
        return x > 0.5 ? 1.0 : 0.0;
    case IntRange:
    case List:
        return spec.minPlain + std::round(span * x);   // std::round: halves away from zero
    case Curve:
        return spec.minPlain + span * std::pow(x, kCurveExponent);
    case Range:
    default:
        return spec.minPlain + span * x;
    }
}

} // namespace Vst
} // namespace Steinberg

#include "controller/CurveParameter.h"
#include "platform/Text.h"

#include "pluginterfaces/base/ustring.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Steinberg {
namespace Vst {

CurveParameter::CurveParameter(const TChar* title, ParamID tag, const TChar* units,
                               double minPlain, double maxPlain, int32 flags, UnitID unitId)
    : Parameter(title, tag, units, 0.0, 0, flags, unitId), minPlain(minPlain), maxPlain(maxPlain)
{
}

ParamValue CurveParameter::toPlain(ParamValue normValue) const
{
    // A negative base with a fractional exponent has no real power: start of the range.
    const double x = (normValue > 0.0) ? normValue : 0.0;
    return std::pow(x, curve) * (maxPlain - minPlain) + minPlain;
}

ParamValue CurveParameter::toNormalized(ParamValue plainValue) const
{
    const double span = maxPlain - minPlain;
    if (!(span != 0.0) || !std::isfinite(span)) return 0.0;   // equal bounds: one point
    const double ratio = (plainValue - minPlain) / span;
    if (!(ratio > 0.0)) return 0.0;                            // below the minimum, or NaN
    return std::pow(ratio, 1.0 / curve);
}

void CurveParameter::toString(ParamValue normValue, String128 string) const
{
    // Formatted through a bounded narrow buffer: a huge plain value cannot overrun String128.
    char text[128];
    const int length = std::snprintf(text, sizeof text, "%.*lf", precision, toPlain(normValue));
    const int kept = length < 0 ? 0 : (length < 127 ? length : 127);
    for (int i = 0; i < kept; ++i) string[i] = static_cast<char16>(text[i]);
    string[kept] = 0;
}

bool CurveParameter::fromString(const TChar* string, ParamValue& normValue) const
{
    if (!string) return false;
    std::string bytes;
    try {
        bytes = toUtf8(reinterpret_cast<const char16_t*>(string));
    } catch (const std::range_error&) {
        return false;
    }
    double plain = 0.0;
    if (std::sscanf(bytes.c_str(), "%lf", &plain) != 1 || !std::isfinite(plain)) return false;
    normValue = toNormalized(plain);
    return true;
}

} // namespace Vst
} // namespace Steinberg

#pragma once
// A parameter whose plain value follows a power curve of the normalised value:
// plain = x^curve * (max - min) + min, so most of the knob travel covers small values.
// Threads: UI thread (like every controller parameter). Not real-time safe.
#include "public.sdk/source/vst/vstparameters.h"

namespace Steinberg {
namespace Vst {

class CurveParameter : public Parameter {
public:
    // log2(10), rounded; 1 / curveExponent is the exponent of the inverse mapping.
    static constexpr double curveExponent = 3.321928073389531;
    static constexpr double inverseCurveExponent = 0.3010299976120944;

    CurveParameter(const TChar* title, ParamID tag, const TChar* units, double minPlain,
                   double maxPlain, int32 flags, UnitID unitId);

    // Plain value with precision digits after the point ("12.0000").
    void toString(ParamValue normValue, String128 string) const override;
    // Reads a plain value from the whole text; false (normValue untouched) when it is no
    // finite number.
    bool fromString(const TChar* string, ParamValue& normValue) const override;
    // Normalised values below 0 (and NaN) count as 0; above 1 the curve is followed.
    ParamValue toPlain(ParamValue normValue) const override;
    // Plain values below minPlain (and NaN) give 0; with equal bounds every value gives 0.
    ParamValue toNormalized(ParamValue plainValue) const override;

    OBJ_METHODS(CurveParameter, Parameter)

    double minPlain;
    double maxPlain;
    double curve = curveExponent;
};

} // namespace Vst
} // namespace Steinberg

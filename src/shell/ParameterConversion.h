#pragma once
// Normalised (0..1, as at the VST3 interfaces) to plain values (as inside the processor and in
// the state streams), by the parameter's kind.
// Threads: any; pure functions, noexcept and real-time safe.
#include "shell/PluginDescription.h"

namespace Steinberg {
namespace Vst {

// Exponent of the Curve kind: log2(10).
constexpr double kCurveExponent = 3.321928094887362;

double plainFromNormalised(const ParameterSpec& spec, double normalised) noexcept;

} // namespace Vst
} // namespace Steinberg

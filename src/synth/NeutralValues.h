#pragma once
// Constant values that a reset voice's sources point at, so an idle voice reads safe numbers.
// Threads: any; read-only.

namespace Steinberg {
namespace Vst {
namespace NeutralValues {

extern const float zero;
extern const float one;

} // namespace NeutralValues
} // namespace Vst
} // namespace Steinberg

#include "synth/NeutralValues.h"

namespace Steinberg {
namespace Vst {
namespace NeutralValues {

const float zero = 0.0f;
const float one = 1.0f;

} // namespace NeutralValues
} // namespace Vst
} // namespace Steinberg

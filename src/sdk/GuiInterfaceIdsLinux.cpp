// Interface IDs of the Linux run-loop interfaces of the editor (declared, not defined, by
// Debian's SDK subset); built on Linux only, where the SDK declares them.
#include "pluginterfaces/gui/iplugview.h"

namespace Steinberg {
namespace Linux {
DEF_CLASS_IID(IEventHandler)
DEF_CLASS_IID(ITimerHandler)
DEF_CLASS_IID(IRunLoop)
} // namespace Linux
} // namespace Steinberg

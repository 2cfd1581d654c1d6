// Interface IDs of the editor interfaces. Debian's SDK subset declares them but defines none,
// while its EditController already refers to IPlugView::iid; the whole module shares these.
// The Linux run-loop interfaces exist on Linux only: GuiInterfaceIdsLinux.cpp.
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

namespace Steinberg {
DEF_CLASS_IID(IPlugView)
DEF_CLASS_IID(IPlugFrame)
DEF_CLASS_IID(IPlugViewContentScaleSupport)
} // namespace Steinberg

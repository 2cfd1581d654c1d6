#include "shell/PluginDescription.h"

namespace Steinberg {
namespace Vst {

PluginDescription& pluginDescription()
{
    // Constructed on first use, so the static defaults hold before the module entry runs.
    static PluginDescription description;
    return description;
}

} // namespace Vst
} // namespace Steinberg

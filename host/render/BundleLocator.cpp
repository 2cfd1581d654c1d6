#include "BundleLocator.h"
#include "host/render/platform/BundleCandidates.h"

namespace zephra {
namespace render {

bool locateBundle(const std::string& explicitPath, std::string& bundlePath, std::string& error)
{
    if (!explicitPath.empty()) {
        if (!pathExists(explicitPath)) {
            error = "plug-in bundle \"" + explicitPath + "\" not found";
            return false;
        }
        bundlePath = explicitPath;
        return true;
    }
    std::string looked;
    for (const std::string& candidate : bundleCandidates()) {
        if (pathExists(candidate)) {
            bundlePath = tidyPath(candidate);
            return true;
        }
        looked += "\n  " + candidate;
    }
    error = std::string("the plug-in bundle \"") + kBundleName + "\" was not found; looked in:" + looked +
            "\nbuild it, install it, or give its path with --plugin";
    return false;
}

}   // namespace render
}   // namespace zephra

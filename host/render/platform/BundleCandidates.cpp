// Where the renderer looks for the bundle on Linux: the build tree next to the program, then
// ~/.vst3, /usr/local/lib/vst3 and /usr/lib/vst3.
#include "host/render/platform/BundleCandidates.h"
#include "BundleLocator.h"
#include "host/render/platform/RealPath.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace zephra {
namespace render {

namespace {

std::string executableFolder()
{
    char buffer[4096];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    std::string path(buffer, static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}   // namespace

std::vector<std::string> bundleCandidates()
{
    std::vector<std::string> candidates;
    // The build tree: <build>/host/render/zephra-render next to <build>/VST3/<bundle>.
    const std::string folder = executableFolder();
    if (!folder.empty())
        candidates.push_back(folder + "/../../VST3/" + kBundleName);
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        candidates.push_back(std::string(home) + "/.vst3/" + kBundleName);
    candidates.push_back(std::string("/usr/local/lib/vst3/") + kBundleName);
    candidates.push_back(std::string("/usr/lib/vst3/") + kBundleName);
    return candidates;
}

bool pathExists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

std::string tidyPath(const std::string& path)
{
    return realPathOr(path);
}

}   // namespace render
}   // namespace zephra

#include "host/render/platform/OutputGuard.h"
#include "host/render/platform/RealPath.h"
#include "host/render/platform/SameFile.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zephra {
namespace render {

namespace {

// Where writing path lands: its folder's real path plus its name. The finished file is renamed
// onto the name, which replaces a symbolic link there rather than what it points to. Empty when
// the folder does not exist (writing then fails on its own).
std::string landingPlace(const std::string& path)
{
    std::string place;
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (!realPath(folder, place))
        return {};
    return place + (place.back() == '/' ? "" : "/") + path.substr(slash == std::string::npos ? 0 : slash + 1);
}

}   // namespace

bool followOutputLinks(const std::string& path, std::string& target, std::string& error)
{
    target = path;
    if (path == "-")
        return true;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info;
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return true;
        std::vector<char> text(PATH_MAX + 1);
        const ssize_t length = ::readlink(target.c_str(), text.data(), text.size() - 1);
        if (length <= 0)
            return true;   // unreadable: writing will say what is wrong
        std::string next(text.data(), static_cast<size_t>(length));
        const size_t slash = target.find_last_of('/');
        if (next[0] != '/' && slash != std::string::npos)
            next = target.substr(0, slash + 1) + next;
        target = next;
    }
    error = "the output \"" + path + "\" is a symbolic link that leads round in a loop";
    return false;
}

bool checkOutputPath(const std::string& path, const std::string& bundlePath, const std::vector<std::string>& inputs,
                     std::string& error)
{
    if (path == "-")
        return true;
    struct stat info;
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = "the output \"" + path + "\" is a folder; give a file name";
        return false;
    }
    for (const std::string& input : inputs)
        if (!input.empty() && sameFile(path, input)) {
            error = "the output \"" + path + "\" is an input file; choose another name";
            return false;
        }
    std::string bundle;
    const std::string place = landingPlace(path);
    if (!place.empty() && realPath(bundlePath, bundle) &&
        (place == bundle || place.compare(0, bundle.size() + 1, bundle + "/") == 0)) {
        error = "the output \"" + path + "\" lies inside the plug-in bundle \"" + bundlePath +
                "\"; choose a place outside it";
        return false;
    }
    return true;
}

}   // namespace render
}   // namespace zephra

// POSIX implementation of the path queries.
#include "platform/PathInfo.h"

#include "platform/Text.h"

#include <stdexcept>
#include <sys/stat.h>

namespace Steinberg {
namespace Vst {

PathKind pathKind(const std::string& utf8Path)
{
    if (utf8Path.empty() || utf8Path.find('\0') != std::string::npos)
        return PathKind::missing;
    struct stat info{};
    if (stat(utf8Path.c_str(), &info) != 0)
        return PathKind::missing;
    return S_ISDIR(info.st_mode) ? PathKind::folder : PathKind::other;
}

PathKind pathKind(const std::u16string& path)
{
    try {
        return pathKind(pathToBytes(path));
    } catch (const std::range_error&) {
        return PathKind::missing;
    }
}

std::string parentFolder(const std::string& utf8Path)
{
    const size_t slash = utf8Path.rfind('/');
    return slash == std::string::npos ? std::string() : utf8Path.substr(0, slash + 1);
}

} // namespace Vst
} // namespace Steinberg

// Windows has no realpath: _fullpath forms the absolute path and removes "." and "..", without
// requiring the path to exist.
#include "host/render/platform/RealPath.h"

#include <cstdlib>

namespace zephra {
namespace render {

bool realPath(const std::string& path, std::string& out)
{
    char buffer[_MAX_PATH];
    if (_fullpath(buffer, path.c_str(), _MAX_PATH) == nullptr)
        return false;
    out = buffer;
    return true;
}

}   // namespace render
}   // namespace zephra

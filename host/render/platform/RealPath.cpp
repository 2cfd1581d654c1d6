#include "host/render/platform/RealPath.h"

#include <climits>
#include <cstdlib>

namespace zephra {
namespace render {

bool realPath(const std::string& path, std::string& out)
{
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) == nullptr)
        return false;
    out = buffer;
    return true;
}

}   // namespace render
}   // namespace zephra

#pragma once
// The renderer's one use of realpath: a path's absolute form with "." and ".." (and, on POSIX,
// symbolic links) resolved. RealPath.cpp on POSIX (realpath), RealPathWin32.cpp on Windows
// (_fullpath).
// Threads: any. Not real-time safe (file system calls).
#include <string>

namespace zephra {
namespace render {

// True with out set when the path can be resolved (on POSIX it must exist); false leaves out as
// it was.
bool realPath(const std::string& path, std::string& out);
// The resolved path, or path itself when it cannot be resolved.
inline std::string realPathOr(const std::string& path)
{
    std::string resolved;
    return realPath(path, resolved) ? resolved : path;
}

}   // namespace render
}   // namespace zephra

// The two POSIX path calls the renderer's portable files use, for the Windows build (forced
// into each of its files by the build; Linux builds never see it): realpath on _fullpath.
// Threads: any. Not real-time safe.
#pragma once

#include <climits>
#include <cstdlib>

#ifndef PATH_MAX
#define PATH_MAX _MAX_PATH
#endif

inline char* realpath(const char* path, char* resolved)
{
    return _fullpath(resolved, path, PATH_MAX);
}

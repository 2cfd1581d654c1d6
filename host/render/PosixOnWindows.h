// The POSIX path call the renderer's portable files use, for the Windows build (forced into
// each of its files by the build; Linux builds never see it): realpath, on _fullpath.
// Threads: any. Not real-time safe.
#pragma once

#include <climits>
#include <cstdlib>

#ifndef PATH_MAX
#define PATH_MAX _MAX_PATH
#endif

// The absolute form of path in resolved (PATH_MAX bytes); null when it cannot be formed.
char* realpath(const char* path, char* resolved);

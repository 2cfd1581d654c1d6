// The few POSIX calls the test helpers use (temporary folders, environment, paths), for the
// Windows build of the tests, which runs under Wine or Windows. Forced into every test file of
// a Windows build by tests/CMakeLists.txt; Linux builds never see it.
// Threads: the test's thread. Not real-time safe.
#pragma once

// M_PI and friends, which a strict -std=c++17 hides on Windows.
#define _USE_MATH_DEFINES

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <direct.h>
#include <io.h>
#include <process.h>

#ifndef PATH_MAX
#define PATH_MAX _MAX_PATH
#endif

inline char* mkdtemp(char* pattern)
{
    if (_mktemp_s(pattern, std::strlen(pattern) + 1) != 0 || _mkdir(pattern) != 0)
        return nullptr;
    return pattern;
}

inline int mkdir(const char* path, int) { return _mkdir(path); }

inline int setenv(const char* name, const char* value, int overwrite)
{
    if (!overwrite && std::getenv(name))
        return 0;
    return _putenv_s(name, value);
}

inline int unsetenv(const char* name) { return _putenv_s(name, ""); }

inline char* realpath(const char* path, char* resolved)
{
    return _fullpath(resolved, path, PATH_MAX);
}

#pragma once
// A temporary file without a name, for data that must not outlive the process: it disappears
// when it is closed or the process ends, whatever way it ends. AnonymousFile.cpp makes it on
// POSIX (created in $TMPDIR, else /tmp, and unlinked at once), AnonymousFileWin32.cpp on Windows
// (in the user's temporary folder, deleted on close).
//
// Threads: any. Not real-time safe (file I/O).
#include <cstdio>
#include <string>

namespace zephra {
namespace render {

// A stream open for reading and writing in binary, or null with a reason.
std::FILE* openAnonymousFile(std::string& error);

}   // namespace render
}   // namespace zephra

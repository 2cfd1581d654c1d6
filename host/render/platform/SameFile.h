#pragma once
// Whether two paths name one existing file (so writing one would destroy the other): the same
// device and inode on POSIX (SameFile.cpp), the same volume and file index on Windows
// (SameFileWin32.cpp, where the C library's stat has no inode numbers).
// Threads: any. Not real-time safe (file system).
#include <string>

namespace zephra {
namespace render {

bool sameFile(const std::string& a, const std::string& b);

}   // namespace render
}   // namespace zephra

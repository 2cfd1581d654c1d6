#pragma once
// The system's half of finding the bundle (BundleLocator.h does the search): the places looked
// in and the file checks. BundleCandidates.cpp for Linux, BundleCandidatesWin32.cpp for Windows.
//
// Threads: any. Not real-time safe (file system).
#include <string>
#include <vector>

namespace zephra {
namespace render {

// The folders searched, in order, for a bundle when none is given.
std::vector<std::string> bundleCandidates();
// Whether something exists at a UTF-8 path.
bool pathExists(const std::string& path);
// The path without "..", for messages; unchanged when it cannot be resolved.
std::string tidyPath(const std::string& path);

}   // namespace render
}   // namespace zephra

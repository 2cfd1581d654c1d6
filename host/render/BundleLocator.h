#pragma once
// Finds the plug-in bundle to load: an explicit path, else the bundle of the build tree the
// renderer was built in, else the system's standard VST3 folders. The search is the same on
// every system (BundleLocator.cpp); the places and the file checks are the system's own
// (BundleCandidates.cpp for Linux, BundleCandidatesWin32.cpp for Windows).
//
// Threads: any. Not real-time safe (file system).
#include <string>
#include <vector>

namespace zephra {
namespace render {

constexpr const char* kBundleName = "Zephra SF2 Player.vst3";

// The folders searched, in order, for a bundle when none is given.
std::vector<std::string> bundleCandidates();
// Whether something exists at a UTF-8 path.
bool pathExists(const std::string& path);
// The path without "..", for messages; unchanged when it cannot be resolved.
std::string tidyPath(const std::string& path);

// explicitPath when not empty (it must exist), else the first candidate that exists.
// False with the list of places looked at when there is none.
bool locateBundle(const std::string& explicitPath, std::string& bundlePath, std::string& error);

}   // namespace render
}   // namespace zephra

#pragma once
// Finds the plug-in bundle to load: an explicit path, else the bundle of the build tree the
// renderer was built in, else the system's standard VST3 folders. The search is the same on
// every system; the places and the file checks are the system's own (platform/BundleCandidates.h).
//
// Threads: any. Not real-time safe (file system).
#include <string>

namespace zephra {
namespace render {

constexpr const char* kBundleName = "Zephra SF2 Player.vst3";

// explicitPath when not empty (it must exist), else the first candidate that exists.
// False with the list of places looked at when there is none.
bool locateBundle(const std::string& explicitPath, std::string& bundlePath, std::string& error);

}   // namespace render
}   // namespace zephra

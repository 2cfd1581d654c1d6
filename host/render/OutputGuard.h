#pragma once
// Refuses output paths whose writing would destroy something: a path inside the plug-in bundle
// (its own binary among others), an input file, or a folder.
//
// Threads: any. Not real-time safe (file system).
#include <string>
#include <vector>

namespace zephra {
namespace render {

// False with a reason when path must not be written; "-" (standard output) always passes.
bool checkOutputPath(const std::string& path, const std::string& bundlePath, const std::vector<std::string>& inputs,
                     std::string& error);

} // namespace render
} // namespace zephra

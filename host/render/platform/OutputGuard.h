#pragma once
// Refuses output paths whose writing would destroy something: a path inside the plug-in bundle
// (its own binary among others), an input file, or a folder.
//
// Threads: any. Not real-time safe (file system).
#include <string>
#include <vector>

namespace zephra {
namespace render {

// Where writing path lands: a symbolic link (or a chain of them) is followed to the file it
// names, so that writing replaces that file and leaves the link in place. False with a reason
// for links that go round in a loop. "-" stays as it is.
bool followOutputLinks(const std::string& path, std::string& target, std::string& error);

// False with a reason when path must not be written; "-" (standard output) always passes.
bool checkOutputPath(const std::string& path, const std::string& bundlePath, const std::vector<std::string>& inputs,
                     std::string& error);

}   // namespace render
}   // namespace zephra

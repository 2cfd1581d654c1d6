#pragma once
// What is at a path: nothing, a folder or something else, and the folder that holds a file.
// Used where the user must be told plainly that a remembered file is gone, and to pick the
// folder a file dialog starts in.
// Threads: any; no state. Not real-time safe (asks the file system, allocates).
#include <string>

namespace Steinberg {
namespace Vst {

enum class PathKind { missing, folder, other };

// A path that cannot be converted counts as missing.
PathKind pathKind(const std::u16string& path);
PathKind pathKind(const std::string& utf8Path);

// Everything before the last "/" of path, with that "/" ("/a/b.sf2" -> "/a/"); empty when the
// path has no "/".
std::string parentFolder(const std::string& utf8Path);

} // namespace Vst
} // namespace Steinberg

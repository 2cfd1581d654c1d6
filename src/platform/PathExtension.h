#pragma once
// Finds the extension of a file path: the text of the last path component from its last "."
// on, dot included, or an empty text when that component has no ".".
// Threads: any; no state. Not real-time safe (allocates the result).
#include <string>

namespace Steinberg {
namespace Vst {

// Path components are separated by "/" (the POSIX separator; a backslash is an ordinary
// file-name character here). "/a.b/song.SF2" -> ".SF2", "/a.b/readme" -> "", "x." -> ".".
std::u16string pathExtension(const std::u16string& path);

} // namespace Vst
} // namespace Steinberg

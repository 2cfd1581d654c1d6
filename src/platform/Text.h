#pragma once
// Text helpers shared by the shell, controller and editor: UTF-8 <-> UTF-16 conversion,
// comma-separated item lists and substring replacement.
// Threads: any; no state. Not real-time safe (they allocate).
#include <stdexcept>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {

// UTF-8 bytes to UTF-16 units; characters outside the Basic Multilingual Plane become
// surrogate pairs (invalid input throws std::range_error("bad conversion")).
std::u16string fromUtf8(const std::string& bytes);
std::u16string fromUtf8(const char* bytes);
// UTF-16 units to UTF-8, a surrogate pair as one 4-byte sequence (a lone surrogate throws
// std::range_error("bad conversion")).
std::string toUtf8(const std::u16string& wide);
std::string toUtf8(const char16_t* wide);

// Cuts text at each "," (or a zero byte, which ends the text): "off,on" -> {"off","on"}.
// An empty text gives no item; adjacent commas give an empty item; a trailing comma gives
// no extra empty item.
std::vector<std::string> splitItems(const std::string& text);

// Replaces every occurrence of from by to, never searching the inserted text again.
// An empty from leaves the text unchanged.
std::string replaceAll(std::string text, const std::string& from, const std::string& to);

} // namespace Vst
} // namespace Steinberg

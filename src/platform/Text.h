#pragma once
// Text helpers shared by the shell, controller and editor: UTF-8 <-> UTF-16 conversion,
// paths whose bytes are not UTF-8, text made safe to show, comma-separated item lists and
// substring replacement.
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

// A file path's bytes (as the system gives them on Linux) as UTF-16: valid UTF-8 is decoded,
// and each byte that is not part of a valid sequence becomes the unpaired surrogate
// U+DC00 + byte, so the exact bytes come back from pathToBytes and the path still opens.
std::u16string pathFromBytes(const std::string& bytes);
// The inverse of pathFromBytes (throws std::range_error("bad conversion") for an unpaired
// surrogate that stands for no byte).
std::string pathToBytes(const std::u16string& path);

// True when bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUtf8(const std::string& bytes);
// UTF-8 safe to show: each byte that is not part of a valid sequence becomes U+FFFD.
std::string validUtf8(const std::string& bytes);
// UTF-16 text (a path included) as UTF-8 to show: unpaired surrogates become U+FFFD.
std::string displayText(const std::u16string& wide);

// Cuts text at each "," (or a zero byte, which ends the text): "off,on" -> {"off","on"}.
// An empty text gives no item; adjacent commas give an empty item; a trailing comma gives
// no extra empty item.
std::vector<std::string> splitItems(const std::string& text);

// Replaces every occurrence of from by to, never searching the inserted text again.
// An empty from leaves the text unchanged.
std::string replaceAll(std::string text, const std::string& from, const std::string& to);

} // namespace Vst
} // namespace Steinberg

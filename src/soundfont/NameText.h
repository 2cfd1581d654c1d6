#pragma once
// The text of a SoundFont's 20-byte name fields (presets, instruments, samples): the bytes up
// to the first zero byte, read as UTF-8 when they are UTF-8 and as Windows-1252 otherwise,
// which older fonts from Windows editors use. The result is always valid UTF-8.
// Threads: any; no state. Not real-time safe (allocates).
#include <cstddef>
#include <string>

namespace Steinberg {
namespace Vst {

// A UTF-8 name (one with characters beyond ASCII) that fills the whole field and was cut
// inside its last character keeps the characters before the cut: the writer ran out of room.
std::string soundFontNameText(const char* field, size_t fieldBytes);

template <size_t N>
std::string soundFontNameText(const char (&field)[N])
{
    return soundFontNameText(field, N);
}

} // namespace Vst
} // namespace Steinberg

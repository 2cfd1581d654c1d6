#pragma once
// Reads a PCM WAV file (44100 Hz, 16 or 24 bits, mono or stereo) into two float arrays.
//
// Threads: UI thread (controller); no shared state, so any thread may call it with its own
// outputs. Not real-time safe (file I/O, allocation).
#include <cstdint>
#include <memory>
#include <string>

namespace Steinberg {
namespace Vst {

// Yields true and hands out left and right (frameCount floats each, a mono file's right is a
// copy of left) with sampleRate 44100. Yields false at once, changing nothing, when left or
// right already holds an array; yields false without handing anything out for any file it
// refuses (unreadable, no "fmt " or "data", other rate, bit depth or channel count).
bool readWav(const std::u16string& path, std::unique_ptr<float[]>& left,
             std::unique_ptr<float[]>& right, int32_t& frameCount, int32_t& sampleRate);

} // namespace Vst
} // namespace Steinberg

#pragma once
// Streams stereo float audio into a WAV file through libsndfile, as 16-bit or 24-bit PCM or as
// 32-bit float. PCM output is clipped at full scale rather than wrapped. A file that is not
// finished with close() is removed, so a failed render leaves no half-written WAV behind.
//
// Threads: one thread per writer. Not real-time safe (file I/O).
#include <cstdint>
#include <string>

struct sf_private_tag;

namespace zephra {
namespace render {

enum class SampleFormat { Pcm16, Pcm24, Float32 };

// "16", "24" or "float"; false for anything else.
bool parseSampleFormat(const std::string& text, SampleFormat& format);

class WavOutput {
public:
    WavOutput() = default;
    ~WavOutput();
    WavOutput(const WavOutput&) = delete;
    WavOutput& operator=(const WavOutput&) = delete;

    // Creates (or replaces) the file. False with a reason when it cannot be written.
    bool open(const std::string& path, int sampleRate, SampleFormat format, std::string& error);
    // Appends frameCount frames from two channel buffers.
    bool write(const float* left, const float* right, int32_t frameCount, std::string& error);
    // Finishes the file (header sizes); false if that fails, in which case the file is removed.
    bool close(std::string& error);
    // Abandons the file: closes and removes it.
    void discard();

    int64_t framesWritten() const { return frames; }

private:
    sf_private_tag* file = nullptr;  // libsndfile's SNDFILE
    std::string path;
    int64_t frames = 0;
    float interleaved[2 * 1024] = {};
};

} // namespace render
} // namespace zephra

#include "WavOutput.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>

namespace zephra {
namespace render {

bool parseSampleFormat(const std::string& text, SampleFormat& format) {
    if (text == "16") format = SampleFormat::Pcm16;
    else if (text == "24") format = SampleFormat::Pcm24;
    else if (text == "float" || text == "32f" || text == "f32") format = SampleFormat::Float32;
    else return false;
    return true;
}

WavOutput::~WavOutput() {
    discard();
}

bool WavOutput::open(const std::string& outputPath, int sampleRate, SampleFormat format, std::string& error) {
    discard();
    SF_INFO info = {};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | (format == SampleFormat::Pcm16   ? SF_FORMAT_PCM_16
                                   : format == SampleFormat::Pcm24 ? SF_FORMAT_PCM_24
                                                                   : SF_FORMAT_FLOAT);
    file = sf_open(outputPath.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        error = "cannot write \"" + outputPath + "\": " + sf_strerror(nullptr);
        return false;
    }
    path = outputPath;
    frames = 0;
    // Without this, libsndfile wraps samples beyond full scale around to the other sign.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // The PEAK chunk of float files carries a time stamp; without it equal audio gives equal files.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    return true;
}

bool WavOutput::write(const float* left, const float* right, int32_t frameCount, std::string& error) {
    if (file == nullptr) {
        error = "no output file is open";
        return false;
    }
    const int32_t chunkFrames = static_cast<int32_t>(sizeof interleaved / sizeof interleaved[0] / 2);
    for (int32_t done = 0; done < frameCount;) {
        const int32_t count = std::min(chunkFrames, frameCount - done);
        for (int32_t i = 0; i < count; ++i) {
            interleaved[2 * i] = left[done + i];
            interleaved[2 * i + 1] = right[done + i];
        }
        if (sf_writef_float(file, interleaved, count) != count) {
            error = "writing \"" + path + "\" failed: " + sf_strerror(file);
            return false;
        }
        done += count;
        frames += count;
    }
    return true;
}

bool WavOutput::close(std::string& error) {
    if (file == nullptr) {
        error = "no output file is open";
        return false;
    }
    sf_write_sync(file);
    const int result = sf_close(file);
    file = nullptr;
    if (result != 0) {
        error = "finishing \"" + path + "\" failed: " + sf_error_number(result);
        std::remove(path.c_str());
        path.clear();
        return false;
    }
    path.clear();
    return true;
}

void WavOutput::discard() {
    if (file == nullptr) return;
    sf_close(file);
    file = nullptr;
    std::remove(path.c_str());
    path.clear();
}

} // namespace render
} // namespace zephra

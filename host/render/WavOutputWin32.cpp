// The WAV writer on Windows, where libsndfile has no build here: a small RIFF writer of our own
// that converts samples exactly as the Linux writer's library does (float times 2^31, rounded
// to nearest and clipped at full scale; 16-bit keeps the top two bytes, 24-bit the top three),
// so both platforms write the same samples. Paths are UTF-8, opened as UTF-16.
#include "WavOutput.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <vector>

namespace zephra {
namespace render {

namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), length);
    return out;
}

void put16(unsigned char* p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
void put32(unsigned char* p, uint32_t v) { put16(p, v); put16(p + 2, v >> 16); }

// Full-scale 32-bit value: float times 2^31, rounded to nearest, clipped.
int32_t toPcm32(float sample) {
    const float scaled = sample * (8.0f * float(0x10000000));
    if (scaled >= float(0x7FFFFFFF)) return 0x7FFFFFFF;
    if (scaled <= -8.0f * float(0x10000000)) return INT32_MIN;
    return int32_t(std::lrintf(scaled));
}

// The top 16 bits of the 32-bit value.
int16_t toPcm16(float sample) {
    return int16_t(toPcm32(sample) >> 16);
}

} // namespace

} // namespace render
} // namespace zephra

// The header leaves the writer's handle opaque (libsndfile's on Linux); here it is ours.
struct sf_private_tag {
    FILE* stream = nullptr;
    zephra::render::SampleFormat format = zephra::render::SampleFormat::Pcm16;
    int sampleRate = 44100;
};

namespace zephra {
namespace render {

namespace {
int bytesPerSample(SampleFormat format) {
    return format == SampleFormat::Pcm16 ? 2 : format == SampleFormat::Pcm24 ? 3 : 4;
}

// RIFF header for `frames` frames: "fmt " (PCM: 16 bytes; float: 18 bytes and a "fact" chunk).
std::vector<unsigned char> header(SampleFormat format, int sampleRate, int64_t frames) {
    const bool isFloat = format == SampleFormat::Float32;
    const uint32_t block = uint32_t(2 * bytesPerSample(format));
    const uint32_t dataBytes = uint32_t(std::min<int64_t>(frames * block, 0xFFFFFF00));
    std::vector<unsigned char> h(isFloat ? 58 : 44, 0);
    unsigned char* p = h.data();
    std::memcpy(p, "RIFF", 4);
    put32(p + 4, uint32_t(h.size() - 8) + dataBytes);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    put32(p + 16, isFloat ? 18 : 16);
    put16(p + 20, isFloat ? 3 : 1);
    put16(p + 22, 2);
    put32(p + 24, uint32_t(sampleRate));
    put32(p + 28, uint32_t(sampleRate) * block);
    put16(p + 32, block);
    put16(p + 34, uint32_t(8 * bytesPerSample(format)));
    unsigned char* next = p + 36;
    if (isFloat) {
        put16(next, 0);  // cbSize
        std::memcpy(next + 2, "fact", 4);
        put32(next + 6, 4);
        put32(next + 10, uint32_t(frames));
        next += 14;
    }
    std::memcpy(next, "data", 4);
    put32(next + 4, dataBytes);
    return h;
}
} // namespace

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
    FILE* out = _wfopen(wide(outputPath).c_str(), L"wb");
    if (out == nullptr) {
        error = "cannot write \"" + outputPath + "\": " + std::strerror(errno);
        return false;
    }
    file = new sf_private_tag{out, format, sampleRate};
    path = outputPath;
    frames = 0;
    // Sizes are filled in by close(); until then the header says zero frames.
    const std::vector<unsigned char> initial = header(format, sampleRate, 0);
    if (std::fwrite(initial.data(), 1, initial.size(), out) != initial.size()) {
        error = "writing \"" + path + "\" failed";
        discard();
        return false;
    }
    return true;
}

bool WavOutput::write(const float* left, const float* right, int32_t frameCount, std::string& error) {
    if (file == nullptr) {
        error = "no output file is open";
        return false;
    }
    const SampleFormat format = file->format;
    const int bytes = bytesPerSample(format);
    unsigned char buffer[2 * 4 * 1024];
    const int32_t chunkFrames = 1024;
    for (int32_t done = 0; done < frameCount;) {
        const int32_t count = std::min(chunkFrames, frameCount - done);
        unsigned char* p = buffer;
        for (int32_t i = 0; i < count; ++i) {
            for (const float sample : {left[done + i], right[done + i]}) {
                if (format == SampleFormat::Pcm16) {
                    put16(p, uint16_t(toPcm16(sample)));
                } else if (format == SampleFormat::Pcm24) {
                    const uint32_t value = uint32_t(toPcm32(sample));
                    p[0] = uint8_t(value >> 8);
                    p[1] = uint8_t(value >> 16);
                    p[2] = uint8_t(value >> 24);
                } else {
                    uint32_t bits;
                    std::memcpy(&bits, &sample, 4);
                    put32(p, bits);
                }
                p += bytes;
            }
        }
        const size_t size = size_t(p - buffer);
        if (std::fwrite(buffer, 1, size, file->stream) != size) {
            error = "writing \"" + path + "\" failed: " + std::strerror(errno);
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
    const std::vector<unsigned char> final = header(file->format, file->sampleRate, frames);
    FILE* out = file->stream;
    const bool ok = std::fseek(out, 0, SEEK_SET) == 0 &&
                    std::fwrite(final.data(), 1, final.size(), out) == final.size();
    const bool closed = std::fclose(out) == 0;
    delete file;
    file = nullptr;
    if (!ok || !closed) {
        error = "finishing \"" + path + "\" failed";
        _wremove(wide(path).c_str());
        path.clear();
        return false;
    }
    path.clear();
    return true;
}

void WavOutput::discard() {
    if (file == nullptr) return;
    std::fclose(file->stream);
    delete file;
    file = nullptr;
    _wremove(wide(path).c_str());
    path.clear();
}

} // namespace render
} // namespace zephra

#include "FloatSpool.h"

#include "soundfont/SampleBits.h"
#include "host/render/platform/AnonymousFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace zephra {
namespace render {

using Steinberg::Vst::kInfinityBits;
using Steinberg::Vst::kOneBits;
using Steinberg::Vst::magnitudeBits;
using Steinberg::Vst::magnitudeOf;

namespace {

constexpr size_t kBufferFrames = 16384;

}   // namespace

FloatSpool::~FloatSpool()
{
    if (file != nullptr)
        std::fclose(file);
}

bool FloatSpool::open(std::string& error)
{
    file = openAnonymousFile(error);
    if (file == nullptr)
        return false;
    buffer.reserve(2 * kBufferFrames);
    return true;
}

bool FloatSpool::consume(const float* left, const float* right, int32_t frameCount, std::string& error)
{
    if (file == nullptr) {
        error = "the render's temporary file is not open";
        return false;
    }
    // Piece by piece into the buffer's room, with the level kept in locals (stores into the
    // buffer cannot change them), so the loops stay free of memory round trips.
    for (int32_t done = 0; done < frameCount;) {
        const int32_t frames = static_cast<int32_t>(
            std::min<size_t>(static_cast<size_t>(frameCount - done), kBufferFrames - buffer.size() / 2));
        const size_t at = buffer.size();
        buffer.resize(at + 2 * static_cast<size_t>(frames));
        float* out = buffer.data() + at;
        // Interleaved, with the magnitudes compared as bits (a NaN's lie above infinity's), so
        // the loop has no branch; a stretch with a non-finite sample is mended afterwards.
        int32_t largest = 0, above = 0;   // 32-bit, as the vector lanes are (a piece is 16384 frames at most)
        for (int32_t i = 0; i < frames; ++i) {
            const float l = left[done + i], r = right[done + i];
            out[2 * i] = l;
            out[2 * i + 1] = r;
            const int32_t lb = magnitudeBits(l), rb = magnitudeBits(r);
            largest = std::max(largest, std::max(lb, rb));
            above += (lb > kOneBits ? 1 : 0) + (rb > kOneBits ? 1 : 0);
        }
        if (largest >= kInfinityBits) {
            largest = 0;
            above = 0;
            for (int32_t i = 0; i < 2 * frames; ++i) {
                if (magnitudeBits(out[i]) >= kInfinityBits) {
                    out[i] = 0.f;
                    ++nonFiniteCount;
                }
                largest = std::max(largest, magnitudeBits(out[i]));
                above += magnitudeBits(out[i]) > kOneBits ? 1 : 0;
            }
        }
        peakLevel = std::max(peakLevel, magnitudeOf(largest));
        aboveCount += above;
        done += frames;
        if (buffer.size() >= 2 * kBufferFrames && !flush(error))
            return false;
    }
    spooledFrames += frameCount;
    return true;
}

bool FloatSpool::flush(std::string& error)
{
    if (!buffer.empty() && std::fwrite(buffer.data(), sizeof(float), buffer.size(), file) != buffer.size()) {
        error = std::string("writing the render's temporary file failed: ") + std::strerror(errno);
        return false;
    }
    buffer.clear();
    return true;
}

bool FloatSpool::rewind(std::string& error)
{
    if (file == nullptr || !flush(error)) {
        if (file == nullptr)
            error = "the render's temporary file is not open";
        return false;
    }
    if (std::fflush(file) != 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        error = std::string("reading the render's temporary file failed: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool FloatSpool::read(float* out, int32_t frameCount, std::string& error)
{
    const size_t wanted = 2 * static_cast<size_t>(frameCount);
    if (file == nullptr || std::fread(out, sizeof(float), wanted, file) != wanted) {
        error = "the render's temporary file ended early";
        return false;
    }
    return true;
}

}   // namespace render
}   // namespace zephra

// WAV reading on the RIFF index: "fmt " checked, "data" converted to floats by its two most
// significant bytes per sample.
#include "soundfont/WavReader.h"

#include "soundfont/RiffFile.h"

#include <cstring>
#include <new>
#include <vector>

namespace Steinberg {
namespace Vst {

namespace {

constexpr float perSampleStep = 3.0518509e-05f;  // 1/32767

struct PcmFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

// Fields a short "fmt " chunk does not hold stay zero, which refuses the file.
bool readFormat(RiffFile& file, PcmFormat& format)
{
    uint8_t bytes[16] = {};
    if (!file.readChunk(RiffFile::id("fmt "), bytes, sizeof bytes, 0))
        return false;
    const auto u16 = [&](int at) { return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8)); };
    const auto u32 = [&](int at) { return static_cast<uint32_t>(u16(at)) | (static_cast<uint32_t>(u16(at + 2)) << 16); };
    format.formatTag = u16(0);
    format.channels = u16(2);
    format.sampleRate = u32(4);
    format.byteRate = u32(8);
    format.blockAlign = u16(12);
    format.bitsPerSample = u16(14);
    return true;
}

} // namespace

bool readWav(const std::u16string& path, std::unique_ptr<float[]>& left, std::unique_ptr<float[]>& right,
             int32_t& frameCount, int32_t& sampleRate)
{
    if (left || right)
        return false;
    RiffFile file;  // closed with its index on every return
    if (!file.open(path) || file.fileSize() == 0)
        return false;

    PcmFormat format;
    if (!readFormat(file, format))
        return false;
    if (format.sampleRate != 44100 || (format.bitsPerSample != 16 && format.bitsPerSample != 24) ||
        (format.channels != 1 && format.channels != 2))
        return false;

    const uint32_t dataId = RiffFile::id("data");
    if (!file.hasChunk(dataId))
        return false;
    // The stated size as far as the file holds it: memory never exceeds the file size.
    std::vector<uint8_t> data(file.availableSize(dataId));
    uint32_t got = 0;
    file.readChunk(dataId, data.data(), static_cast<uint32_t>(data.size()), 0, &got);
    data.resize(got);

    const uint32_t bytesPerSample = format.bitsPerSample / 8u;
    const uint32_t frameBytes = bytesPerSample * format.channels;
    const uint32_t frames = static_cast<uint32_t>(data.size()) / frameBytes;

    std::unique_ptr<float[]> l(new (std::nothrow) float[frames]);
    std::unique_ptr<float[]> r(new (std::nothrow) float[frames]);
    if (!l || !r)
        return false;
    for (uint32_t i = 0; i < frames; ++i) {
        for (uint32_t c = 0; c < format.channels; ++c) {
            // The upper two bytes of the little-endian sample; a 24-bit sample's low byte drops.
            const uint8_t* top = data.data() + i * frameBytes + c * bytesPerSample + (bytesPerSample - 2);
            const auto v = static_cast<int16_t>(static_cast<uint16_t>(top[0] | (top[1] << 8)));
            (c == 0 ? l : r)[i] = v * perSampleStep;
        }
    }
    if (format.channels == 1 && frames != 0)
        std::memcpy(r.get(), l.get(), frames * sizeof(float));

    left = std::move(l);
    right = std::move(r);
    frameCount = static_cast<int32_t>(frames);
    sampleRate = 44100;
    return true;
}

} // namespace Vst
} // namespace Steinberg

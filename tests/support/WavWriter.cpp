#include "support/WavWriter.h"

namespace zephra {
namespace test {

void appendLe16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void appendLe32(std::vector<uint8_t>& out, uint32_t value)
{
    appendLe16(out, static_cast<uint16_t>(value));
    appendLe16(out, static_cast<uint16_t>(value >> 16));
}

void appendChunk(std::vector<uint8_t>& out, const RawChunk& chunk)
{
    for (size_t i = 0; i < 4; ++i)
        out.push_back(i < chunk.id.size() ? static_cast<uint8_t>(chunk.id[i]) : ' ');
    appendLe32(out, chunk.statedSize < 0 ? static_cast<uint32_t>(chunk.data.size())
                                         : static_cast<uint32_t>(chunk.statedSize));
    out.insert(out.end(), chunk.data.begin(), chunk.data.end());
    if (chunk.pad && chunk.data.size() % 2 != 0)
        out.push_back(0);
}

RawChunk listChunk(const std::string& listType, const std::vector<RawChunk>& chunks)
{
    RawChunk list{"LIST", {}};
    list.data.assign(listType.begin(), listType.end());
    list.data.resize(4, ' ');
    for (const RawChunk& chunk : chunks)
        appendChunk(list.data, chunk);
    return list;
}

std::vector<uint8_t> riffFile(const std::string& formType, const std::vector<RawChunk>& chunks)
{
    RawChunk riff{"RIFF", {}};
    riff.data.assign(formType.begin(), formType.end());
    riff.data.resize(4, ' ');
    for (const RawChunk& chunk : chunks)
        appendChunk(riff.data, chunk);
    std::vector<uint8_t> out;
    appendChunk(out, riff);
    return out;
}

std::vector<uint8_t> pcmFormat(int channels, int bitsPerSample, uint32_t sampleRate)
{
    std::vector<uint8_t> fmt;
    const auto blockAlign = static_cast<uint16_t>(channels * ((bitsPerSample + 7) / 8));
    appendLe16(fmt, 1);
    appendLe16(fmt, static_cast<uint16_t>(channels));
    appendLe32(fmt, sampleRate);
    appendLe32(fmt, sampleRate * blockAlign);
    appendLe16(fmt, blockAlign);
    appendLe16(fmt, static_cast<uint16_t>(bitsPerSample));
    return fmt;
}

std::vector<uint8_t> makeWav(int channels, int bitsPerSample, uint32_t sampleRate,
                             const std::vector<int32_t>& interleavedSamples)
{
    RawChunk data{"data", {}};
    const int bytes = (bitsPerSample + 7) / 8;
    for (int32_t sample : interleavedSamples) {
        auto value = static_cast<uint32_t>(bitsPerSample == 8 ? sample + 128 : sample);
        for (int b = 0; b < bytes; ++b)
            data.data.push_back(static_cast<uint8_t>(value >> (8 * b)));
    }
    return riffFile("WAVE", {RawChunk{"fmt ", pcmFormat(channels, bitsPerSample, sampleRate)}, data});
}

} // namespace test
} // namespace zephra

#pragma once
// Builds RIFF and WAV files in memory for the tests.
// Threads: any; no state. Not real-time safe.
#include <cstdint>
#include <string>
#include <vector>

namespace zephra {
namespace test {

// One chunk as written: four-character ID, stated size (by default the data's length) and
// data; an odd-sized chunk gets a pad byte only when pad is true.
struct RawChunk {
    std::string id;              // exactly four characters
    std::vector<uint8_t> data;
    int64_t statedSize = -1;     // -1: data.size(); otherwise written as is (may lie)
    bool pad = true;
};

void appendLe16(std::vector<uint8_t>& out, uint16_t value);
void appendLe32(std::vector<uint8_t>& out, uint32_t value);
// Appends "ID" + size + data (+ pad byte when odd and chunk.pad).
void appendChunk(std::vector<uint8_t>& out, const RawChunk& chunk);
// A "LIST" chunk of the given list type holding the chunks.
RawChunk listChunk(const std::string& listType, const std::vector<RawChunk>& chunks);
// A whole "RIFF" file of the given form type.
std::vector<uint8_t> riffFile(const std::string& formType, const std::vector<RawChunk>& chunks);

// The 16-byte PCM "fmt " body.
std::vector<uint8_t> pcmFormat(int channels, int bitsPerSample, uint32_t sampleRate);
// Sample values are written as bitsPerSample-bit little-endian integers (8-bit unsigned
// offset binary as in WAV), channels interleaved.
std::vector<uint8_t> makeWav(int channels, int bitsPerSample, uint32_t sampleRate,
                             const std::vector<int32_t>& interleavedSamples);

} // namespace test
} // namespace zephra

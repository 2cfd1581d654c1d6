#pragma once
// A RIFF file opened for reading with a flat index from chunk ID to the position of the
// chunk's size field, built by one walk over the file. "RIFF" and "LIST" are entered, not
// indexed; every other chunk of every list lands in the one index, the last occurrence of an
// ID winning. After an odd-sized chunk a writer may or may not have put the standard's pad
// byte: it is skipped only when no chunk identifier starts right after the data, so both
// layouts are walked.
//
// Threads: UI thread (the readers); one object is used by one thread at a time.
// Not real-time safe (file I/O).
#include "platform/File.h"

#include <cstdint>
#include <map>
#include <string>

namespace Steinberg {
namespace Vst {

class RiffFile {
public:
    RiffFile() = default;
    explicit RiffFile(const std::u16string& path) { open(path); }

    // Opens the file and walks it; a failed open leaves a null handle and an empty index.
    bool open(const std::u16string& path);
    // Closes the file and discards the index.
    void close() noexcept;
    bool isOpen() const noexcept { return file.isOpen(); }

    uint32_t fileSize() const noexcept { return size; }
    bool hasChunk(uint32_t id) const noexcept { return index.count(id) != 0; }
    // The chunk's size as stored in the file; false when the ID is not indexed.
    bool chunkSize(uint32_t id, uint32_t& stated);
    // The part of the stated size the file really holds (the stated size clamped to the end
    // of the file); 0 when the ID is not indexed.
    uint32_t availableSize(uint32_t id);
    // Reads min(chunk size, maxLength) bytes starting offset bytes into the chunk's data.
    // False when the ID is not indexed. Only bytes the file holds are written to buffer;
    // bytesRead (when given) receives their number.
    bool readChunk(uint32_t id, void* buffer, uint32_t maxLength, uint32_t offset,
                   uint32_t* bytesRead = nullptr);

    const std::map<uint32_t, int32_t>& chunkIndex() const noexcept { return index; }
    uint64_t bytesRead() const noexcept { return file.bytesRead(); }
    // Identity of the open file (see FileIdentity); false when closed.
    bool identity(FileIdentity& out) const noexcept { return file.identity(out); }

    // "smpl" -> 0x6C706D73: the four ID bytes read as one little-endian value.
    static constexpr uint32_t id(const char (&text)[5]) noexcept
    {
        return static_cast<uint32_t>(static_cast<unsigned char>(text[0])) |
               (static_cast<uint32_t>(static_cast<unsigned char>(text[1])) << 8) |
               (static_cast<uint32_t>(static_cast<unsigned char>(text[2])) << 16) |
               (static_cast<uint32_t>(static_cast<unsigned char>(text[3])) << 24);
    }

private:
    void walk();

    File file;
    uint32_t size = 0;
    std::map<uint32_t, int32_t> index;  // chunk ID -> file position of its size field
};

} // namespace Vst
} // namespace Steinberg

#pragma once
// Identity of a file on disk, as the file layer reports it for an open file.
// Threads: any (a plain value). Real-time safe.
#include <cstdint>

namespace Steinberg {
namespace Vst {

// What tells one file on disk from another and from an earlier version of itself: the device
// and file number it lives at, its size and its modification time. Data read from a file with
// an equal identity may be reused; a rewritten file gets a new modification time or size.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t fileNumber = 0;      // POSIX: the inode
    uint64_t size = 0;
    int64_t modifiedSeconds = 0;
    int64_t modifiedNanoseconds = 0;

    bool operator==(const FileIdentity& o) const noexcept
    {
        return device == o.device && fileNumber == o.fileNumber && size == o.size &&
               modifiedSeconds == o.modifiedSeconds && modifiedNanoseconds == o.modifiedNanoseconds;
    }
    bool operator<(const FileIdentity& o) const noexcept;
};

} // namespace Vst
} // namespace Steinberg

#pragma once
// The platform's file layer for the readers: open for reading by a UTF-16 path, seek
// (absolute, relative, from the end), read, close. A File whose open failed holds a null
// handle, and then every operation does nothing (seek yields -1, read yields 0).
// File.cpp implements it on POSIX (a file descriptor), FileWin32.cpp on Windows (CreateFileW,
// which keeps non-ASCII names; the handle value -1 is INVALID_HANDLE_VALUE there too).
//
// Threads: any; one File is used by one thread at a time. Not real-time safe (file I/O).
#include "platform/FileIdentity.h"

#include <cstdint>
#include <string>

namespace Steinberg {
namespace Vst {

class File {
public:
    enum class Origin { begin, current, end };

    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    // Moving hands the handle over; the source is left with a null handle.
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    // Closes any open file first. False (and a null handle) when the path cannot be
    // converted or opened, or names something other than a regular file.
    bool open(const std::u16string& path);
    bool isOpen() const noexcept;
    // New position from the start of the file, or -1 (null handle, or a position before 0).
    int64_t seek(int64_t offset, Origin origin) noexcept;
    // Reads up to byteCount bytes at the current position; yields the number read
    // (0 at the end of the file, on an error, or with a null handle).
    int64_t read(void* buffer, int64_t byteCount) noexcept;
    void close() noexcept;
    // The identity of the open file (taken from the open handle, not the path, so it names
    // the very file that is read). False with a null handle or when the system cannot tell.
    bool identity(FileIdentity& out) const noexcept;
    // Bytes read through this object since it was made: lets callers show that a reader
    // only touches what it needs.
    uint64_t bytesRead() const noexcept { return totalRead; }

private:
    intptr_t handle = -1;  // the descriptor or HANDLE; -1 is the null handle on both
    uint64_t totalRead = 0;
};

} // namespace Vst
} // namespace Steinberg

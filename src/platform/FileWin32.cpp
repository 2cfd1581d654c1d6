// Win32 implementation of the file layer: a file HANDLE from CreateFileW stands for the handle.
// CreateFileW keeps every character of a UTF-16 path (the multimedia file functions lose
// non-ASCII names under some Windows layers), and reads and seeks go straight to the file.
#include "platform/File.h"

#include <windows.h>

namespace Steinberg {
namespace Vst {

namespace {
HANDLE toHandle(intptr_t value) { return reinterpret_cast<HANDLE>(value); }
const intptr_t kNullHandle = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
} // namespace

File::~File() { close(); }

File::File(File&& other) noexcept : handle(other.handle), totalRead(other.totalRead) { other.handle = kNullHandle; }

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        close();
        handle = other.handle;
        totalRead = other.totalRead;
        other.handle = kNullHandle;
    }
    return *this;
}

bool File::open(const std::u16string& path)
{
    close();
    if (path.empty() || path.find(u'\0') != std::u16string::npos)
        return false;
    const HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(path.c_str()), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Folders, pipes and devices would make reads fail or never end: only disk files.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(file);
        return false;
    }
    handle = reinterpret_cast<intptr_t>(file);
    return true;
}

bool File::isOpen() const noexcept { return handle != kNullHandle; }

int64_t File::seek(int64_t offset, Origin origin) noexcept
{
    if (handle == kNullHandle)
        return -1;
    const DWORD method = origin == Origin::begin ? FILE_BEGIN : origin == Origin::current ? FILE_CURRENT : FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    // Windows refuses a position before the start, as lseek does.
    if (!SetFilePointerEx(toHandle(handle), distance, &position, method))
        return -1;
    return position.QuadPart;
}

int64_t File::read(void* buffer, int64_t byteCount) noexcept
{
    if (handle == kNullHandle || buffer == nullptr || byteCount <= 0)
        return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    int64_t total = 0;
    while (total < byteCount) {
        const int64_t remaining = byteCount - total;
        const DWORD chunk = remaining > (1 << 30) ? DWORD(1 << 30) : DWORD(remaining);
        DWORD got = 0;
        if (!ReadFile(toHandle(handle), out + total, chunk, &got, nullptr) || got == 0)
            break;
        total += got;
    }
    totalRead += static_cast<uint64_t>(total);
    return total;
}

// The volume serial number and file index name the file on its volume the way device and inode
// do on POSIX; the last write time (100 ns units since 1601) stands for the modification time.
bool File::identity(FileIdentity& out) const noexcept
{
    if (handle == kNullHandle)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(toHandle(handle), &info))
        return false;
    const uint64_t written = (uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    out.device = info.dwVolumeSerialNumber;
    out.fileNumber = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    out.size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    out.modifiedSeconds = static_cast<int64_t>(written / 10000000u);
    out.modifiedNanoseconds = static_cast<int64_t>(written % 10000000u) * 100;
    return true;
}

void File::close() noexcept
{
    if (handle != kNullHandle)
        CloseHandle(toHandle(handle));
    handle = kNullHandle;
}

} // namespace Vst
} // namespace Steinberg

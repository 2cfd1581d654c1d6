// POSIX implementation of the file layer: a file descriptor stands for the handle.
#include "platform/File.h"

#include "platform/Text.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace Steinberg {
namespace Vst {

File::~File() { close(); }

File::File(File&& other) noexcept : handle(other.handle), totalRead(other.totalRead) { other.handle = -1; }

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        close();
        handle = other.handle;
        totalRead = other.totalRead;
        other.handle = -1;
    }
    return *this;
}

bool File::open(const std::u16string& path)
{
    close();
    std::string bytes;
    try {
        bytes = pathToBytes(path);   // the exact bytes, also where they are not UTF-8
    } catch (const std::range_error&) {
        return false;
    }
    if (bytes.empty() || bytes.find('\0') != std::string::npos)
        return false;
    // Non-blocking, so that opening a FIFO cannot wait for a writer; it is refused below.
    const int fd = ::open(bytes.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    // Directories and devices would make reads fail or never end: only regular files.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    handle = fd;
    return true;
}

bool File::isOpen() const noexcept { return handle >= 0; }

bool File::identity(FileIdentity& out) const noexcept
{
    if (handle < 0)
        return false;
    struct stat info {};
    if (::fstat(static_cast<int>(handle), &info) != 0)
        return false;
    out.device = static_cast<uint64_t>(info.st_dev);
    out.fileNumber = static_cast<uint64_t>(info.st_ino);
    out.size = static_cast<uint64_t>(info.st_size);
    out.modifiedSeconds = static_cast<int64_t>(info.st_mtim.tv_sec);
    out.modifiedNanoseconds = static_cast<int64_t>(info.st_mtim.tv_nsec);
    return true;
}

int64_t File::seek(int64_t offset, Origin origin) noexcept
{
    if (handle < 0)
        return -1;
    const int whence = origin == Origin::begin ? SEEK_SET : origin == Origin::current ? SEEK_CUR : SEEK_END;
    const off_t position = ::lseek(static_cast<int>(handle), static_cast<off_t>(offset), whence);
    return position < 0 ? -1 : static_cast<int64_t>(position);
}

int64_t File::read(void* buffer, int64_t byteCount) noexcept
{
    if (handle < 0 || buffer == nullptr || byteCount <= 0)
        return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    int64_t total = 0;
    while (total < byteCount) {
        const ssize_t got = ::read(static_cast<int>(handle), out + total, static_cast<size_t>(byteCount - total));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        total += got;
    }
    totalRead += static_cast<uint64_t>(total);
    return total;
}

void File::close() noexcept
{
    if (handle >= 0)
        ::close(static_cast<int>(handle));
    handle = -1;
}

} // namespace Vst
} // namespace Steinberg

// Windows cannot remove a name while the file is open, so the file is made in the user's
// temporary folder with FILE_FLAG_DELETE_ON_CLOSE: the system deletes it when the last handle
// closes, also when the process is killed.
#include "host/render/platform/AnonymousFile.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

namespace zephra {
namespace render {

std::FILE* openAnonymousFile(std::string& error)
{
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    wchar_t path[MAX_PATH + 1];
    if (length == 0 || length > MAX_PATH || GetTempFileNameW(folder, L"zr", 0, path) == 0) {
        error = "cannot create a temporary file for the render in the temporary folder (error " +
                std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    // GetTempFileNameW made the file; it is opened again to be deleted on close.
    const HANDLE handle = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, TRUNCATE_EXISTING,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = "cannot create a temporary file for the render (error " + std::to_string(GetLastError()) + ")";
        DeleteFileW(path);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    std::FILE* file = fd >= 0 ? _fdopen(fd, "w+b") : nullptr;
    if (file == nullptr) {
        if (fd >= 0)
            _close(fd);
        else
            CloseHandle(handle);
        error = "cannot use the temporary file for the render";
        return nullptr;
    }
    return file;
}

}   // namespace render
}   // namespace zephra

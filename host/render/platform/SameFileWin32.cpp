#include "host/render/platform/SameFile.h"

#include "platform/Text.h"

#include <windows.h>

namespace zephra {
namespace render {

namespace {
// Volume serial number and file index of an existing file; false when it cannot be opened (a
// name that is not UTF-8 names no file).
bool identity(const std::string& utf8, BY_HANDLE_FILE_INFORMATION& info)
{
    std::u16string path;
    try {
        path = Steinberg::Vst::fromUtf8(utf8);
    } catch (const std::range_error&) {
        return false;
    }
    if (path.empty())
        return false;
    const HANDLE file =
        CreateFileW(reinterpret_cast<LPCWSTR>(path.c_str()), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return known;
}
}   // namespace

bool sameFile(const std::string& a, const std::string& b)
{
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return identity(a, first) && identity(b, second) && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

}   // namespace render
}   // namespace zephra

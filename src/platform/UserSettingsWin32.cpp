// The per-user settings file on Windows: the roaming application data folder (FOLDERID_RoamingAppData),
// files written through CreateFileW and replaced with MoveFileExW, so any user name works.
#include "platform/UserSettings.h"


#include <windows.h>
#include <shlobj.h>

namespace Steinberg {
namespace Vst {

namespace {

LPCWSTR wide(const std::u16string& text)
{
    return reinterpret_cast<LPCWSTR>(text.c_str());
}

// Makes every missing folder of the path up to its last separator.
bool makeParentFolders(const std::u16string& path)
{
    for (size_t at = path.find_first_of(u"\\/", 3); at != std::u16string::npos;
         at = path.find_first_of(u"\\/", at + 1)) {
        const std::u16string folder = path.substr(0, at);
        if (!CreateDirectoryW(wide(folder), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return true;
}

} // namespace

std::u16string userConfigFolder()
{
    PWSTR found = nullptr;
    std::u16string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &found)) && found)
        folder = reinterpret_cast<const char16_t*>(found);
    CoTaskMemFree(found);
    if (!folder.empty() && folder.back() != u'\\')
        folder += u'\\';
    return folder;
}

std::u16string userSettingsPath(const std::u16string& vendor, const std::u16string& product,
                                const std::u16string& fileName)
{
    const std::u16string folder = userConfigFolder();
    return folder.empty() ? folder : folder + vendor + u"\\" + product + u"\\" + fileName;
}

bool replaceFile(const std::u16string& path, const std::string& bytes)
{
    if (path.empty() || path.find(u'\0') != std::u16string::npos || !makeParentFolders(path))
        return false;
    const std::u16string temporary = path + u".new";
    const HANDLE file = CreateFileW(wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool complete = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                          written == bytes.size();
    CloseHandle(file);
    if (!complete || !MoveFileExW(wide(temporary), wide(path), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(wide(temporary));
        return false;
    }
    return true;
}

} // namespace Vst
} // namespace Steinberg

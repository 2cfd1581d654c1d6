// The output path checks on Windows: the same refusals as on POSIX, with Windows paths (either
// separator, names compared without regard to letter case, UTF-8 names opened as UTF-16).
#include "host/render/platform/OutputGuard.h"
#include "host/render/platform/SameFile.h"

#include "host/platform/WideText.h"

#include <windows.h>

#include <algorithm>

namespace zephra {
namespace render {

using host::widen;

namespace {

// The absolute path with backslashes and lower-case letters (for comparison only); empty when
// the system cannot form it.
std::wstring comparable(const std::string& path)
{
    const std::wstring in = widen(path);
    if (in.empty())
        return {};
    const DWORD length = GetFullPathNameW(in.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return {};
    std::wstring out(length, L'\0');
    const DWORD written = GetFullPathNameW(in.c_str(), length, out.data(), nullptr);
    if (written == 0 || written >= length)
        return {};
    out.resize(written);
    std::replace(out.begin(), out.end(), L'/', L'\\');
    CharLowerBuffW(out.data(), DWORD(out.size()));
    while (out.size() > 3 && out.back() == L'\\')
        out.pop_back();
    return out;
}

}   // namespace

bool followOutputLinks(const std::string& path, std::string& target, std::string& error)
{
    (void)error;
    target = path;
    if (path == "-")
        return true;
    const std::wstring wide = widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    HANDLE file = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return true;   // a link to nothing is replaced as a file would be
    std::wstring resolved(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file, resolved.data(), DWORD(resolved.size()), FILE_NAME_NORMALIZED);
    CloseHandle(file);
    if (length == 0 || length >= resolved.size())
        return true;
    resolved.resize(length);
    if (resolved.rfind(L"\\\\?\\UNC\\", 0) == 0)
        resolved = L"\\\\" + resolved.substr(8);
    else if (resolved.rfind(L"\\\\?\\", 0) == 0)
        resolved = resolved.substr(4);
    target = host::narrow(resolved);
    return true;
}

bool checkOutputPath(const std::string& path, const std::string& bundlePath, const std::vector<std::string>& inputs,
                     std::string& error)
{
    if (path == "-")
        return true;
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = "the output \"" + path + "\" is a folder; give a file name";
        return false;
    }
    for (const std::string& input : inputs)
        if (!input.empty() && sameFile(path, input)) {
            error = "the output \"" + path + "\" is an input file; choose another name";
            return false;
        }
    const std::wstring place = comparable(path);
    const std::wstring bundle = comparable(bundlePath);
    if (!place.empty() && !bundle.empty() &&
        (place == bundle || place.compare(0, bundle.size() + 1, bundle + L"\\") == 0)) {
        error = "the output \"" + path + "\" lies inside the plug-in bundle \"" + bundlePath +
                "\"; choose a place outside it";
        return false;
    }
    return true;
}

}   // namespace render
}   // namespace zephra

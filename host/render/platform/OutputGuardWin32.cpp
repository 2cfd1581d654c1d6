// The output path checks on Windows: the same refusals as on POSIX, with Windows paths (either
// separator, names compared without regard to letter case, UTF-8 names opened as UTF-16).
#include "host/render/platform/OutputGuard.h"
#include "host/render/platform/SameFile.h"

#include "platform/Text.h"

#include <windows.h>

#include <algorithm>

namespace zephra {
namespace render {

using Steinberg::Vst::fromUtf8;
using Steinberg::Vst::toUtf8;

namespace {

// The absolute path with backslashes and lower-case letters (for comparison only); empty when
// the system cannot form it or the path is not UTF-8.
std::wstring comparable(const std::string& path)
{
    std::u16string wide;
    try {
        wide = fromUtf8(path);
    } catch (const std::range_error&) {
        return {};
    }
    if (wide.empty())
        return {};
    const auto in = reinterpret_cast<LPCWSTR>(wide.c_str());
    const DWORD length = GetFullPathNameW(in, 0, nullptr, nullptr);
    if (length == 0)
        return {};
    std::wstring out(length, L'\0');
    const DWORD written = GetFullPathNameW(in, length, out.data(), nullptr);
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
    target = path;
    if (path == "-")
        return true;
    std::u16string wide;
    try {
        wide = fromUtf8(path);
    } catch (const std::range_error&) {
        return true;   // checkOutputPath refuses the name
    }
    const auto name = reinterpret_cast<LPCWSTR>(wide.c_str());
    const DWORD attributes = GetFileAttributesW(name);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    HANDLE file = CreateFileW(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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
    try {
        target = toUtf8(std::u16string(resolved.begin(), resolved.end()));
    } catch (const std::range_error&) {
        error = "the output \"" + path + "\" is a link to a file whose name is not valid UTF-16";
        return false;
    }
    return true;
}

bool checkOutputPath(const std::string& path, const std::string& bundlePath, const std::vector<std::string>& inputs,
                     std::string& error)
{
    if (path == "-")
        return true;
    if (!Steinberg::Vst::isValidUtf8(path)) {
        error = "the name of the output \"" + path + "\" is not valid UTF-8";
        return false;
    }
    const std::u16string wide = fromUtf8(path);
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(wide.c_str()));
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

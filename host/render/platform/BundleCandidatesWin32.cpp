// Where the renderer looks for the bundle on Windows: the build tree next to the program, then
// the standard VST3 folders (%COMMONPROGRAMFILES%\VST3, %LOCALAPPDATA%\Programs\Common\VST3).
#include "host/render/platform/BundleCandidates.h"
#include "BundleLocator.h"
#include "platform/Text.h"

#include <windows.h>

namespace zephra {
namespace render {

using Steinberg::Vst::fromUtf8;
using Steinberg::Vst::toUtf8;

namespace {

// Text the system gives as UTF-8; empty for text with an unpaired surrogate, which no UTF-8
// path can name.
std::string utf8(const char16_t* text, size_t length)
{
    try {
        return toUtf8(std::u16string(text, length));
    } catch (const std::range_error&) {
        return {};
    }
}

std::string executableFolder()
{
    char16_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, reinterpret_cast<LPWSTR>(buffer), 32768);
    if (length == 0 || length >= 32768)
        return {};
    const std::u16string path(buffer, length);
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::string() : utf8(path.data(), slash);
}

std::string variable(const wchar_t* name)
{
    char16_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(name, reinterpret_cast<LPWSTR>(buffer), 32768);
    return length > 0 && length < 32768 ? utf8(buffer, length) : std::string();
}

}   // namespace

std::vector<std::string> bundleCandidates()
{
    std::vector<std::string> candidates;
    // The build tree: <build>\host\render\zephra-render.exe next to <build>\VST3\<bundle>.
    const std::string folder = executableFolder();
    if (!folder.empty())
        candidates.push_back(folder + "\\..\\..\\VST3\\" + kBundleName);
    if (const std::string common = variable(L"COMMONPROGRAMFILES"); !common.empty())
        candidates.push_back(common + "\\VST3\\" + kBundleName);
    if (const std::string local = variable(L"LOCALAPPDATA"); !local.empty())
        candidates.push_back(local + "\\Programs\\Common\\VST3\\" + kBundleName);
    return candidates;
}

bool pathExists(const std::string& path)
{
    try {
        const std::u16string wide = fromUtf8(path);
        return !wide.empty() && GetFileAttributesW(reinterpret_cast<LPCWSTR>(wide.c_str())) != INVALID_FILE_ATTRIBUTES;
    } catch (const std::range_error&) {
        return false;   // no file has a name that is not UTF-8
    }
}

std::string tidyPath(const std::string& path)
{
    try {
        char16_t buffer[32768];
        const DWORD length = GetFullPathNameW(reinterpret_cast<LPCWSTR>(fromUtf8(path).c_str()), 32768,
                                              reinterpret_cast<LPWSTR>(buffer), nullptr);
        const std::string tidy = length > 0 && length < 32768 ? utf8(buffer, length) : std::string();
        return tidy.empty() ? path : tidy;
    } catch (const std::range_error&) {
        return path;
    }
}

}   // namespace render
}   // namespace zephra

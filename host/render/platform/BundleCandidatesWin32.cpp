// Where the renderer looks for the bundle on Windows: the build tree next to the program, then
// the standard VST3 folders (%COMMONPROGRAMFILES%\VST3, %LOCALAPPDATA%\Programs\Common\VST3).
#include "host/render/platform/BundleCandidates.h"
#include "BundleLocator.h"
#include "host/platform/WideText.h"

#include <windows.h>

namespace zephra {
namespace render {

using host::narrow;
using host::widen;

namespace {

std::string executableFolder()
{
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    if (length == 0 || length >= 32768)
        return {};
    const std::wstring path(buffer, length);
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : narrow(path.substr(0, slash));
}

std::string variable(const wchar_t* name)
{
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
    return length > 0 && length < 32768 ? narrow(std::wstring(buffer, length)) : std::string();
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
    return !path.empty() && GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string tidyPath(const std::string& path)
{
    wchar_t buffer[32768];
    const DWORD length = GetFullPathNameW(widen(path).c_str(), 32768, buffer, nullptr);
    return length > 0 && length < 32768 ? narrow(std::wstring(buffer, length)) : path;
}

}   // namespace render
}   // namespace zephra

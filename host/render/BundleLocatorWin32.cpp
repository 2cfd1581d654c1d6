// Finding the bundle on Windows: the build tree next to the program, then the standard VST3
// folders (%COMMONPROGRAMFILES%\VST3, %LOCALAPPDATA%\Programs\Common\VST3).
#include "BundleLocator.h"

#include <windows.h>

namespace zephra {
namespace render {

namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), length);
    return out;
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(length > 0 ? length : 0), '\0');
    if (length > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), length, nullptr, nullptr);
    return out;
}

bool exists(const std::string& path) {
    return !path.empty() && GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The path without "..", for messages; unchanged when it cannot be resolved.
std::string tidy(const std::string& path) {
    wchar_t buffer[32768];
    const DWORD length = GetFullPathNameW(wide(path).c_str(), 32768, buffer, nullptr);
    return length > 0 && length < 32768 ? utf8(std::wstring(buffer, length)) : path;
}

std::string executableFolder() {
    wchar_t buffer[32768];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
    if (length == 0 || length >= 32768) return {};
    const std::wstring path(buffer, length);
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : utf8(path.substr(0, slash));
}

std::string variable(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
    return length > 0 && length < 32768 ? utf8(std::wstring(buffer, length)) : std::string();
}

} // namespace

std::vector<std::string> bundleCandidates() {
    std::vector<std::string> candidates;
    // The build tree: <build>\host\render\zephra-render.exe next to <build>\VST3\<bundle>.
    const std::string folder = executableFolder();
    if (!folder.empty()) candidates.push_back(folder + "\\..\\..\\VST3\\" + kBundleName);
    if (const std::string common = variable(L"COMMONPROGRAMFILES"); !common.empty())
        candidates.push_back(common + "\\VST3\\" + kBundleName);
    if (const std::string local = variable(L"LOCALAPPDATA"); !local.empty())
        candidates.push_back(local + "\\Programs\\Common\\VST3\\" + kBundleName);
    return candidates;
}

bool locateBundle(const std::string& explicitPath, std::string& bundlePath, std::string& error) {
    if (!explicitPath.empty()) {
        if (!exists(explicitPath)) {
            error = "plug-in bundle \"" + explicitPath + "\" not found";
            return false;
        }
        bundlePath = explicitPath;
        return true;
    }
    std::string looked;
    for (const std::string& candidate : bundleCandidates()) {
        if (exists(candidate)) {
            bundlePath = tidy(candidate);
            return true;
        }
        looked += "\n  " + candidate;
    }
    error = std::string("the plug-in bundle \"") + kBundleName + "\" was not found; looked in:" + looked +
            "\nbuild it, install it, or give its path with --plugin";
    return false;
}

} // namespace render
} // namespace zephra

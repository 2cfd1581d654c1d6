// Win32 implementation of the module path: the DLL that holds this code, found from an
// address inside it, its name read with GetModuleFileNameW.
#include "platform/ModulePath.h"

#include "platform/Text.h"

#include <windows.h>

#include <atomic>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace {
std::atomic<void*> recordedHandle{nullptr};

void addressInsideModule() {}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

size_t lastSeparator(const std::string& path, size_t before)
{
    for (size_t i = before; i-- > 0;) {
        if (isSeparator(path[i]))
            return i;
    }
    return std::string::npos;
}
} // namespace

void setModuleHandle(void* handle) noexcept
{
    recordedHandle.store(handle);
}

void* moduleHandle() noexcept
{
    return recordedHandle.load();
}

std::string modulePath()
{
    HMODULE module = static_cast<HMODULE>(moduleHandle());
    if (!module &&
        !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&addressInsideModule), &module))
        return {};
    // Long paths: grow the buffer until the name fits.
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, name.data(), DWORD(name.size()));
        if (length == 0)
            return {};
        if (length < name.size()) {
            try {
                return toUtf8(std::u16string(reinterpret_cast<const char16_t*>(name.data()), length));
            } catch (const std::range_error&) {
                return {};
            }
        }
        if (name.size() >= 32768)
            return {};
        name.resize(name.size() * 2);
    }
}

std::string resourceFolderFor(const std::string& modulePath)
{
    // Strip the file name, then the architecture folder: what is left is "Contents".
    const size_t fileSlash = lastSeparator(modulePath, modulePath.size());
    if (fileSlash == std::string::npos || fileSlash == 0)
        return {};
    const size_t archSlash = lastSeparator(modulePath, fileSlash);
    if (archSlash == std::string::npos)
        return {};
    return modulePath.substr(0, archSlash + 1) + "Resources" + modulePath[archSlash];
}

std::string moduleResourceFolder()
{
    return resourceFolderFor(modulePath());
}

} // namespace Vst
} // namespace Steinberg

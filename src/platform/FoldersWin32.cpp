// Win32 lookup of the user's folders: HOMEDRIVE and HOMEPATH from the environment, composed
// as Windows programs expect (the composition itself lives in WindowsFolders.cpp).
#include "platform/Folders.h"

#include <windows.h>

namespace Steinberg {
namespace Vst {

namespace {
// The variable's value when it fits a buffer of 260 units; null when unset or too long.
bool readVariable(const wchar_t* name, char16_t (&buffer)[260])
{
    const DWORD length = GetEnvironmentVariableW(name, reinterpret_cast<LPWSTR>(buffer), 260);
    return length > 0 && length < 260;
}
} // namespace

std::u16string homeFolder()
{
    char16_t drive[260] = {};
    char16_t path[260] = {};
    const bool haveDrive = readVariable(L"HOMEDRIVE", drive);
    const bool havePath = readVariable(L"HOMEPATH", path);
    return windowsHomeFolder(haveDrive ? drive : nullptr, havePath ? path : nullptr);
}

std::u16string presetFolder(const std::u16string& vendor, const std::u16string& product)
{
    return windowsPresetFolder(homeFolder(), vendor, product);
}

} // namespace Vst
} // namespace Steinberg

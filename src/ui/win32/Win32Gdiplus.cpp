#include "ui/win32/Win32Gdiplus.h"

#include "platform/ModulePath.h"

#include <windows.h>
#include <gdiplus.h>

#include <mutex>

namespace VSTGUI {

bool ensureGdiplus()
{
    static std::once_flag once;
    static bool running = false;
    // GDI+ stays up for the life of the process: a host may open and close editors many
    // times, and shutting GDI+ down from a DLL's unload is not allowed.
    std::call_once(once, [] {
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartupInput input;
        running = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    });
    return running;
}

std::wstring toWide(const UTF8String& text)
{
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

UTF8String fromWide(const wchar_t* text)
{
    if (!text || !*text)
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return {};
    UTF8String utf8(size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
    utf8.resize(size_t(length - 1));
    return utf8;
}

void* windowsModuleInstance()
{
    if (void* handle = Steinberg::Vst::moduleHandle())
        return handle;
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&windowsModuleInstance), &module);
    return module;
}

}  // namespace VSTGUI

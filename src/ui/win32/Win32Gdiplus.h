// GDI+ for the Windows back end: started once on first use by any drawing file (never from
// DllMain, where GDI+ must not start); the UTF-8 <-> UTF-16 conversions its calls need, and the
// module instance the window classes are registered with.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CBaseObject.h"

#include <string>

namespace VSTGUI {

// Starts GDI+ for the process on the first call; true when it runs.
bool ensureGdiplus();
// UTF-8 text as a wide string for Win32 and GDI+ (invalid bytes become U+FFFD).
std::wstring toWide(const UTF8String& text);
// A wide string from Win32 as UTF-8.
UTF8String fromWide(const wchar_t* text);
// The HINSTANCE of the module holding this code (the one DllMain recorded, else looked up).
void* windowsModuleInstance();

}  // namespace VSTGUI

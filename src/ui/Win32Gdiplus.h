// GDI+ for the Windows back end: started once on first use by any drawing file (never from
// DllMain, where GDI+ must not start), and the UTF-8 -> UTF-16 conversion its calls need.
// UI thread only; not real-time safe.
#pragma once

#include "ui/CBaseObject.h"

#include <string>

namespace VSTGUI {

// Starts GDI+ for the process on the first call; true when it runs.
bool ensureGdiplus();
// UTF-8 text as a wide string for Win32 and GDI+ (invalid bytes become U+FFFD).
std::wstring toWide(const UTF8String& text);
// A wide string from Win32 as UTF-8.
UTF8String fromWide(const wchar_t* text);

}  // namespace VSTGUI

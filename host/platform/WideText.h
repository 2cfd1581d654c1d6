#pragma once
// UTF-8 <-> UTF-16 for the Windows pieces of the host library and the renderer, which keep
// paths in UTF-8 and hand them to the system's wide-character calls. Invalid sequences become
// U+FFFD, as the system's own conversion makes them. Only built for Windows.
//
// Threads: any; no state. Not real-time safe (allocates).
#include <string>

namespace zephra {
namespace host {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

}   // namespace host
}   // namespace zephra

#pragma once
// Where this plug-in module lives: the library handle the host gave the module entry, and the
// file paths derived from the loaded shared object (for the bundle's resource images).
// Threads: any. setModuleHandle/moduleHandle are lock-free and real-time safe; the path
// functions allocate and query the dynamic loader (UI thread).
#include <string>

namespace Steinberg {
namespace Vst {

void setModuleHandle(void* handle) noexcept;
// The handle recorded by the first module entry; null before it and after the last exit.
void* moduleHandle() noexcept;

// Absolute path of the shared object that contains this code (empty if the loader cannot say).
std::string modulePath();
// The bundle's resource folder for a module path ".../X.vst3/Contents/<arch>/X.so":
// ".../X.vst3/Contents/Resources/". Empty when the path has fewer than two folder levels.
std::string resourceFolderFor(const std::string& sharedObjectPath);
// resourceFolderFor(modulePath()).
std::string moduleResourceFolder();

} // namespace Vst
} // namespace Steinberg

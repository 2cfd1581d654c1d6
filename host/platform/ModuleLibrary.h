#pragma once
// The operating-system half of loading a VST3 module: where the library sits in a bundle, how
// it is opened, entered, left and closed. Module.cpp does the rest (factory and class records)
// the same way on every system; ModuleLibrary.cpp is the POSIX half, ModuleLibraryWin32.cpp the
// Windows one.
//
// Threads: the thread that loads and unloads modules (the host's main thread). Not real-time safe.
#include <string>

namespace zephra {
namespace host {
namespace library {

// What the system calls such a library, for messages ("shared object", "module").
extern const char* const kLibraryKind;
// The library's folder below <bundle>/Contents ("x86_64-linux", "x86_64-win").
extern const char* const kArchitectureFolder;
// Its file name inside that folder, from the bundle folder's name ("X.vst3" -> "X.so").
std::string fileNameInBundle(const std::string& bundleFolderName);

// The opened library, or null with a readable reason.
void* open(const std::string& libraryPath, std::string& error);
void close(void* handle) noexcept;
void* symbol(void* handle, const char* name) noexcept;

// The entry and exit functions a host calls around a module's use (ModuleEntry/ModuleExit,
// InitDll/ExitDll): their names, and calling the ones found.
extern const char* const kEntryName;
extern const char* const kExitName;
bool callEntry(void* entryFunction, void* handle);
void callExit(void* exitFunction);

}   // namespace library
}   // namespace host
}   // namespace zephra

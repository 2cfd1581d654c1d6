// Loading a bundle on Linux: <bundle>/Contents/x86_64-linux/<name>.so through dlopen, entered
// with ModuleEntry(handle) and left with ModuleExit().
#include "host/platform/ModuleLibrary.h"

#include <dlfcn.h>

namespace zephra {
namespace host {
namespace library {

namespace {
using EntryFunction = bool (*)(void*);
using ExitFunction = bool (*)();

// Under AddressSanitizer a module stays mapped after it is closed: LeakSanitizer can neither
// symbolise nor scan the globals of an unmapped library, so allocations that libraries loaded
// along with the plug-in keep for their lifetime (pixman's initialiser, for one) would show as
// anonymous leaks at every unload.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE;
#else
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL;
#endif
}   // namespace

const char* const kLibraryKind = "shared object";
const char* const kArchitectureFolder = "x86_64-linux";
const char* const kEntryName = "ModuleEntry";
const char* const kExitName = "ModuleExit";

std::string fileNameInBundle(const std::string& bundleFolderName)
{
    const size_t dot = bundleFolderName.rfind('.');
    return (dot == std::string::npos || dot == 0 ? bundleFolderName : bundleFolderName.substr(0, dot)) + ".so";
}

void* open(const std::string& libraryPath, std::string& error)
{
    dlerror();
    void* handle = dlopen(libraryPath.c_str(), kOpenFlags);
    if (!handle) {
        const char* reason = dlerror();
        error = "cannot load \"" + libraryPath + "\": " + (reason ? reason : "unknown reason");
    }
    return handle;
}

void close(void* handle) noexcept
{
    dlclose(handle);
}

void* symbol(void* handle, const char* name) noexcept
{
    return dlsym(handle, name);
}

bool callEntry(void* entryFunction, void* handle)
{
    return reinterpret_cast<EntryFunction>(entryFunction)(handle);
}

void callExit(void* exitFunction)
{
    reinterpret_cast<ExitFunction>(exitFunction)();
}

}   // namespace library
}   // namespace host
}   // namespace zephra

// Loading a bundle on Windows: <bundle>/Contents/x86_64-win/<name>.vst3 through LoadLibraryW,
// entered with InitDll and left with ExitDll, as Windows hosts do.
#include "host/platform/ModuleLibrary.h"
#include "platform/Text.h"

#include <pluginterfaces/base/fplatform.h>

#include <windows.h>

namespace zephra {
namespace host {
namespace library {

namespace {
using InitFunction = bool(PLUGIN_API*)();
using ExitFunction = bool(PLUGIN_API*)();
}   // namespace

const char* const kLibraryKind = "module";
const char* const kArchitectureFolder = "x86_64-win";
const char* const kEntryName = "InitDll";
const char* const kExitName = "ExitDll";

std::string fileNameInBundle(const std::string& bundleFolderName)
{
    return bundleFolderName;
}

void* open(const std::string& libraryPath, std::string& error)
{
    std::u16string widePath;
    try {
        widePath = Steinberg::Vst::fromUtf8(libraryPath);
    } catch (const std::range_error&) {
        error = "cannot load \"" + libraryPath + "\": the path is not valid UTF-8";
        return nullptr;
    }
    // No error boxes for a module that cannot load: the caller reports it.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE handle =
        LoadLibraryExW(reinterpret_cast<LPCWSTR>(widePath.c_str()), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD code = GetLastError();
    SetErrorMode(previousMode);
    if (!handle)
        error = "cannot load \"" + libraryPath + "\": error " + std::to_string(code);
    return handle;
}

void close(void* handle) noexcept
{
    FreeLibrary(static_cast<HMODULE>(handle));
}

void* symbol(void* handle, const char* name) noexcept
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

bool callEntry(void* entryFunction, void*)
{
    return reinterpret_cast<InitFunction>(entryFunction)();
}

void callExit(void* exitFunction)
{
    reinterpret_cast<ExitFunction>(exitFunction)();
}

}   // namespace library
}   // namespace host
}   // namespace zephra

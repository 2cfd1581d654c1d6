#include "platform/ModulePath.h"

#include <atomic>
#include <climits>
#include <cstdlib>
#include <dlfcn.h>

namespace Steinberg {
namespace Vst {
namespace {
std::atomic<void*> recordedHandle{nullptr};

// Any function of this library serves as an address inside the loaded shared object.
void addressInsideModule() {}
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
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&addressInsideModule), &info) == 0 || !info.dli_fname)
        return {};
    // The loader reports the name as it was opened, which may be relative.
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved))
        return resolved;
    return info.dli_fname;
}

std::string resourceFolderFor(const std::string& sharedObjectPath)
{
    // Strip the file name, then the architecture folder: what is left is "Contents".
    const size_t fileSlash = sharedObjectPath.rfind('/');
    if (fileSlash == std::string::npos || fileSlash == 0)
        return {};
    const size_t archSlash = sharedObjectPath.rfind('/', fileSlash - 1);
    if (archSlash == std::string::npos)
        return {};
    return sharedObjectPath.substr(0, archSlash + 1) + "Resources/";
}

std::string moduleResourceFolder()
{
    return resourceFolderFor(modulePath());
}

} // namespace Vst
} // namespace Steinberg

#include "sdk/LinuxModuleEntry.h"

#include "platform/ModulePath.h"

#include <atomic>

namespace Steinberg {
namespace {
std::atomic<int> entryCount{0};
} // namespace

bool enterModule(void* sharedLibraryHandle) noexcept
{
    if (entryCount.fetch_add(1) == 0) {
        Vst::setModuleHandle(sharedLibraryHandle);
        return true;
    }
    return false;
}

bool leaveModule() noexcept
{
    int count = entryCount.load();
    while (count > 0) {
        if (entryCount.compare_exchange_weak(count, count - 1)) {
            if (count == 1)
                Vst::setModuleHandle(nullptr);
            return true;
        }
    }
    return false;
}

int moduleEntryCount() noexcept
{
    return entryCount.load();
}

} // namespace Steinberg

#include "shell/ModuleEntry.h"

#include "sdk/LinuxModuleEntry.h"
#include "sdk/PluginFactory.h"
#include "shell/ClassFactory.h"
#include "shell/ParameterRegistry.h"

#include <mutex>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// The factory clears the module-wide pointer when its last reference goes, so a later
// GetPluginFactory builds a fresh one from the same records.
class ModuleFactory : public CPluginFactory {
public:
    explicit ModuleFactory(const PFactoryInfo& info) : CPluginFactory(info) {}
    ~ModuleFactory() override;
};

struct ClassRecords {
    PFactoryInfo factory;
    PClassInfo2 processor;
    PClassInfo2 controller;
};

std::mutex& factoryMutex()
{
    static std::mutex mutex;
    return mutex;
}

ModuleFactory* moduleFactory = nullptr;   // guarded by factoryMutex()

// Built once for the life of the module from the description of that moment.
const ClassRecords& classRecords()
{
    static std::once_flag once;
    static ClassRecords records;
    std::call_once(once, [] {
        const PluginDescription& description = pluginDescription();
        records.factory = makeFactoryInfo(description);
        records.processor = makeProcessorClassInfo(description);
        records.controller = makeControllerClassInfo(description);
    });
    return records;
}

ModuleFactory::~ModuleFactory()
{
    std::lock_guard<std::mutex> lock(factoryMutex());
    if (moduleFactory == this)
        moduleFactory = nullptr;
}

} // namespace

ZEPHRA_EXPORT bool InitDll()
{
    return fillDescriptionOnce();
}

ZEPHRA_EXPORT bool ExitDll()
{
    return true;
}

ZEPHRA_EXPORT bool ModuleEntry(void* sharedLibraryHandle)
{
    enterModule(sharedLibraryHandle);
    return fillDescriptionOnce();
}

ZEPHRA_EXPORT bool ModuleExit()
{
    return leaveModule();
}

ZEPHRA_EXPORT IPluginFactory* GetPluginFactory()
{
    const ClassRecords& records = classRecords();
    std::lock_guard<std::mutex> lock(factoryMutex());
    if (moduleFactory) {
        moduleFactory->addRef();
        return moduleFactory;
    }
    moduleFactory = new ModuleFactory(records.factory);
    moduleFactory->registerClass(&records.processor, createProcessorInstance, nullptr);
    moduleFactory->registerClass(&records.controller, createControllerInstance, nullptr);
    return moduleFactory;
}

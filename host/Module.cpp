// Loading a VST3 module and reading its factory, the same on every system; the system's own
// library calls are in ModuleLibrary*.cpp.
#include "host/PluginHost.h"
#include "host/platform/ModuleLibrary.h"

#include <cstring>
#include <filesystem>

using namespace Steinberg;

namespace zephra {
namespace host {

namespace {
using GetFactoryFunction = IPluginFactory*(PLUGIN_API*)();

// A factory claiming more classes than this is broken; reading stops there.
constexpr int32 kMaxClasses = 1024;

// Fixed-size text fields of the information records: up to the first zero, never beyond.
template <size_t N>
std::string fieldText(const char8 (&field)[N])
{
    return std::string(field, strnlen(field, N));
}

// <bundle>/Contents/<architecture>/<library>, or the path itself when it names a file. Paths are
// UTF-8 on every system.
bool libraryInBundle(const std::string& bundlePath, std::string& libraryPath, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code code;
    const fs::path path = fs::u8path(bundlePath);
    const fs::file_status status = fs::status(path, code);
    if (code || !fs::exists(status)) {
        error = "no bundle at \"" + bundlePath + "\"";
        return false;
    }
    if (fs::is_regular_file(status)) {
        libraryPath = bundlePath;
        return true;
    }
    if (!fs::is_directory(status)) {
        error = "\"" + bundlePath + "\" is neither a bundle folder nor a " + library::kLibraryKind;
        return false;
    }
    fs::path folder = path;
    if (!folder.has_filename())
        folder = folder.parent_path();   // "X.vst3/" names the folder X.vst3
    const fs::path candidate = folder / "Contents" / library::kArchitectureFolder /
                               fs::u8path(library::fileNameInBundle(folder.filename().u8string()));
    if (!fs::is_regular_file(candidate, code)) {
        error = "bundle \"" + bundlePath + "\" holds no " + library::kLibraryKind + " at " + candidate.u8string();
        return false;
    }
    libraryPath = candidate.u8string();
    return true;
}

ClassRecord readClass(IPluginFactory* factory, IPluginFactory2* factory2, int32 index)
{
    ClassRecord record;
    PClassInfo info{};
    if (factory->getClassInfo(index, &info) == kResultOk) {
        std::memcpy(record.classId.data(), info.cid, 16);
        record.cardinality = info.cardinality;
        record.category = fieldText(info.category);
        record.name = fieldText(info.name);
    }
    PClassInfo2 info2{};
    if (factory2 && factory2->getClassInfo2(index, &info2) == kResultOk) {
        record.hasInfo2 = true;
        std::memcpy(record.classId.data(), info2.cid, 16);
        record.cardinality = info2.cardinality;
        record.category = fieldText(info2.category);
        record.name = fieldText(info2.name);
        record.classFlags = info2.classFlags;
        record.subCategories = fieldText(info2.subCategories);
        record.vendor = fieldText(info2.vendor);
        record.version = fieldText(info2.version);
        record.sdkVersion = fieldText(info2.sdkVersion);
    }
    return record;
}
}   // namespace

std::shared_ptr<Module> Module::load(const std::string& bundlePath, std::string& error)
{
    std::string libraryPath;
    if (!libraryInBundle(bundlePath, libraryPath, error))
        return nullptr;

    std::shared_ptr<Module> module(new Module);
    module->libraryFilePath = libraryPath;
    module->handle = library::open(libraryPath, error);
    if (!module->handle)
        return nullptr;

    void* entry = module->symbol(library::kEntryName);
    if (!entry) {
        error = "\"" + libraryPath + "\" is not a VST3 module: it exports no " + library::kEntryName;
        return nullptr;
    }
    auto getFactory = reinterpret_cast<GetFactoryFunction>(module->symbol("GetPluginFactory"));
    if (!getFactory) {
        error = "\"" + libraryPath + "\" is not a VST3 module: it exports no GetPluginFactory";
        return nullptr;
    }
    if (!library::callEntry(entry, module->handle)) {
        error = std::string(library::kEntryName) + " of \"" + libraryPath + "\" failed";
        return nullptr;
    }
    module->entered = true;

    module->pluginFactory = getFactory();
    if (!module->pluginFactory) {
        error = "GetPluginFactory of \"" + libraryPath + "\" returned no factory";
        return nullptr;
    }

    PFactoryInfo info{};
    if (module->pluginFactory->getFactoryInfo(&info) == kResultOk) {
        module->factoryRecord.vendor = fieldText(info.vendor);
        module->factoryRecord.url = fieldText(info.url);
        module->factoryRecord.email = fieldText(info.email);
        module->factoryRecord.flags = info.flags;
    }

    IPluginFactory2* factory2 = nullptr;
    if (module->pluginFactory->queryInterface(IPluginFactory2::iid, reinterpret_cast<void**>(&factory2)) != kResultOk)
        factory2 = nullptr;
    const int32 count = module->pluginFactory->countClasses();
    for (int32 i = 0; i < count && i < kMaxClasses; ++i)
        module->classRecords.push_back(readClass(module->pluginFactory, factory2, i));
    if (factory2)
        factory2->release();
    return module;
}

Module::~Module()
{
    if (pluginFactory)
        pluginFactory->release();
    if (entered) {
        if (void* exitFunction = symbol(library::kExitName))
            library::callExit(exitFunction);
    }
    if (handle)
        library::close(handle);
}

const ClassRecord* Module::findClass(const std::string& category) const noexcept
{
    for (const ClassRecord& record : classRecords) {
        if (record.category == category)
            return &record;
    }
    return nullptr;
}

void* Module::symbol(const char* name) const noexcept
{
    if (!handle || !name)
        return nullptr;
    return library::symbol(handle, name);
}

}   // namespace host
}   // namespace zephra

#include "host/PluginHost.h"

#include <cstring>
#include <dlfcn.h>
#include <filesystem>

using namespace Steinberg;

namespace zephra {
namespace host {

namespace {
using ModuleEntryFunction = bool (*)(void*);
using ModuleExitFunction = bool (*)();
using GetFactoryFunction = IPluginFactory* (PLUGIN_API*)();

// Under AddressSanitizer a module stays mapped after it is closed: LeakSanitizer can neither
// symbolise nor scan the globals of an unmapped library, so allocations that libraries loaded
// along with the plug-in keep for their lifetime (pixman's initialiser, for one) would show as
// anonymous leaks at every unload.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE;
#else
constexpr int kOpenFlags = RTLD_NOW | RTLD_LOCAL;
#endif

// A factory claiming more classes than this is broken; reading stops there.
constexpr int32 kMaxClasses = 1024;

// Fixed-size text fields of the information records: up to the first zero, never beyond.
template <size_t N>
std::string fieldText(const char8 (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

// <bundle>/Contents/x86_64-linux/<bundle name without .vst3>.so, or the path itself when it
// names a file.
bool libraryInBundle(const std::string& bundlePath, std::string& library, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code code;
    const fs::path path(bundlePath);
    const fs::file_status status = fs::status(path, code);
    if (code || !fs::exists(status)) {
        error = "no bundle at \"" + bundlePath + "\"";
        return false;
    }
    if (fs::is_regular_file(status)) {
        library = bundlePath;
        return true;
    }
    if (!fs::is_directory(status)) {
        error = "\"" + bundlePath + "\" is neither a bundle folder nor a shared object";
        return false;
    }
    fs::path folder = path;
    if (!folder.has_filename())
        folder = folder.parent_path();   // "X.vst3/" names the folder X.vst3
    const fs::path candidate = folder / "Contents" / "x86_64-linux" / (folder.stem().string() + ".so");
    if (!fs::is_regular_file(candidate, code)) {
        error = "bundle \"" + bundlePath + "\" holds no shared object at " + candidate.string();
        return false;
    }
    library = candidate.string();
    return true;
}

ClassRecord readClass(IPluginFactory* factory, IPluginFactory2* factory2, int32 index) {
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
} // namespace

std::shared_ptr<Module> Module::load(const std::string& bundlePath, std::string& error) {
    std::string library;
    if (!libraryInBundle(bundlePath, library, error))
        return nullptr;

    std::shared_ptr<Module> module(new Module);
    module->libraryPath_ = library;
    dlerror();
    module->handle_ = dlopen(library.c_str(), kOpenFlags);
    if (!module->handle_) {
        const char* reason = dlerror();
        error = "cannot load \"" + library + "\": " + (reason ? reason : "unknown reason");
        return nullptr;
    }

    auto entry = reinterpret_cast<ModuleEntryFunction>(module->symbol("ModuleEntry"));
    if (!entry) {
        error = "\"" + library + "\" is not a VST3 module: it exports no ModuleEntry";
        return nullptr;
    }
    auto getFactory = reinterpret_cast<GetFactoryFunction>(module->symbol("GetPluginFactory"));
    if (!getFactory) {
        error = "\"" + library + "\" is not a VST3 module: it exports no GetPluginFactory";
        return nullptr;
    }
    if (!entry(module->handle_)) {
        error = "ModuleEntry of \"" + library + "\" failed";
        return nullptr;
    }
    module->entered_ = true;

    module->factory_ = getFactory();
    if (!module->factory_) {
        error = "GetPluginFactory of \"" + library + "\" returned no factory";
        return nullptr;
    }

    PFactoryInfo info{};
    if (module->factory_->getFactoryInfo(&info) == kResultOk) {
        module->factoryInfo_.vendor = fieldText(info.vendor);
        module->factoryInfo_.url = fieldText(info.url);
        module->factoryInfo_.email = fieldText(info.email);
        module->factoryInfo_.flags = info.flags;
    }

    IPluginFactory2* factory2 = nullptr;
    if (module->factory_->queryInterface(IPluginFactory2::iid, reinterpret_cast<void**>(&factory2)) != kResultOk)
        factory2 = nullptr;
    const int32 count = module->factory_->countClasses();
    for (int32 i = 0; i < count && i < kMaxClasses; ++i)
        module->classes_.push_back(readClass(module->factory_, factory2, i));
    if (factory2)
        factory2->release();
    return module;
}

Module::~Module() {
    if (factory_)
        factory_->release();
    if (entered_) {
        if (auto exitFunction = reinterpret_cast<ModuleExitFunction>(symbol("ModuleExit")))
            exitFunction();
    }
    if (handle_)
        dlclose(handle_);
}

const ClassRecord* Module::findClass(const std::string& category) const noexcept {
    for (const ClassRecord& record : classes_) {
        if (record.category == category)
            return &record;
    }
    return nullptr;
}

void* Module::symbol(const char* name) const noexcept {
    if (!handle_ || !name)
        return nullptr;
    return dlsym(handle_, name);
}

} // namespace host
} // namespace zephra

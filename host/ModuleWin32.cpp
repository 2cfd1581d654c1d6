// Loading a bundle on Windows: <bundle>/Contents/x86_64-win/<name>.vst3 through LoadLibraryW,
// entered with InitDll and left with ExitDll, as Windows hosts do.
#include "host/PluginHost.h"

#include <windows.h>

#include <cstring>
#include <filesystem>

using namespace Steinberg;

namespace zephra {
namespace host {

namespace {
using InitFunction = bool (PLUGIN_API*)();
using ExitFunction = bool (PLUGIN_API*)();
using GetFactoryFunction = IPluginFactory* (PLUGIN_API*)();

std::wstring wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), length);
    return out;
}

std::string lastErrorText() {
    const DWORD code = GetLastError();
    return "error " + std::to_string(code);
}

// A factory claiming more classes than this is broken; reading stops there.
constexpr int32 kMaxClasses = 1024;

// Fixed-size text fields of the information records: up to the first zero, never beyond.
template <size_t N>
std::string fieldText(const char8 (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

// <bundle>/Contents/x86_64-win/<bundle name>, or the path itself when it names a file.
bool libraryInBundle(const std::string& bundlePath, std::string& library, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code code;
    const fs::path path = fs::u8path(bundlePath);
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
        error = "\"" + bundlePath + "\" is neither a bundle folder nor a module";
        return false;
    }
    fs::path folder = path;
    if (!folder.has_filename())
        folder = folder.parent_path();   // "X.vst3/" names the folder X.vst3
    const fs::path candidate = folder / "Contents" / "x86_64-win" / folder.filename();
    if (!fs::is_regular_file(candidate, code)) {
        error = "bundle \"" + bundlePath + "\" holds no module at " + candidate.u8string();
        return false;
    }
    library = candidate.u8string();
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
    // No error boxes for a module that cannot load: the caller reports it.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    module->handle_ = LoadLibraryExW(wide(library).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    SetErrorMode(previousMode);
    if (!module->handle_) {
        error = "cannot load \"" + library + "\": " + lastErrorText();
        return nullptr;
    }

    auto entry = reinterpret_cast<InitFunction>(module->symbol("InitDll"));
    if (!entry) {
        error = "\"" + library + "\" is not a VST3 module: it exports no InitDll";
        return nullptr;
    }
    auto getFactory = reinterpret_cast<GetFactoryFunction>(module->symbol("GetPluginFactory"));
    if (!getFactory) {
        error = "\"" + library + "\" is not a VST3 module: it exports no GetPluginFactory";
        return nullptr;
    }
    if (!entry()) {
        error = "InitDll of \"" + library + "\" failed";
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
        if (auto exitFunction = reinterpret_cast<ExitFunction>(symbol("ExitDll")))
            exitFunction();
    }
    if (handle_)
        FreeLibrary(static_cast<HMODULE>(handle_));
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
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

} // namespace host
} // namespace zephra

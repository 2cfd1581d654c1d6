// The module as a host first meets it: entry points, factory information and class records.
#include "host/PluginHost.h"

#include "pluginterfaces/base/ipluginbase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <dlfcn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Steinberg;
using namespace zephra::host;

namespace {

std::shared_ptr<Module> loadBundle() {
    std::string error;
    std::shared_ptr<Module> module = Module::load(ZEPHRA_BUNDLE_PATH, error);
    EXPECT_NE(module, nullptr) << error;
    return module;
}

ClassId idFromBytes(std::initializer_list<uint8_t> bytes) {
    ClassId id{};
    std::copy(bytes.begin(), bytes.end(), id.begin());
    return id;
}

// Hosts store class IDs in projects: these two must never change.
const ClassId kProcessorClassId = idFromBytes(
    {0x6A, 0x3C, 0x1E, 0x52, 0x9B, 0x4D, 0x4F, 0x7A, 0x8E, 0x21, 0x5D, 0x0C, 0x7B, 0x93, 0xA1, 0xF4});
const ClassId kControllerClassId = idFromBytes(
    {0xB2, 0xE8, 0x7F, 0x10, 0x3C, 0x6A, 0x4D, 0x59, 0x9F, 0x04, 0x71, 0xA8, 0xC2, 0xD5, 0xE6, 0xB3});

TEST(FactoryRecords, FactoryInformationNamesTheVendor) {
    auto module = loadBundle();
    ASSERT_NE(module, nullptr);
    const FactoryRecord& info = module->factoryInfo();
    EXPECT_EQ(info.vendor, "Norvane");
    EXPECT_EQ(info.url, "https://norvane.audio/zephra-sf2-player");
    EXPECT_EQ(info.email, "");
    EXPECT_EQ(info.flags, 16);   // kUnicode
}

TEST(FactoryRecords, ExactlyTwoClassesProcessorFirst) {
    auto module = loadBundle();
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(module->classes().size(), 2u);
    EXPECT_EQ(module->classes()[0].category, "Audio Module Class");
    EXPECT_EQ(module->classes()[1].category, "Component Controller Class");
}

TEST(FactoryRecords, ProcessorClassRecord) {
    auto module = loadBundle();
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(module->classes().size(), 2u);
    const ClassRecord& processor = module->classes()[0];
    EXPECT_TRUE(processor.hasInfo2);
    EXPECT_EQ(processor.classId, kProcessorClassId);
    EXPECT_EQ(processor.cardinality, 0x7FFFFFFF);
    EXPECT_EQ(processor.name, "Zephra SF2 Player");
    EXPECT_EQ(processor.classFlags, 0u);   // not distributable: the sound travels by address
    EXPECT_EQ(processor.subCategories, "Instrument");
    EXPECT_EQ(processor.vendor, "");
    EXPECT_EQ(processor.version, "1.5-fw 2.1");
    EXPECT_EQ(processor.sdkVersion, "VST 3.6.8");
}

TEST(FactoryRecords, ControllerClassRecord) {
    auto module = loadBundle();
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(module->classes().size(), 2u);
    const ClassRecord& controller = module->classes()[1];
    EXPECT_TRUE(controller.hasInfo2);
    EXPECT_EQ(controller.classId, kControllerClassId);
    EXPECT_EQ(controller.cardinality, 0x7FFFFFFF);
    // The processor's name followed by " Controller", leading space included.
    EXPECT_EQ(controller.name, module->classes()[0].name + " Controller");
    EXPECT_EQ(controller.name, "Zephra SF2 Player Controller");
    EXPECT_EQ(controller.classFlags, 0u);
    EXPECT_EQ(controller.subCategories, "");
    EXPECT_EQ(controller.vendor, "");
    EXPECT_EQ(controller.version, "1.5");
    EXPECT_EQ(controller.sdkVersion, "VST 3.6.8");
}

TEST(FactoryRecords, PlainClassInfoAgreesWithTheExtendedRecords) {
    auto module = loadBundle();
    ASSERT_NE(module, nullptr);
    for (int32 i = 0; i < 2; ++i) {
        PClassInfo info;
        ASSERT_EQ(module->factory()->getClassInfo(i, &info), kResultOk);
        EXPECT_EQ(std::string(info.name), module->classes()[static_cast<size_t>(i)].name);
        EXPECT_EQ(std::string(info.category), module->classes()[static_cast<size_t>(i)].category);
    }
}

TEST(FactoryRecords, OutOfRangeClassIndicesAreRefused) {
    auto module = loadBundle();
    ASSERT_NE(module, nullptr);
    PClassInfo info;
    EXPECT_NE(module->factory()->getClassInfo(2, &info), kResultOk);
    EXPECT_NE(module->factory()->getClassInfo(-1, &info), kResultOk);
}

TEST(FactoryRecords, TheProcessorNamesItsControllerClass) {
    auto module = loadBundle();
    ASSERT_NE(module, nullptr);
    std::string error;
    auto plugin = Plugin::create(*module, error);
    ASSERT_NE(plugin, nullptr) << error;
    TUID controllerId;
    ASSERT_EQ(plugin->component()->getControllerClassId(controllerId), kResultOk);
    EXPECT_TRUE(std::equal(kControllerClassId.begin(), kControllerClassId.end(),
                           reinterpret_cast<const uint8_t*>(controllerId)));
}

TEST(FactoryRecords, AnUnknownClassIdCreatesNothing) {
    auto module = loadBundle();
    ASSERT_NE(module, nullptr);
    TUID unknown = {};
    void* object = reinterpret_cast<void*>(1);
    EXPECT_NE(module->factory()->createInstance(unknown, FUnknown::iid, &object), kResultOk);
    EXPECT_EQ(object, nullptr);
}

using GetFactoryFunction = IPluginFactory* (PLUGIN_API*)();

TEST(FactoryEntry, TwoCallsGiveTheSameObjectAndTheSecondAddsAReference) {
    auto module = loadBundle();
    ASSERT_NE(module, nullptr);
    auto getFactory = reinterpret_cast<GetFactoryFunction>(module->symbol("GetPluginFactory"));
    ASSERT_NE(getFactory, nullptr);
    IPluginFactory* first = getFactory();
    const uint32 afterFirst = first->addRef();
    first->release();
    IPluginFactory* second = getFactory();
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, module->factory());
    const uint32 afterSecond = second->addRef();
    second->release();
    EXPECT_EQ(afterSecond, afterFirst + 1);
    second->release();
    first->release();
}

TEST(FactoryEntry, InitDllAndExitDllAnswerTrueAndLeaveTheRecordsAlone) {
    auto module = loadBundle();
    ASSERT_NE(module, nullptr);
    using EntryFunction = bool (*)();
    auto initDll = reinterpret_cast<EntryFunction>(module->symbol("InitDll"));
    auto exitDll = reinterpret_cast<EntryFunction>(module->symbol("ExitDll"));
    ASSERT_NE(initDll, nullptr);
    ASSERT_NE(exitDll, nullptr);
    EXPECT_TRUE(initDll());
    EXPECT_TRUE(initDll());   // no call counter: refilling gives the same description
    EXPECT_TRUE(exitDll());
    PClassInfo2 info;
    IPluginFactory2* factory2 = nullptr;
    ASSERT_EQ(module->factory()->queryInterface(IPluginFactory2::iid, reinterpret_cast<void**>(&factory2)), kResultOk);
    ASSERT_EQ(factory2->getClassInfo2(0, &info), kResultOk);
    factory2->release();
    EXPECT_EQ(std::string(info.version), "1.5-fw 2.1");
    EXPECT_EQ(std::string(info.name), "Zephra SF2 Player");
}

TEST(FactoryEntry, InstancesCanBeCreatedAgainAfterTheFirstOnesAreGone) {
    auto module = loadBundle();
    ASSERT_NE(module, nullptr);
    for (int round = 0; round < 3; ++round) {
        std::string error;
        auto plugin = Plugin::create(*module, error);
        ASSERT_NE(plugin, nullptr) << error;
        ASSERT_TRUE(plugin->setup(44100.0, 64, &error)) << error;
        plugin->process(64);
    }
}

// Simultaneous first calls must build one factory. The library must not be loaded yet, so the
// check runs in a child process that loads it itself (this process never loads it here).
TEST(FactoryEntry, SimultaneousFirstCallsGiveOneFactory) {
    const std::string library = std::string(ZEPHRA_BUNDLE_PATH) + "/Contents/x86_64-linux/Zephra SF2 Player.so";
    if (dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD))
        GTEST_SKIP() << "the library is already loaded in this process (sanitizer builds keep modules "
                        "mapped); run this test on its own, as ctest does";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD))
            _exit(14);
        void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            _exit(10);
        auto entry = reinterpret_cast<bool (*)(void*)>(dlsym(handle, "ModuleEntry"));
        auto getFactory = reinterpret_cast<GetFactoryFunction>(dlsym(handle, "GetPluginFactory"));
        if (!entry || !getFactory || !entry(handle))
            _exit(11);
        constexpr int kThreads = 8;
        std::atomic<int> ready{0};
        std::vector<IPluginFactory*> factories(kThreads, nullptr);
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i) {
            threads.emplace_back([&, i] {
                ++ready;
                while (ready.load() < kThreads) {
                }
                factories[static_cast<size_t>(i)] = getFactory();
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        for (IPluginFactory* factory : factories) {
            if (!factory || factory != factories[0])
                _exit(12);
        }
        if (factories[0]->countClasses() != 2)
            _exit(13);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no load, 11: no entry, 12: different factories, "
                                         "13: wrong class count, 14: library was already loaded";
}

} // namespace

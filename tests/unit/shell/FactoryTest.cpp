// The module's entry points and its class factory, called in-process.
#include "sdk/LinuxModuleEntry.h"
#include "shell/ClassFactory.h"
#include "shell/ModuleEntry.h"
#include "platform/ModulePath.h"
#include "sdk/AudioEffect.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
std::atomic<bool> failCreation{false};
} // namespace

// The classes this test module publishes: the SDK's plain bases stand in for the player's.
namespace Steinberg {
namespace Vst {
FUnknown* createProcessorInstance(void*)
{
    if (failCreation)
        return nullptr;
    return static_cast<IAudioProcessor*>(new AudioEffect);
}
FUnknown* createControllerInstance(void*)
{
    if (failCreation)
        return nullptr;
    return static_cast<IEditController*>(new EditController);
}
} // namespace Vst
} // namespace Steinberg

namespace {

class Factory : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(InitDll());
        factory = GetPluginFactory();
        ASSERT_NE(factory, nullptr);
        factory->queryInterface(IPluginFactory2::iid, reinterpret_cast<void**>(&factory2));
        ASSERT_NE(factory2, nullptr);
    }
    void TearDown() override
    {
        factory2->release();
        factory->release();
    }
    IPluginFactory* factory = nullptr;
    IPluginFactory2* factory2 = nullptr;
};

} // namespace

TEST_F(Factory, InformationNamesTheVendor)
{
    PFactoryInfo info;
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "Norvane");
    EXPECT_STREQ(info.url, pluginDescription().url.c_str());
    EXPECT_STREQ(info.email, "");
    EXPECT_EQ(info.flags, 16);
}

TEST_F(Factory, ListsTheProcessorThenTheController)
{
    ASSERT_EQ(factory->countClasses(), 2);
    PClassInfo2 processor, controller;
    ASSERT_EQ(factory2->getClassInfo2(0, &processor), kResultOk);
    ASSERT_EQ(factory2->getClassInfo2(1, &controller), kResultOk);

    EXPECT_EQ(FUID::fromTUID(processor.cid), pluginDescription().processorClassId);
    EXPECT_EQ(processor.cardinality, 0x7FFFFFFF);
    EXPECT_STREQ(processor.category, "Audio Module Class");
    EXPECT_STREQ(processor.name, "Zephra SF2 Player");
    EXPECT_EQ(processor.classFlags, 0u);   // the hand-over works only inside one process
    EXPECT_STREQ(processor.subCategories, "Instrument");
    EXPECT_STREQ(processor.vendor, "");
    EXPECT_STREQ(processor.version, "1.5-fw 2.1");
    EXPECT_STREQ(processor.sdkVersion, "VST 3.6.8");

    EXPECT_EQ(FUID::fromTUID(controller.cid), pluginDescription().controllerClassId);
    EXPECT_EQ(controller.cardinality, 0x7FFFFFFF);
    EXPECT_STREQ(controller.category, "Component Controller Class");
    EXPECT_STREQ(controller.name, "Zephra SF2 Player Controller");
    EXPECT_EQ(controller.classFlags, 0u);
    EXPECT_STREQ(controller.subCategories, "");
    EXPECT_STREQ(controller.vendor, "");
    EXPECT_STREQ(controller.version, "1.5");
    EXPECT_STREQ(controller.sdkVersion, "VST 3.6.8");
}

TEST_F(Factory, TextFieldsAreZeroPadded)
{
    PClassInfo2 processor;
    factory2->getClassInfo2(0, &processor);
    const size_t used = std::strlen(processor.name);
    for (size_t i = used; i < sizeof(processor.name); ++i)
        ASSERT_EQ(processor.name[i], 0) << i;
}

TEST_F(Factory, PlainClassInfoMatchesTheExtendedOne)
{
    PClassInfo info;
    ASSERT_EQ(factory->getClassInfo(1, &info), kResultOk);
    EXPECT_STREQ(info.name, "Zephra SF2 Player Controller");
    EXPECT_EQ(factory->getClassInfo(2, &info), kInvalidArgument);
    EXPECT_EQ(factory->getClassInfo(-1, &info), kInvalidArgument);
    EXPECT_EQ(factory->getClassInfo(0, nullptr), kInvalidArgument);
}

TEST_F(Factory, SecondCallReturnsTheSameObjectWithOneMoreReference)
{
    IPluginFactory* again = GetPluginFactory();
    EXPECT_EQ(again, factory);
    // Three references now: SetUp's, the interface query's and this one; addRef reports four.
    EXPECT_EQ(factory->addRef(), 4u);
    factory->release();
    again->release();
}

TEST_F(Factory, CreatesBothClassesByTheirIds)
{
    PClassInfo2 processorInfo, controllerInfo;
    factory2->getClassInfo2(0, &processorInfo);
    factory2->getClassInfo2(1, &controllerInfo);
    IAudioProcessor* processor = nullptr;
    ASSERT_EQ(factory->createInstance(processorInfo.cid, IAudioProcessor::iid,
                                      reinterpret_cast<void**>(&processor)),
              kResultOk);
    ASSERT_NE(processor, nullptr);
    processor->release();
    IEditController* controller = nullptr;
    ASSERT_EQ(factory->createInstance(controllerInfo.cid, IEditController::iid,
                                      reinterpret_cast<void**>(&controller)),
              kResultOk);
    controller->release();
}

TEST_F(Factory, UnknownClassWrongInterfaceOrFailedCreationGiveNoObject)
{
    PClassInfo2 processorInfo;
    factory2->getClassInfo2(0, &processorInfo);
    void* object = reinterpret_cast<void*>(1);
    TUID unknown = {};
    EXPECT_NE(factory->createInstance(unknown, IAudioProcessor::iid, &object), kResultOk);
    EXPECT_EQ(object, nullptr);
    object = reinterpret_cast<void*>(1);
    EXPECT_NE(factory->createInstance(processorInfo.cid, IEditController::iid, &object), kResultOk);
    EXPECT_EQ(object, nullptr);
    failCreation = true;
    object = reinterpret_cast<void*>(1);
    EXPECT_NE(factory->createInstance(processorInfo.cid, IAudioProcessor::iid, &object), kResultOk);
    failCreation = false;
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->createInstance(processorInfo.cid, IAudioProcessor::iid, nullptr),
              kInvalidArgument);
}

TEST(FactoryLifetime, SimultaneousFirstCallsShareOneFactory)
{
    InitDll();
    std::vector<IPluginFactory*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = GetPluginFactory(); });
    for (std::thread& t : threads)
        t.join();
    const std::set<IPluginFactory*> distinct(seen.begin(), seen.end());
    ASSERT_EQ(distinct.size(), 1u);
    EXPECT_EQ((*distinct.begin())->countClasses(), 2);
    for (IPluginFactory* f : seen)
        f->release();
}

TEST(FactoryLifetime, ReleasedFactoryIsBuiltAgainWithTheSameRecords)
{
    InitDll();
    IPluginFactory* first = GetPluginFactory();
    PFactoryInfo before;
    first->getFactoryInfo(&before);
    first->release();
    IPluginFactory* second = GetPluginFactory();
    PFactoryInfo after;
    second->getFactoryInfo(&after);
    EXPECT_STREQ(after.vendor, before.vendor);
    EXPECT_EQ(second->countClasses(), 2);
    second->release();
}

TEST(ModuleEntryPoints, ExitDllLeavesTheDescriptionFilled)
{
    EXPECT_TRUE(InitDll());
    EXPECT_TRUE(ExitDll());
    EXPECT_EQ(pluginDescription().name, "Zephra SF2 Player");
    EXPECT_EQ(pluginDescription().parameters.size(), 7u);
}

TEST(ModuleEntryPoints, NestedEntriesRecordTheHandleUntilTheLastExit)
{
    int handle = 0;
    const int before = moduleEntryCount();
    EXPECT_TRUE(ModuleEntry(&handle));
    EXPECT_TRUE(ModuleEntry(&handle));
    EXPECT_EQ(moduleHandle(), &handle);
    EXPECT_EQ(pluginDescription().combinedVersion(), "1.5-fw 2.1");
    EXPECT_TRUE(ModuleExit());
    EXPECT_EQ(moduleHandle(), &handle);
    EXPECT_TRUE(ModuleExit());
    EXPECT_EQ(moduleEntryCount(), before);
    if (before == 0) {
        EXPECT_EQ(moduleHandle(), nullptr);
        EXPECT_FALSE(ModuleExit());   // no entry outstanding
        EXPECT_EQ(moduleEntryCount(), 0);
    }
}

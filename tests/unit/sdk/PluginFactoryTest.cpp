// CPluginFactory: class registration and instance creation.
#include "sdk/PluginFactory.h"

#include "public.sdk/source/vst/vsteditcontroller.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
int created = 0;
FUnknown* makeController(void* context)
{
    ++created;
    EXPECT_EQ(context, &created);
    return static_cast<IEditController*>(new EditController);
}

PClassInfo2 record(uint32 last)
{
    TUID cid;
    FUID(1, 2, 3, last).toTUID(cid);
    return PClassInfo2(cid, PClassInfo::kManyInstances, "Component Controller Class", "C", 0, "",
                       "", "1", "VST 3.6.8");
}
} // namespace

TEST(PluginFactory, RefusesNullAndDuplicateClasses)
{
    IPtr<CPluginFactory> factory = owned(new CPluginFactory(PFactoryInfo("v", "u", "e", 16)));
    const PClassInfo2 info = record(4);
    EXPECT_FALSE(factory->registerClass(nullptr, makeController));
    EXPECT_FALSE(factory->registerClass(&info, nullptr));
    EXPECT_TRUE(factory->registerClass(&info, makeController, &created));
    EXPECT_FALSE(factory->registerClass(&info, makeController, &created));
    EXPECT_EQ(factory->countClasses(), 1);
    EXPECT_TRUE(factory->isClassRegistered(FUID(1, 2, 3, 4)));
    EXPECT_FALSE(factory->isClassRegistered(FUID(1, 2, 3, 5)));
}

TEST(PluginFactory, PassesTheContextAndHandsOutOneReference)
{
    IPtr<CPluginFactory> factory = owned(new CPluginFactory(PFactoryInfo("v", "u", "e", 16)));
    const PClassInfo2 info = record(7);
    factory->registerClass(&info, makeController, &created);
    created = 0;
    IEditController* controller = nullptr;
    ASSERT_EQ(factory->createInstance(info.cid, IEditController::iid,
                                      reinterpret_cast<void**>(&controller)),
              kResultOk);
    EXPECT_EQ(created, 1);
    // Exactly one reference belongs to us: addRef makes two, two releases end it.
    EXPECT_EQ(controller->addRef(), 2u);
    controller->release();
    EXPECT_EQ(controller->release(), 0u);
}

TEST(PluginFactory, AnswersItsInterfacesOnly)
{
    IPtr<CPluginFactory> factory = owned(new CPluginFactory(PFactoryInfo("v", "u", "e", 16)));
    void* object = nullptr;
    EXPECT_EQ(factory->queryInterface(IPluginFactory2::iid, &object), kResultOk);
    factory->release();
    EXPECT_EQ(factory->queryInterface(IEditController::iid, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);
    PClassInfo2 info;
    EXPECT_EQ(factory->getClassInfo2(0, &info), kInvalidArgument);
    EXPECT_EQ(factory->getFactoryInfo(nullptr), kInvalidArgument);
}

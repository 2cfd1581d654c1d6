// Bus-name formatting and the module's resource folder.
#include "platform/BusNames.h"
#include "platform/ModulePath.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using namespace Steinberg::Vst;

namespace {
std::u16string format(const char16_t* pattern, int32_t number, size_t capacity = 128)
{
    char16_t out[128];
    formatBusName(out, capacity, pattern, number);
    return out;
}
} // namespace

TEST(BusNames, NumberReplacesThePlaceholder)
{
    EXPECT_EQ(format(u"AudioInput %d", 1), u"AudioInput 1");
    EXPECT_EQ(format(u"AudioSidChain %d", 1), u"AudioSidChain 1");
    EXPECT_EQ(format(u"Bus %d of %d", 12), u"Bus 12 of 12");
    EXPECT_EQ(format(u"%d", -7), u"-7");
    EXPECT_EQ(format(u"%d", INT32_MIN), u"-2147483648");
    EXPECT_EQ(format(u"100%%", 3), u"100%");
    EXPECT_EQ(format(u"no number", 3), u"no number");
}

TEST(BusNames, LongNamesAreCutAndStillTerminated)
{
    EXPECT_EQ(format(u"EventInput %d", 1, 6), u"Event");
    EXPECT_EQ(format(u"x", 1, 1), u"");
}

TEST(ModulePath, ResourcesSitBesideTheArchitectureFolder)
{
    EXPECT_EQ(resourceFolderFor("/a/Zephra SF2 Player.vst3/Contents/x86_64-linux/Zephra SF2 Player.so"),
              "/a/Zephra SF2 Player.vst3/Contents/Resources/");
    EXPECT_EQ(resourceFolderFor("plain.so"), "");
    EXPECT_EQ(resourceFolderFor("/plain.so"), "");
}

TEST(ModulePath, TheLoadedObjectIsFound)
{
    const std::string path = modulePath();
    EXPECT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
}

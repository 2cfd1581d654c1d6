// The module's own description before and after the module entry (its own process, so no
// other test has filled it first).
#include "shell/ParameterRegistry.h"
#include "shell/PluginDescription.h"

#include <gtest/gtest.h>

using namespace Steinberg::Vst;

TEST(ModuleDescription, StartsNeutralAndIsFilledByTheEntry)
{
    EXPECT_EQ(pluginDescription().combinedVersion(), "0-fw 2.1");
    EXPECT_EQ(pluginDescription().vendor, "no vendor name");
    EXPECT_TRUE(pluginDescription().parameters.empty());
    EXPECT_TRUE(fillDescription());
    EXPECT_EQ(pluginDescription().combinedVersion(), "1.5-fw 2.1");
    EXPECT_EQ(pluginDescription().parameters.size(), 7u);
}

// Guards against a second module entry rewriting the description other instances are reading.
TEST(ModuleDescription, TheModuleEntryFillsItOnlyOnce)
{
    EXPECT_TRUE(fillDescriptionOnce() && (pluginDescription().vendor = "read by a running instance", fillDescriptionOnce()));
    EXPECT_EQ(pluginDescription().vendor, "read by a running instance");
}

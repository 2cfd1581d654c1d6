#pragma once
// The fixture of the integration tests that drive one instance of the built bundle: SetUp loads
// the bundle through the host library and creates the plug-in (component and controller,
// connected), failing the test with the host library's reason when either step fails. A suite
// that needs more calls BundleFixture::SetUp() (or setUpProcessing) first and returns if it
// failed. loadBundle and createPlugin serve tests that make their instances themselves.
// Needs ZEPHRA_BUNDLE_PATH (set for every integration test). Threads: the test's thread.
#include "host/PluginHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace zephra {
namespace test {

// The built bundle, or null with the host library's reason as a test failure.
inline std::shared_ptr<host::Module> loadBundle()
{
    std::string error;
    auto module = host::Module::load(ZEPHRA_BUNDLE_PATH, error);
    EXPECT_TRUE(module) << error;
    return module;
}

// A plug-in of the module, or null with the host library's reason as a test failure.
inline std::unique_ptr<host::Plugin> createPlugin(host::Module& module)
{
    std::string error;
    auto plugin = host::Plugin::create(module, error);
    EXPECT_TRUE(plugin) << error;
    return plugin;
}

class BundleFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        module = loadBundle();
        ASSERT_NE(module, nullptr);
        plugin = createPlugin(*module);
        ASSERT_NE(plugin, nullptr);
    }

    // SetUp, then the plug-in set up for processing; a suite's SetUp that calls it returns when
    // it failed.
    void setUpProcessing(double sampleRate, int32_t maxBlock)
    {
        BundleFixture::SetUp();
        if (HasFatalFailure())
            return;
        std::string error;
        ASSERT_TRUE(plugin->setup(sampleRate, maxBlock, &error)) << error;
    }

    // Declared first, so the plug-in ends before its module, after everything a suite adds.
    std::shared_ptr<host::Module> module;
    std::unique_ptr<host::Plugin> plugin;
};

} // namespace test
} // namespace zephra

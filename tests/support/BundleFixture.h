#pragma once
// The fixture of the integration tests that drive one instance of the built bundle: SetUp loads
// the bundle through the host library and creates the plug-in (component and controller,
// connected), failing the test with the host library's reason when either step fails. A suite
// that needs more calls BundleFixture::SetUp() first and returns if it failed.
// Needs ZEPHRA_BUNDLE_PATH (set for every integration test). Threads: the test's thread.
#include "host/PluginHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace zephra {
namespace test {

class BundleFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        module = host::Module::load(ZEPHRA_BUNDLE_PATH, error);
        ASSERT_NE(module, nullptr) << error;
        plugin = host::Plugin::create(*module, error);
        ASSERT_NE(plugin, nullptr) << error;
    }

    // Declared first, so the plug-in ends before its module, after everything a suite adds.
    std::shared_ptr<host::Module> module;
    std::unique_ptr<host::Plugin> plugin;
};

} // namespace test
} // namespace zephra

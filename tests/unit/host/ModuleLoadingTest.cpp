#include "host/PluginHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace zephra::host;

namespace {

void expectRefusal(const std::string& path, const std::string& expectedPart) {
    std::string error;
    std::shared_ptr<Module> module = Module::load(path, error);
    EXPECT_EQ(module, nullptr) << path;
    EXPECT_NE(error.find(expectedPart), std::string::npos) << "error was: " << error;
}

TEST(ModuleLoading, AMissingPathIsRefusedWithItsName) {
    expectRefusal("/nonexistent/Nothing.vst3", "no bundle at \"/nonexistent/Nothing.vst3\"");
}

TEST(ModuleLoading, ABundleFolderWithoutItsLibraryIsRefused) {
    const auto folder = std::filesystem::temp_directory_path() / "zephra-host-empty.vst3";
    std::filesystem::create_directories(folder / "Contents" / "x86_64-linux");
    expectRefusal(folder.string(), "holds no shared object");
    std::filesystem::remove_all(folder);
}

TEST(ModuleLoading, AFileThatIsNoSharedObjectIsRefused) {
    const auto file = std::filesystem::temp_directory_path() / "zephra-host-text.so";
    std::ofstream(file) << "not a library";
    expectRefusal(file.string(), "cannot load");
    std::filesystem::remove(file);
}

TEST(ModuleLoading, ALibraryWithoutEntryPointsIsRefused) {
    expectRefusal(HOST_BROKEN_NO_ENTRY, "exports no ModuleEntry");
}

TEST(ModuleLoading, AFailingModuleEntryIsReported) {
    expectRefusal(HOST_BROKEN_FAILING_ENTRY, "ModuleEntry");
}

TEST(ModuleLoading, AModuleWithoutGetPluginFactoryIsRefused) {
    expectRefusal(HOST_BROKEN_NO_FACTORY, "exports no GetPluginFactory");
}

TEST(ModuleLoading, AModuleGivingNoFactoryIsRefused) {
    expectRefusal(HOST_BROKEN_NULL_FACTORY, "returned no factory");
}

TEST(ModuleLoading, ABundleFolderLeadsToTheLibraryInside) {
    std::string error;
    auto module = Module::load(HOST_FAKE_BUNDLE, error);
    ASSERT_NE(module, nullptr) << error;
    EXPECT_NE(module->libraryPath().find("Contents/x86_64-linux/Fake Plug.so"), std::string::npos);
}

TEST(ModuleLoading, FactoryAndClassRecordsAreRead) {
    std::string error;
    auto module = Module::load(HOST_FAKE_PLUGIN, error);
    ASSERT_NE(module, nullptr) << error;
    EXPECT_EQ(module->factoryInfo().vendor, "Fake Vendor");
    EXPECT_EQ(module->factoryInfo().url, "https://example.invalid");
    EXPECT_EQ(module->factoryInfo().email, "");
    EXPECT_EQ(module->factoryInfo().flags, 16);
    ASSERT_EQ(module->classes().size(), 2u);
    const ClassRecord& processor = module->classes()[0];
    EXPECT_TRUE(processor.hasInfo2);
    EXPECT_EQ(processor.category, "Audio Module Class");
    EXPECT_EQ(processor.name, "Fake");
    EXPECT_EQ(processor.classFlags, 1u);
    EXPECT_EQ(processor.subCategories, "Fx");
    EXPECT_EQ(processor.sdkVersion, "VST 3.6.8");
    EXPECT_EQ(module->findClass("Component Controller Class"), &module->classes()[1]);
    EXPECT_EQ(module->findClass("No Such Class"), nullptr);
    EXPECT_NE(module->symbol("GetPluginFactory"), nullptr);
    EXPECT_EQ(module->symbol("NoSuchSymbol"), nullptr);
}

} // namespace

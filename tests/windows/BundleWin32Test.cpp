// The Windows bundle as a Windows host loads it (LoadLibraryW, InitDll, GetPluginFactory):
// exactly three exports, the same factory and class records as on Linux, a generated font
// playing its pitches, a saved state restoring, a state from Linux treated as a missing file,
// and the editor pictured off screen.
#include "editor/IOffscreenEditor.h"
#include "host/PluginHost.h"
#include "support/BundleSupport.h"
#include "unit/controller/TestFonts.h"

#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <set>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::test;

namespace Steinberg {
namespace Vst {
DEF_CLASS_IID(IOffscreenEditor)
}
}

namespace {

// The names in the DLL's export directory, read from the mapped image.
std::set<std::string> exportedNames(const std::string& path)
{
    std::set<std::string> names;
    std::wstring wide(path.begin(), path.end());
    HMODULE image = LoadLibraryExW(wide.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!image)
        return names;
    const auto* base = reinterpret_cast<const unsigned char*>(image);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (entry.Size != 0) {
        const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
        const auto* nameTable = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
        for (DWORD i = 0; i < exports->NumberOfNames; ++i)
            names.insert(reinterpret_cast<const char*>(base + nameTable[i]));
    }
    FreeLibrary(image);
    return names;
}

// A class ID as the GUID text hosts show and store; Windows keeps the bytes in COM order.
std::string registryText(const zephra::host::ClassId& id)
{
    TUID raw;
    std::memcpy(raw, id.data(), 16);
    char8 text[40] = {};
    FUID::fromTUID(raw).toRegistryString(text);
    return text;
}

std::string describeEditor(IOffscreenEditor* editor)
{
    std::string text(size_t(editor->describe(nullptr, 0)), '\0');
    editor->describe(text.data(), int32(text.size()));
    return text;
}

} // namespace

TEST(WindowsBundle, ExportsExactlyTheThreeEntryPointsAndLoadsWithRecordsAsOnLinux)
{
    auto module = loadBundle();
    ASSERT_TRUE(module);
    EXPECT_NE(module->libraryPath().find("Contents\\x86_64-win\\Zephra SF2 Player.vst3"), std::string::npos)
        << module->libraryPath();
    EXPECT_EQ(exportedNames(module->libraryPath()),
              (std::set<std::string>{"ExitDll", "GetPluginFactory", "InitDll"}));

    EXPECT_EQ(module->factoryInfo().vendor, "Norvane");
    EXPECT_EQ(module->factoryInfo().url, "https://norvane.audio/zephra-sf2-player");
    EXPECT_EQ(module->factoryInfo().flags, 16);
    ASSERT_EQ(module->classes().size(), 2u);
    const auto& processor = module->classes()[0];
    const auto& controller = module->classes()[1];
    EXPECT_EQ(processor.category, "Audio Module Class");
    EXPECT_EQ(processor.name, "Zephra SF2 Player");
    EXPECT_EQ(processor.subCategories, "Instrument");
    EXPECT_EQ(processor.classFlags, 0u);   // as on Linux: not distributable, the sound travels by address
    EXPECT_EQ(processor.version, "1.5-fw 2.1");
    EXPECT_EQ(processor.sdkVersion, "VST 3.6.8");
    EXPECT_EQ(registryText(processor.classId), "{6A3C1E52-9B4D-4F7A-8E21-5D0C7B93A1F4}");
    EXPECT_EQ(controller.category, "Component Controller Class");
    EXPECT_EQ(controller.name, "Zephra SF2 Player Controller");
    EXPECT_EQ(controller.version, "1.5");
    EXPECT_EQ(registryText(controller.classId), "{B2E87F10-3C6A-4D59-9F04-71A8C2D5E6B3}");
}

TEST(WindowsBundle, GeneratedFontPlaysItsPitchesAndASavedStateRestoresAndPlays)
{
    TempFile font("tones.sf2", makePitchedPresetsFont(3));
    auto module = loadBundle();
    ASSERT_TRUE(module);
    auto plugin = createPlugin(*module);
    ASSERT_TRUE(plugin);
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(font.path, 1)), kResultOk);
    ASSERT_TRUE(plugin->setup(44100.0, 512));
    plugin->process(512);
    const std::vector<float> played = renderNote(*plugin, 69, 16);
    const double expected = 440.0 * std::pow(2.0, presetTransposition(1) / 12.0);
    EXPECT_NEAR(estimateFrequency(played, 44100.0, 2048), expected, expected * 0.003);

    const std::vector<uint8_t> saved = plugin->controllerState();
    auto reopened = createPlugin(*module);
    ASSERT_TRUE(reopened);
    ASSERT_EQ(reopened->setControllerState(saved), kResultOk);
    EXPECT_EQ(reopened->controllerState(), saved);
    ASSERT_TRUE(reopened->setup(44100.0, 512));
    reopened->process(512);
    const std::vector<float> replayed = renderNote(*reopened, 69, 16);
    EXPECT_NEAR(estimateFrequency(replayed, 44100.0, 2048), expected, expected * 0.003);
}

TEST(WindowsBundle, StateNamingALinuxPathIsAMissingFileTheEditorShowsAndTheStateKeeps)
{
    auto module = loadBundle();
    ASSERT_TRUE(module);
    auto plugin = createPlugin(*module);
    ASSERT_TRUE(plugin);
    const std::string linuxPath = "/home/musician/fonts/Grand Piano.sf2";
    const std::vector<uint8_t> state = controllerStateNaming(linuxPath, 0);
    EXPECT_EQ(plugin->setControllerState(state), kResultOk);
    // As for any missing file: an empty record list, so nothing plays.
    const auto sent = messagesWithId(*plugin, "SF2DATA");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].binaries.at("SFSynthList").size(), 24u);
    EXPECT_EQ(plugin->controllerState(), state);   // nothing of the project is lost

    IPlugView* view = plugin->controller()->createView("editor");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
    IOffscreenEditor* editor = nullptr;
    ASSERT_EQ(view->queryInterface(IOffscreenEditor::iid, reinterpret_cast<void**>(&editor)), kResultOk);
    ASSERT_EQ(editor->openOffscreen(), kResultOk);
    editor->tick();
    const std::string shown = describeEditor(editor);
    EXPECT_NE(shown.find(linuxPath + " (not found)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("background=681x441"), std::string::npos) << shown;

    // The picture: drawn by GDI+ from the bundle's images, written as a PNG file.
    const std::string png = std::string(ZEPHRA_BINARY_DIR) + "/windows_editor.png";
    std::remove(png.c_str());
    ASSERT_EQ(editor->writeScreenshot(png.c_str(), 1.0), kResultOk);
    std::ifstream file(png, std::ios::binary);
    std::string head(8, '\0');
    file.read(head.data(), 8);
    EXPECT_EQ(head, "\x89PNG\r\n\x1a\n");
    editor->closeOffscreen();
    editor->release();
    view->release();
    EXPECT_EQ(plugin->controllerState(), state);
}

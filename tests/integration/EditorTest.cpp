// The player's editor as a DAW opens it, off screen: the built bundle's view, driven through
// its off-screen interface with mouse, keys, timer ticks and scripted file dialogs, with the
// processor playing what the editor chose.
#include "editor/IOffscreenEditor.h"
#include "host/MessageObjects.h"
#include "host/PluginHost.h"
#include "support/SignalAnalysis.h"
#include "support/SoundFontWriter.h"
#include "support/StateBytes.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "support/BundleFixture.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <unistd.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::host;
using zephra::test::controllerStateNaming;

namespace Steinberg {
namespace Vst {
DEF_CLASS_IID(IOffscreenEditor)
}
}

namespace {

constexpr int32_t kBlock = 512;

class PlayerEditor : public zephra::test::BundleFixture {
protected:
    void SetUp() override
    {
        setUpProcessing(44100.0, kBlock);
        if (HasFatalFailure())
            return;
        fontPath = scratch("font.sf2");
        ASSERT_TRUE(zephra::test::writeFile(fontPath, zephra::test::makePianoDrumsOrganFont()));
        // The editor size is remembered per user: here in a folder of the test's own.
        setenv("XDG_CONFIG_HOME", scratch("config").c_str(), 1);
    }
    void TearDown() override
    {
        closeEditor();
        plugin.reset();
        module.reset();
        std::remove(fontPath.c_str());
        std::system(("rm -rf '" + scratch("config") + "'").c_str());
    }
    static std::string scratch(const std::string& name)
    {
        return std::string(ZEPHRA_BINARY_DIR) + "/editor_" + std::to_string(getpid()) + "_" + name;
    }

    void openEditor()
    {
        view = plugin->controller()->createView("editor");
        ASSERT_NE(view, nullptr);
        ASSERT_EQ(view->queryInterface(IOffscreenEditor::iid, reinterpret_cast<void**>(&editor)), kResultOk);
        ASSERT_EQ(editor->openOffscreen(), kResultOk);
    }
    void closeEditor()
    {
        if (editor) {
            editor->closeOffscreen();
            editor->release();
        }
        if (view)
            view->release();
        editor = nullptr;
        view = nullptr;
    }
    std::map<std::string, std::string> shown()
    {
        std::string text(size_t(editor->describe(nullptr, 0)), '\0');
        editor->describe(text.data(), int32(text.size()));
        std::map<std::string, std::string> values;
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            const std::string line = text.substr(start, end - start);
            values[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
        }
        return values;
    }
    void click(double x, double y)
    {
        editor->mouse(kOffscreenMouseDown, x, y);
        editor->mouse(kOffscreenMouseUp, x, y);
    }
    void clickRow(int row, int32 kind = kOffscreenMouseDown)
    {
        auto s = shown();
        const double height = std::stod(s["listRowHeight"]);
        const double x = std::stod(s["listLeft"]) + 40;
        const double y = std::stod(s["listTop"]) + 1 + (row + 0.5) * height - std::stod(s["listScroll"]);
        if (kind == kOffscreenMouseHover)
            editor->mouse(kind, x, y);
        else
            click(x, y);
    }
    size_t soundsSent()
    {
        size_t count = 0;
        for (const MessageRecord& message : plugin->messages()) {
            count += message.id == "SF2DATA";
            EXPECT_TRUE(message.id != "SF2DATA" || message.thread == std::this_thread::get_id())
                << "a sound sent off the UI thread";
        }
        return count;
    }
    void type(const std::string& text)
    {
        click(600, 230);   // the bend-range field: replace what it shows
        editor->key(kOffscreenKeyEnd, 0);
        for (int i = 0; i < 8; ++i)
            editor->key(kOffscreenKeyBackspace, 0);
        for (char c : text)
            editor->key(kOffscreenKeyNone, c);
        editor->key(kOffscreenKeyReturn, 0);
    }
    // Ticks the editor until the controller has sent every file it was reading.
    void waitLoaded()
    {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(3);
        while (editor && shown()["loading"] != "0" && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            editor->tick();
        }
    }
    // The pitch the instrument plays for key 69 now.
    double playedFrequency()
    {
        waitLoaded();
        plugin->process(kBlock);   // a sound sent meanwhile is adopted at the end of this block
        std::vector<float> left;
        for (int b = 0; b < 12; ++b) {
            std::vector<NoteEvent> notes;
            if (b == 0)
                notes.push_back(NoteEvent::on(0, 69));
            if (b == 11)
                notes.push_back(NoteEvent::off(kBlock - 1, 69));
            const StereoBuffer& out = plugin->process(kBlock, {}, notes);
            left.insert(left.end(), out.left.begin(), out.left.end());
        }
        return zephra::test::estimateFrequency(left, 44100.0, 2048);
    }
    void sendToController(const char* id, const char* key, const std::vector<uint8_t>& bytes)
    {
        auto* message = new Message;
        message->setMessageID(id);
        message->getAttributes()->setBinary(key, bytes.data(), uint32(bytes.size()));
        IConnectionPoint* point = nullptr;
        ASSERT_EQ(plugin->controller()->queryInterface(IConnectionPoint::iid, reinterpret_cast<void**>(&point)), kResultOk);
        point->notify(message);
        point->release();
        message->release();
    }

    IPlugView* view = nullptr;
    IOffscreenEditor* editor = nullptr;
    std::string fontPath;
};

} // namespace

TEST_F(PlayerEditor, ChosenFontListsSortedPresetsAndTheChosenRowPlays)
{
    openEditor();
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultFalse);
    auto s = shown();
    EXPECT_EQ(s["background"], "681x441") << "the image is looked up in the bundle's Resources";
    EXPECT_EQ(s["listRows"], "0");

    editor->scriptFileDialogs(fontPath.c_str(), true);
    click(30, 30);   // the load icon; the dialog stays open
    click(90, 35);   // the area beside it, while the user is still choosing
    EXPECT_EQ(editor->fileDialogsStarted(), 1) << "a second dialog while one is open";
    s = shown();
    EXPECT_EQ(s["dialogTitle"], "ファイルの選択");
    EXPECT_EQ(s["dialogFilters"], "ALL Files:*|SoundFont2 File:sf2|SoundFont 3 File:sf3");
    EXPECT_EQ(s["listRows"], "0") << "the list fills when the dialog ends, not before";
    editor->finishFileDialogs();

    s = shown();
    EXPECT_EQ(s["row0"], "000:000 - Piano");
    EXPECT_EQ(s["row1"], "000:005 - Organ");
    EXPECT_EQ(s["row2"], "128:000 - Drums");
    EXPECT_EQ(s["rowToPreset0"] + s["rowToPreset1"] + s["rowToPreset2"], "021");
    EXPECT_EQ(s["listSelected"], "0");
    EXPECT_EQ(s["fileName"], fontPath);
    EXPECT_EQ(s["loadButtonValue"], "0") << "the load button must not carry the Mod Wheel";
    EXPECT_NEAR(playedFrequency(), 441.0, 2.5);

    clickRow(2);
    EXPECT_NEAR(playedFrequency(), 882.0, 5.0) << "row 2 is preset index 1, an octave up";
    EXPECT_EQ(plugin->controllerState(), controllerStateNaming(fontPath, 1));
    editor->key(kOffscreenKeyUp, 0);   // the list has the keyboard after the click
    EXPECT_EQ(shown()["listSelected"], "1");
    EXPECT_EQ(plugin->controllerState(), controllerStateNaming(fontPath, 2)) << "Up loads the row above";
    editor->key(kOffscreenKeyNone, 'd');
    EXPECT_EQ(shown()["listSelected"], "2") << "typing finds the preset named Drums";
    for (const EditRecord& edit : plugin->edits())
        EXPECT_TRUE(edit.id != 1 && edit.id < 10000) << "the host heard of tag " << edit.id;

    // Reopening shows the stored preset's row; the dialog starts in the font's folder.
    closeEditor();
    openEditor();
    s = shown();
    EXPECT_EQ(s["listSelected"], "2");
    EXPECT_EQ(s["fileName"], fontPath);
    editor->scriptFileDialogs(nullptr, false);
    click(30, 30);
    EXPECT_EQ(shown()["dialogFolder"], fontPath.substr(0, fontPath.rfind('/') + 1));
}

TEST_F(PlayerEditor, DialogStartsInThePresetFolderElseTheSystemFontsElseHome)
{
    const std::string home = scratch("home/");
    const std::string presets = home + ".vst3/presets/Norvane/Zephra SF2 Player/";
    ASSERT_EQ(std::system(("mkdir -p '" + presets + "'").c_str()), 0);
    const char* previousHome = std::getenv("HOME");
    const std::string savedHome = previousHome ? previousHome : "";
    setenv("HOME", home.c_str(), 1);
    openEditor();
    editor->scriptFileDialogs(nullptr, false);
    click(30, 30);
    EXPECT_EQ(shown()["dialogFolder"], presets);
    ASSERT_EQ(std::system(("rm -rf '" + home + ".vst3'").c_str()), 0);
    click(30, 30);
    const bool systemFonts = access("/usr/share/sounds/sf2", F_OK) == 0;
    EXPECT_EQ(shown()["dialogFolder"], systemFonts ? "/usr/share/sounds/sf2" : home);
    setenv("HOME", savedHome.c_str(), 1);
    std::system(("rm -rf '" + home + "'").c_str());
}

TEST_F(PlayerEditor, BendRangeFieldAndRockerEditTheParameter)
{
    openEditor();
    IEditController* controller = plugin->controller();
    const std::vector<std::pair<std::string, double>> typed = {
        {"15", 1.0}, {"2.5", 3.0 / 12}, {"abc", 0.0}, {"-3", 0.0}};
    for (const auto& entry : typed) {
        type(entry.first);
        EXPECT_NEAR(controller->getParamNormalized(1000), entry.second, 1e-6) << entry.first;
    }
    type("15");
    editor->tick();
    EXPECT_EQ(shown()["bendRangeText"], "12") << "a limited value shows as the parameter has it";

    auto pressRocker = [&](double y) {
        editor->mouse(kOffscreenMouseDown, 650, y);
        editor->mouse(kOffscreenMouseUp, 650, y);
    };
    pressRocker(224);   // upper half at the top of the range
    EXPECT_NEAR(controller->getParamNormalized(1000), 1.0, 1e-6);
    type("0");
    editor->tick();
    pressRocker(238);   // lower half at the bottom
    EXPECT_NEAR(controller->getParamNormalized(1000), 0.0, 1e-6);
    pressRocker(224);
    pressRocker(224);   // twice within one tick: the field has not caught up yet
    EXPECT_NEAR(controller->getParamNormalized(1000), 1.0 / 12, 1e-6);
    editor->tick();
    pressRocker(224);
    EXPECT_NEAR(controller->getParamNormalized(1000), 2.0 / 12, 1e-6);
    EXPECT_EQ(shown()["rocker"], "0.5") << "the rocker springs back to rest";
}

TEST_F(PlayerEditor, DisplaysFollowReportsAndHostChangesOnTheNextTick)
{
    openEditor();
    sendToController("USEDMEM", "usedMem", {0, 0, 16, 0, 0, 0, 0, 0});   // 1,048,576
    sendToController("VOICENUM", "voiceNum", {0xFD, 0xFF, 0xFF, 0xFF});    // -3
    EXPECT_EQ(shown()["memory"], "0") << "labels change only on the timer tick";
    plugin->controller()->setParamNormalized(7, 0.25);
    plugin->controller()->setParamNormalized(1001, 0.25);
    editor->tick();
    auto s = shown();
    EXPECT_EQ(s["memory"], "1024");
    EXPECT_EQ(s["voices"], "-3");
    EXPECT_EQ(s["volumeKnob"], "0.25");
    EXPECT_NE(s["outputKnob"], "0.25") << "the output knob shows only the user's own changes";
    EXPECT_EQ(s["sustain"], "off");
    sendToController("USEDMEM", "usedMem", {0xFF, 3, 0, 0, 0, 0, 0, 0});   // 1023
    editor->tick();
    EXPECT_EQ(shown()["memory"], "0");
}

// The editor asks for the voice count on its timer, on the UI thread, while an audio thread
// plays: a held note shows as one voice within a second (ten ticks), and every message travels
// on the UI thread (the refused-message check fails the test otherwise).
TEST_F(PlayerEditor, AHeldNoteShowsAsOneVoiceWithinASecondWhileAnAudioThreadPlays)
{
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, 0)), kResultOk);
    openEditor();
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        plugin->process(kBlock, {}, {NoteEvent::on(0, 69)});
        for (; !stop; std::this_thread::sleep_for(std::chrono::milliseconds(11)))   // about real time
            plugin->process(kBlock);
    });
    for (int tick = 0; tick < 10 && shown()["voices"] != "1"; ++tick) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));   // the editor's timer interval
        editor->tick();
    }
    stop = true;
    audio.join();
    EXPECT_EQ(shown()["voices"], "1");
    for (const MessageRecord& record : plugin->messages())
        EXPECT_EQ(record.thread, std::this_thread::get_id()) << record.id;
}

TEST_F(PlayerEditor, MissingOrForeignFontIsNamedAndTheProjectKeepsIt)
{
    const std::string missing = scratch("moved.sf2");
    const std::vector<uint8_t> project = controllerStateNaming(missing, 2);
    ASSERT_EQ(plugin->setControllerState(project), kResultOk);
    openEditor();
    auto s = shown();
    EXPECT_EQ(s["fileName"], missing + " (not found)");
    EXPECT_EQ(s["listRows"], "0");
    EXPECT_EQ(plugin->controllerState(), project) << "saving the project keeps path and preset";

    const std::string foreign = scratch("notes.sf2");
    ASSERT_TRUE(zephra::test::writeFile(foreign, {'R', 'I', 'F', 'F', 0, 0, 0, 0}));
    editor->scriptFileDialogs(foreign.c_str(), false);
    click(30, 30);
    EXPECT_EQ(shown()["fileName"], foreign + " (not a SoundFont 2 or 3 file)");
    EXPECT_EQ(plugin->controllerState(), controllerStateNaming(foreign, 0));
    std::remove(foreign.c_str());

    editor->scriptFileDialogs(nullptr, false);   // a cancelled dialog changes nothing
    click(30, 30);
    EXPECT_EQ(plugin->controllerState(), controllerStateNaming(foreign, 0));
}

TEST_F(PlayerEditor, DoubleScalePictureMatchesTheSingleScaleLayout)
{
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, 0)), kResultOk);
    openEditor();
    const std::string one = scratch("x1.png"), two = scratch("x2.png");
    ASSERT_EQ(editor->writeScreenshot(one.c_str(), 1.0), kResultOk);
    ASSERT_EQ(editor->writeScreenshot(two.c_str(), 2.0), kResultOk);
    cairo_surface_t* small = cairo_image_surface_create_from_png(one.c_str());
    cairo_surface_t* large = cairo_image_surface_create_from_png(two.c_str());
    ASSERT_EQ(cairo_image_surface_get_width(large), 2 * 681);
    // Each 2x2 block of the HiDPI picture averages to the same pixel at scale 1: every
    // caption and control sits in the same place at both scales.
    auto channel = [](cairo_surface_t* image, int x, int y, int shift) {
        const auto* row = cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
        return int((reinterpret_cast<const uint32_t*>(row)[x] >> shift) & 0xFF);
    };
    double difference = 0;
    for (int y = 0; y < 441; ++y)
        for (int x = 0; x < 681; ++x)
            for (int shift : {0, 8, 16}) {
                const int average = (channel(large, 2 * x, 2 * y, shift) + channel(large, 2 * x + 1, 2 * y, shift) +
                                     channel(large, 2 * x, 2 * y + 1, shift) + channel(large, 2 * x + 1, 2 * y + 1, shift)) / 4;
                difference += std::abs(average - channel(small, x, y, shift));
            }
    EXPECT_LT(difference / (681.0 * 441 * 3), 6.0) << "mean difference per channel";
    cairo_surface_destroy(small);
    cairo_surface_destroy(large);
    std::remove(one.c_str());
    std::remove(two.c_str());
}

TEST_F(PlayerEditor, StoredPresetRowIsInViewWhereverItLiesInALongList)
{
    // Guards against a scroll target past the end: rows are shorter than the 22 pixels the
    // scroll arithmetic counts, so the target could fall beyond the last row.
    zephra::test::SineFontOptions options;
    options.presetCount = 40;
    ASSERT_TRUE(zephra::test::writeFile(fontPath, zephra::test::makeSineSoundFont(options)));
    for (int preset : {0, 20, 37, 39}) {
        ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, preset)), kResultOk);
        openEditor();
        auto s = shown();
        const double height = std::stod(s["listRowHeight"]), scroll = std::stod(s["listScroll"]);
        EXPECT_EQ(s["listSelected"], std::to_string(preset));
        EXPECT_GE(preset * height, scroll) << preset;
        EXPECT_LE((preset + 1) * height, scroll + std::stod(s["listVisibleHeight"])) << preset;
        closeEditor();
    }
}

// Hosts size their window from getSize before attaching, and some set the content scale first.
TEST_F(PlayerEditor, ViewSizeIsKnownBeforeAttachingAndTheUsersSizeOutlivesTheView)
{
    auto sizeOf = [](IPlugView* v) {
        ViewRect size;
        v->getSize(&size);
        return std::to_string(size.getWidth()) + "x" + std::to_string(size.getHeight());
    };
    auto fitted = [this](int32 width, int32 height) {
        ViewRect proposal(0, 0, width, height);
        EXPECT_EQ(view->checkSizeConstraint(&proposal), kResultTrue);
        return std::to_string(proposal.getWidth()) + "x" + std::to_string(proposal.getHeight());
    };
    view = plugin->controller()->createView("editor");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(sizeOf(view), "681x441");
    EXPECT_EQ(view->canResize(), kResultTrue);
    IPlugViewContentScaleSupport* scale = nullptr;
    ASSERT_EQ(view->queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scale)), kResultOk);
    EXPECT_EQ(scale->setContentScaleFactor(2.f), kResultTrue);
    EXPECT_EQ(sizeOf(view), "1362x882");
    EXPECT_EQ(fitted(5000, 5000), "2724x1764") << "at most 200 %";
    EXPECT_EQ(fitted(10, 10), "681x441") << "at least 50 %";
    EXPECT_EQ(scale->setContentScaleFactor(1.f), kResultTrue);
    EXPECT_EQ(fitted(1021, 700), "1021x661") << "the aspect ratio holds";
    ViewRect dragged(0, 0, 1021, 661);
    EXPECT_EQ(view->onSize(&dragged), kResultTrue);
    EXPECT_EQ(sizeOf(view), "1021x661");
    scale->release();
    view->release();   // remembers the size for the user
    view = nullptr;

    const std::string settings = scratch("config") + "/Norvane/Zephra SF2 Player/editor.conf";
    std::ifstream file(settings);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "size=149.89\n");
    view = plugin->controller()->createView("editor");   // a new view of the same controller
    EXPECT_EQ(sizeOf(view), "1021x661");
    ViewRect replayed(0, 0, 681, 441);   // a size the host did not check first: not the user's
    EXPECT_EQ(view->onSize(&replayed), kResultTrue);
    EXPECT_EQ(sizeOf(view), "681x441");
    view->release();
    view = plugin->controller()->createView("editor");
    EXPECT_EQ(sizeOf(view), "1021x661");
    view->release();
    ASSERT_TRUE(zephra::test::writeFile(settings, {'s', 'i', 'z', 'e', '=', '9', '0', '0'}));
    view = plugin->controller()->createView("editor");
    EXPECT_EQ(sizeOf(view), "681x441") << "a size out of range is not taken";
}

// The host may remove or release the view while the user is still choosing a file: the
// answer must then reach nothing, and the next editor works as before.
TEST_F(PlayerEditor, DialogAnswerAfterTheEditorWentLoadsNothing)
{
    const std::vector<uint8_t> before = plugin->controllerState();
    openEditor();
    editor->scriptFileDialogs(fontPath.c_str(), true);
    click(30, 30);
    ASSERT_EQ(shown()["selectorOpen"], "1");
    EXPECT_EQ(view->removed(), kResultOk);   // as the host removes an attached view
    EXPECT_EQ(shown()["dialogsCancelled"], "1") << "the dialog ends with the editor";
    editor->finishFileDialogs();
    EXPECT_EQ(plugin->controllerState(), before);
    EXPECT_EQ(shown()["open"], "no");

    ASSERT_EQ(editor->openOffscreen(), kResultOk);   // attach again, same view
    editor->scriptFileDialogs(fontPath.c_str(), true);
    click(30, 30);
    editor->release();   // released with the dialog open, not removed first
    view->release();
    editor = nullptr;
    view = nullptr;
    EXPECT_EQ(plugin->controllerState(), before);

    openEditor();   // a new view of the same controller
    editor->scriptFileDialogs(fontPath.c_str(), false);
    click(30, 30);
    EXPECT_EQ(shown()["row0"], "000:000 - Piano");
    EXPECT_EQ(plugin->controllerState(), controllerStateNaming(fontPath, 0));
}

namespace {
// The plain font's presets renamed as old and foreign editors store names: Windows-1252, CJK
// (UTF-8) and 20 wide letters.
std::vector<uint8_t> renamedFont()
{
    std::vector<uint8_t> bytes = zephra::test::makePianoDrumsOrganFont();
    const char* names[] = {"Fl\xFCgel", "\xE6\x89\x93\xE6\x93\x8A\xE6\xA8\x82\xE5\x99\xA8", "WWWWWWWWWWWWWWWWWWWW"};
    const size_t table = std::string(bytes.begin(), bytes.end()).find("phdr") + 8;
    for (size_t preset = 0; preset < 3; ++preset) {
        std::fill_n(bytes.begin() + long(table + 38 * preset), 20, 0);
        std::memcpy(bytes.data() + table + 38 * preset, names[preset], std::strlen(names[preset]));
    }
    return bytes;
}

// The pixels of the controllers and output panels and of the load icon, as drawn at scale.
std::vector<uint32_t> controlPixels(const std::string& png, int scale)
{
    cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
    std::vector<uint32_t> pixels;
    for (const auto& area : {std::array<int, 4>{240, 198, 671, 433}, std::array<int, 4>{20, 20, 45, 45}})
        for (int y = area[1] * scale; y < area[3] * scale; ++y)
            for (int x = area[0] * scale; x < area[2] * scale; ++x)
                pixels.push_back(reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image) +
                                                                   y * cairo_image_surface_get_stride(image))[x]);
    cairo_surface_destroy(image);
    return pixels;
}
} // namespace

// Guards against one name or path disabling the drawing of everything after it: with a
// Windows-1252 name, a CJK name, a 20-letter wide name and a path whose bytes are not UTF-8,
// every control draws exactly as with the plain font, at both scales, and the font still plays.
TEST_F(PlayerEditor, ForeignNamesAndAPathThatIsNotUtf8DrawEveryControlAndShowEllipses)
{
    const std::string folder = scratch("Fl\xFC" "gel " + std::string(70, 'x'));
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
    const std::string odd = folder + "/Renamed \xFF.sf2";
    ASSERT_TRUE(zephra::test::writeFile(odd, renamedFont()));
    const std::string png = scratch("names.png");
    for (int scale : {1, 2}) {
        std::vector<std::vector<uint32_t>> pictures;
        for (const std::string& path : {fontPath, odd}) {
            ASSERT_EQ(plugin->setControllerState(controllerStateNaming(path, 0)), kResultOk);
            openEditor();
            ASSERT_EQ(editor->writeScreenshot(png.c_str(), scale), kResultOk);
            pictures.push_back(controlPixels(png, scale));
            auto s = shown();
            if (path == odd) {
                EXPECT_EQ(s["row0"], "000:000 - Fl\xC3\xBCgel");
                EXPECT_EQ(s["row2"], "128:000 - \xE6\x89\x93\xE6\x93\x8A\xE6\xA8\x82\xE5\x99\xA8");
                const std::string bad = "\xEF\xBF\xBD";
                EXPECT_EQ(s["fileName"], scratch("Fl" + bad + "gel " + std::string(70, 'x')) + "/Renamed " + bad + ".sf2");
                const std::string line = s["fileNameShown"];
                EXPECT_NE(line.find("\xE2\x80\xA6/Renamed " + bad + ".sf2"), std::string::npos) << line;
                clickRow(1, kOffscreenMouseHover);
                for (int tick = 0; tick < 6; ++tick)
                    editor->tick();
                EXPECT_EQ(shown()["tooltip"], "000:005 - WWWWWWWWWWWWWWWWWWWW") << "the cut row, whole";
            }
            closeEditor();
        }
        EXPECT_TRUE(pictures[0] == pictures[1]) << "a control drew differently at scale " << scale;
    }
    EXPECT_NEAR(playedFrequency(), 441.0, 2.5) << "the font at a path that is not UTF-8 plays";
    std::system(("rm -rf '" + folder + "'").c_str());
}

TEST_F(PlayerEditor, ClickOnTheBendRangeFieldSelectsItsValueSoTypingReplacesIt)
{
    openEditor();
    IEditController* controller = plugin->controller();
    click(600, 230);
    editor->key(kOffscreenKeyNone, '7');
    editor->key(kOffscreenKeyReturn, 0);
    EXPECT_NEAR(controller->getParamNormalized(1000), 7.0 / 12, 1e-6) << "not 27, limited to 12";
    editor->tick();
    click(600, 230);
    editor->key(kOffscreenKeyNone, '9');
    editor->key(kOffscreenKeyEscape, 0);
    EXPECT_NEAR(controller->getParamNormalized(1000), 7.0 / 12, 1e-6);
    EXPECT_EQ(shown()["bendRangeText"], "7");
}

TEST_F(PlayerEditor, KnobCaptionShowsTheValueWhilePointedAtOrTurned)
{
    openEditor();
    EXPECT_EQ(shown()["outputCaption"], "Output Level");
    editor->mouse(kOffscreenMouseHover, 605, 370);
    EXPECT_EQ(shown()["outputCaption"], "Output Level 12.0");
    editor->mouse(kOffscreenMouseExited, 0, 0);
    EXPECT_EQ(shown()["outputCaption"], "Output Level");
    editor->mouse(kOffscreenMouseDown, 305, 370);
    editor->mouse(kOffscreenMouseMoved, 305, 250);   // dragged up, off the knob
    EXPECT_EQ(shown()["volumeCaption"], "Volume 1.0");
    editor->mouse(kOffscreenMouseUp, 305, 250);
    editor->tick();
    EXPECT_EQ(shown()["volumeCaption"], "Volume");
}

// A project restored while the editor is open is read beside the UI thread like a choice in
// the editor; without an editor there is no run loop to come back on, so the sound is in place
// when setState returns, as a host that renders right after loading a project expects.
TEST_F(PlayerEditor, StateRestoreLoadsWithinTheCallWithoutAnEditorAndThroughTheTimerWithOne)
{
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, 1)), kResultOk);
    EXPECT_EQ(soundsSent(), 1u);
    EXPECT_NEAR(playedFrequency(), 882.0, 5.0);
    openEditor();
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, 0)), kResultOk);
    EXPECT_EQ(soundsSent(), 1u) << "with the editor open setState returns before the read";
    closeEditor();
    EXPECT_EQ(soundsSent(), 2u) << "closing the editor sends what was being read";
    EXPECT_NEAR(playedFrequency(), 441.0, 2.5);
}

TEST_F(PlayerEditor, SlowFontShowsLoadingOverADimmedListAndPlaysOnceRead)
{
    const std::string piano = "/usr/share/sounds/sf3/MuseScore_General_Lite.sf3";
    if (access(piano.c_str(), R_OK) != 0)
        GTEST_SKIP() << "musescore-general-soundfont-small is not installed";
    openEditor();
    editor->scriptFileDialogs(piano.c_str(), false);
    click(30, 30);
    auto s = shown();
    EXPECT_EQ(s["loading"], "1") << "the choice returns before the font is read";
    EXPECT_EQ(s["fileName"], piano) << "a load under 150 ms shows no loading line";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    editor->tick();
    s = shown();
    EXPECT_EQ(s["fileName"], "Loading MuseScore_General_Lite.sf3\xE2\x80\xA6");
    EXPECT_EQ(s["listDimmed"], "1");
    EXPECT_EQ(s["row0"], "000:000 - Grand Piano") << "the rows are there, dimmed";
    waitLoaded();
    s = shown();
    EXPECT_EQ(s["fileName"], piano);
    EXPECT_EQ(s["listDimmed"], "0");
    EXPECT_NEAR(playedFrequency(), 440.0, 4.0) << "the piano plays A4";
}

TEST_F(PlayerEditor, ResponseSwitchTellsTheProcessorAndTheHostAndFollowsARestoredState)
{
    openEditor();
    EXPECT_EQ(shown()["response"], "0");
    const std::vector<uint8_t> classic = plugin->processorState();
    plugin->clearEdits();
    plugin->clearMessages();
    click(500, 170);   // "SoundFont 2.04"
    EXPECT_EQ(shown()["response"], "1");
    std::vector<uint8_t> expected = classic;
    const std::vector<uint8_t> field = zephra::test::soundFont204Field();
    expected.insert(expected.end(), field.begin(), field.end());
    EXPECT_EQ(plugin->processorState(), expected) << "the processor stores the choice";
    const auto messages = plugin->messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].id, "RESPONSE");
    EXPECT_EQ(messages[0].thread, std::this_thread::get_id());
    EXPECT_EQ(messages[0].deliveryResult, kResultOk);
    const auto edits = plugin->edits();
    ASSERT_EQ(edits.size(), 1u) << "the switch is no parameter: the host hears of the project only";
    EXPECT_EQ(edits[0].kind, EditRecord::Kind::SetDirty);
    EXPECT_EQ(edits[0].value, 1.0);

    ASSERT_EQ(plugin->setProcessorState(classic), kResultOk);   // the host restores a project
    ASSERT_EQ(plugin->setControllerComponentState(classic), kResultOk);
    editor->tick();
    EXPECT_EQ(shown()["response"], "0");
    EXPECT_EQ(plugin->processorState(), classic);
    ASSERT_EQ(plugin->setControllerComponentState(expected), kResultOk);   // the controller learns it
    editor->tick();
    EXPECT_EQ(shown()["response"], "1");
    EXPECT_EQ(plugin->processorState(), expected) << "and passes it on";
    EXPECT_EQ(plugin->edits().size(), 1u) << "a restore is no edit of the project";
}

// zephra-editorhost: opens a plug-in's editor, or the built-in widget test frame, in a
// top-level X11 window and runs its event loop, as a Linux DAW does.
//
//   zephra-editorhost --bundle "<path>/Zephra SF2 Player.vst3" [--font <file.sf2> [--preset <n>]]
//   zephra-editorhost --test-frame [--resources <folder>]
// Options: --font <file>     restore a project naming this SoundFont before the editor opens
//          --preset <n>      the preset index of that project (default 0)
//          --commands        read commands from standard input: "play <key> [<key> ...]" plays
//                            the keys for half a second and prints "played key=<first key>
//                            freq=<Hz> peak=<p>"; "hold <key> [<key> ...]" holds keys until
//                            "release"; "show" prints what the editor shows as "shows
//                            memory=<Sample data> voices=<Voices>"; the editor closes when
//                            standard input ends
//          --scale <factor>  content scale for HiDPI screens
//          --quit-after <ms> close after this time (default: when the window is closed)
//          --cycles <n>      attach and remove the editor n times, then report what is left
//          --screenshot <file.png>  write the editor drawn off screen (at --scale); the test
//                                   frame then runs on screen, a plug-in's editor does not
//          --until-stdin-closes     close when standard input ends (for scripted tests)
// With --font or --commands the plug-in plays on an audio thread of its own, in real time, as in
// a DAW. Exit status 4: the plug-in sent a message between processor and controller on another
// thread than the UI thread, which hosts built on the VST3 SDK refuse.
#include "AudioThread.h"
#include "HostWindow.h"
#include "PollRunLoop.h"
#include "TestFrameEditor.h"

#include "editor/IOffscreenEditor.h"
#include "host/PluginHost.h"
#include "host/render/ControllerStateBytes.h"
#include "platform/Text.h"
#include "ui/CBitmap.h"
#include "ui/CFrame.h"
#include "ui/OffscreenImage.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace Steinberg;
using namespace zephra::editorhost;

namespace Steinberg {
namespace Vst {
DEF_CLASS_IID(IOffscreenEditor)
}
}

namespace {

struct Options
{
    std::string bundle;
    bool testFrame = false;
    std::string resources;
    std::string screenshot;
    std::string font;
    long preset = 0;
    bool commands = false;
    double scale = 1.0;
    long quitAfterMs = -1;
    long cycles = 0;
    bool untilStdinCloses = false;
};

int usage(const char* message)
{
    std::fprintf(stderr,
                 "%s\nusage: zephra-editorhost (--bundle <plugin.vst3> | --test-frame) "
                 "[--resources <folder>] [--scale <f>] [--quit-after <ms>] [--cycles <n>] "
                 "[--screenshot <file.png>] [--until-stdin-closes] [--font <file.sf2>] "
                 "[--preset <n>] [--commands]\n",
                 message);
    return 2;
}

bool parse(int argc, char** argv, Options& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--bundle") {
            if (!value(options.bundle))
                return false;
        } else if (arg == "--font") {
            if (!value(options.font))
                return false;
        } else if (arg == "--commands") {
            options.commands = true;
        } else if (arg == "--until-stdin-closes") {
            options.untilStdinCloses = true;
        } else if (arg == "--test-frame") {
            options.testFrame = true;
        } else if (arg == "--resources") {
            if (!value(options.resources))
                return false;
        } else if (arg == "--screenshot") {
            if (!value(options.screenshot))
                return false;
        } else if (arg == "--scale" || arg == "--quit-after" || arg == "--cycles" ||
                   arg == "--preset") {
            if (!value(text))
                return false;
            char* end = nullptr;
            const double number = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end != '\0' || !(number >= 0) || number > 1e9) {
                error = "bad number for " + arg + ": " + text;
                return false;
            }
            if (arg == "--scale")
                options.scale = number;
            else if (arg == "--quit-after")
                options.quitAfterMs = long(number);
            else if (arg == "--preset")
                options.preset = long(number);
            else
                options.cycles = long(number);
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.testFrame == !options.bundle.empty()) {
        error = "give either --bundle or --test-frame";
        return false;
    }
    return true;
}

int openDescriptors()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

using CommandHandler = std::function<void(const std::string&)>;

// A descriptor the run loop watches besides the window and standard input.
struct Watch
{
    int descriptor = -1;
    std::function<void()> onReadable;
};

// Attaches the view to the window, runs the loop, removes it again. With a command handler,
// each line of standard input goes to it and the end of input closes the editor.
int runView(IPlugView* view, const Options& options, const CommandHandler& onCommand = {},
            const Watch& watch = {})
{
    // The scale comes first: the view's size is in physical pixels.
    IPlugViewContentScaleSupport* scaling = nullptr;
    if (view->queryInterface(IPlugViewContentScaleSupport::iid,
                             reinterpret_cast<void**>(&scaling)) == kResultTrue && scaling) {
        scaling->setContentScaleFactor(IPlugViewContentScaleSupport::ScaleFactor(options.scale));
        scaling->release();
    }
    ViewRect size(0, 0, 400, 300);
    view->getSize(&size);
    HostWindow window;
    std::string error;
    if (!window.open(size.getWidth(), size.getHeight(), "Zephra editor host", error)) {
        std::fprintf(stderr, "zephra-editorhost: %s\n", error.c_str());
        return 1;
    }
    auto* loop = new PollRunLoop;
    auto* plugFrame = new HostPlugFrame(window, *loop);
    bool open = true;
    loop->addHostDescriptor(window.descriptor(), [&] { open = window.processEvents(); });
    std::string pending;
    if (options.untilStdinCloses || onCommand) {
        loop->addHostDescriptor(STDIN_FILENO, [&] {
            char buffer[256];
            const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
            if (got <= 0) {
                open = false;
                return;
            }
            pending.append(buffer, size_t(got));
            for (size_t end; onCommand && (end = pending.find('\n')) != std::string::npos;) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                onCommand(line);
            }
            if (!onCommand)
                pending.clear();
        });
    }

    if (watch.descriptor >= 0)
        loop->addHostDescriptor(watch.descriptor, watch.onReadable);

    view->setFrame(plugFrame);

    int result = 0;
    if (options.cycles > 0) {
        // Open and close the editor repeatedly; afterwards nothing may remain in the window.
        const int descriptorsBefore = openDescriptors();
        long done = 0;
        for (; done < options.cycles; ++done) {
            if (view->attached(reinterpret_cast<void*>(uintptr_t(window.id())),
                               kPlatformTypeX11EmbedWindowID) != kResultTrue)
                break;
            loop->runOnce(PollRunLoop::Clock::now());
            view->removed();
        }
        std::printf("cycles=%ld children=%d fd-delta=%d registrations=%zu\n", done,
                    window.childCount(), openDescriptors() - descriptorsBefore,
                    loop->registrations());
        result = done == options.cycles ? 0 : 1;
    } else if (view->attached(reinterpret_cast<void*>(uintptr_t(window.id())),
                              kPlatformTypeX11EmbedWindowID) != kResultTrue) {
        std::fprintf(stderr, "zephra-editorhost: the view refused to attach\n");
        result = 1;
    } else {
        std::printf("ready window=%u\n", window.id());
        std::fflush(stdout);
        const auto start = PollRunLoop::Clock::now();
        while (open) {
            auto deadline = PollRunLoop::Clock::now() + std::chrono::milliseconds(200);
            if (options.quitAfterMs >= 0) {
                const auto quit = start + std::chrono::milliseconds(options.quitAfterMs);
                if (PollRunLoop::Clock::now() >= quit)
                    break;
                deadline = std::min(deadline, quit);
            }
            loop->runOnce(deadline);
        }
        view->removed();
        std::printf("closed children=%d registrations=%zu\n", window.childCount(),
                    loop->registrations());
    }
    std::fflush(stdout);
    view->setFrame(nullptr);
    plugFrame->release();
    loop->release();
    return result;
}

int runTestFrame(const Options& options)
{
    if (!options.resources.empty())
        VSTGUI::setResourceFolder(options.resources);
    auto* controller = new Vst::EditController;
    auto* editor = new TestFrameEditor(controller);
    if (!options.screenshot.empty()) {
        // Draw the same frame off screen for documentation.
        editor->openOffscreen();
        VSTGUI::OffscreenImage image =
            VSTGUI::OffscreenImage::render(*editor->getFrame(), options.scale);
        const bool written = image.writePng(options.screenshot);
        editor->close();
        std::printf("screenshot %s %s\n", options.screenshot.c_str(), written ? "written" : "failed");
    }
    const int result = runView(editor, options);
    editor->release();
    controller->release();
    return result;
}

constexpr int32_t kCommandBlock = AudioThread::kBlock;

// The keys after a command's word ("play 60 64 67"), each 0 to 127; empty when there is none.
std::vector<int16_t> keysOf(const std::string& line)
{
    std::vector<int16_t> keys;
    if (line.find(' ') == std::string::npos)
        return keys;
    const char* at = line.c_str() + line.find(' ');
    for (char* end = nullptr;; at = end) {
        const long key = std::strtol(at, &end, 10);
        if (end == at)
            break;
        if (key < 0 || key > 127)
            return {};
        keys.push_back(int16_t(key));
    }
    return keys;
}

// A played chord: its pitch (from the rising zero crossings after the attack) and peak.
void printPlayed(int key, const std::vector<float>& left)
{
    double first = -1, last = -1, peak = 0;
    int crossings = 0;
    for (size_t i = 4096; i < left.size(); ++i) {
        peak = std::max(peak, double(std::fabs(left[i])));
        if (left[i - 1] < 0 && left[i] >= 0) {
            const double at = double(i - 1) + left[i - 1] / double(left[i - 1] - left[i]);
            if (first < 0)
                first = at;
            last = at;
            ++crossings;
        }
    }
    const double freq = crossings > 2 ? (crossings - 1) * 44100.0 / (last - first) : 0.0;
    std::printf("played key=%d freq=%.1f peak=%.4f\n", key, freq, peak);
    std::fflush(stdout);
}

// "show": "Sample data" and "Voices" as the editor shows them now.
void printShown(IPlugView* view)
{
    Vst::IOffscreenEditor* editor = nullptr;
    std::string text;
    if (view->queryInterface(Vst::IOffscreenEditor::iid, reinterpret_cast<void**>(&editor)) == kResultTrue &&
        editor) {
        text.resize(size_t(std::max(editor->describe(nullptr, 0), 1)));
        editor->describe(text.data(), int32(text.size()));
        editor->release();
    }
    auto shown = [&text](const std::string& name) {
        const size_t at = text.find("\n" + name + "=");
        return at == std::string::npos ? std::string("?")
                                       : text.substr(at + name.size() + 2,
                                                     text.find('\n', at + 1) - at - name.size() - 2);
    };
    std::printf("shows memory=%s voices=%s\n", shown("memory").c_str(), shown("voices").c_str());
    std::fflush(stdout);
}

// Opens the editor off screen, lets one timer tick update its displays and draws it.
int writeEditorScreenshot(IPlugView* view, const Options& options)
{
    Vst::IOffscreenEditor* offscreen = nullptr;
    if (view->queryInterface(Vst::IOffscreenEditor::iid, reinterpret_cast<void**>(&offscreen)) !=
            kResultTrue || !offscreen) {
        std::fprintf(stderr, "zephra-editorhost: the editor cannot be drawn off screen\n");
        return 3;
    }
    bool written = false;
    if (offscreen->openOffscreen() == kResultOk) {
        offscreen->tick();
        written = offscreen->writeScreenshot(options.screenshot.c_str(), options.scale) == kResultOk;
        offscreen->closeOffscreen();
    }
    offscreen->release();
    std::printf("screenshot %s %s\n", options.screenshot.c_str(), written ? "written" : "failed");
    return written ? 0 : 1;
}

int runBundle(const Options& options)
{
    std::string error;
    auto module = zephra::host::Module::load(options.bundle, error);
    if (!module) {
        std::fprintf(stderr, "zephra-editorhost: %s\n", error.c_str());
        return 1;
    }
    auto plugin = zephra::host::Plugin::create(*module, error);
    if (!plugin) {
        std::fprintf(stderr, "zephra-editorhost: %s\n", error.c_str());
        return 1;
    }
    if (!options.font.empty() || options.commands) {
        // As a DAW opening a project: set up processing, then restore the remembered font.
        if (!plugin->setup(44100.0, kCommandBlock, &error)) {
            std::fprintf(stderr, "zephra-editorhost: %s\n", error.c_str());
            return 1;
        }
        std::u16string fontPath;
        try {
            std::string absolute = options.font;
            if (!absolute.empty() && absolute[0] != '/')
                if (char* cwd = getcwd(nullptr, 0)) {
                    absolute = std::string(cwd) + "/" + absolute;
                    std::free(cwd);
                }
            fontPath = Vst::fromUtf8(absolute);
        } catch (const std::exception&) {
            std::fprintf(stderr, "zephra-editorhost: the font path is no valid text\n");
            return 1;
        }
        if (!options.font.empty() &&
            plugin->setControllerState(zephra::render::soundFontControllerState(
                fontPath, int32_t(options.preset))) != kResultOk) {
            std::fprintf(stderr, "zephra-editorhost: the plug-in refused the project state\n");
            return 1;
        }
        // The processor reported the restored sound inside the restore; it adopts it in this
        // block.
        plugin->process(kCommandBlock);
    }
    IPlugView* view = plugin->controller()->createView(Vst::ViewType::kEditor);
    if (!view) {
        std::fprintf(stderr, "zephra-editorhost: the plug-in has no editor\n");
        return 3;
    }
    int result = 0;
    if (!options.screenshot.empty()) {
        result = writeEditorScreenshot(view, options);
    } else if (view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID) != kResultTrue) {
        std::fprintf(stderr, "zephra-editorhost: the editor cannot embed in an X11 window\n");
        result = 3;
    } else {
        std::unique_ptr<AudioThread> audio;
        if (!options.font.empty() || options.commands) {
            audio = std::make_unique<AudioThread>(*plugin);
            if (!audio->start(error)) {
                std::fprintf(stderr, "zephra-editorhost: %s\n", error.c_str());
                view->release();
                return 1;
            }
        }
        int playedKey = 0;
        CommandHandler commands;
        if (options.commands)
            commands = [&](const std::string& line) {
                const std::vector<int16_t> keys = keysOf(line);
                if (line.rfind("play ", 0) == 0 && !keys.empty() && audio->play(keys))
                    playedKey = keys.front();
                else if (line.rfind("hold ", 0) == 0)
                    audio->hold(keys);
                else if (line == "release")
                    audio->release();
                else if (line == "show")
                    printShown(view);
            };
        Watch played;
        if (audio)
            played = {audio->capturedDescriptor(), [&] {
                          std::vector<float> left;
                          if (audio->takePlayed(left))
                              printPlayed(playedKey, left);
                      }};
        result = runView(view, options, commands, played);
    }
    view->release();
    // A message refused on the way would be lost in a host built on the SDK: say so and fail.
    if (const int64_t refused = plugin->refusedMessages()) {
        std::fprintf(stderr,
                     "zephra-editorhost: the plug-in sent %lld message(s) between its processor and "
                     "controller off the UI thread; hosts built on the VST3 SDK refuse them\n",
                     static_cast<long long>(refused));
        return 4;
    }
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string error;
    if (!parse(argc, argv, options, error))
        return usage(error.c_str());
    return options.testFrame ? runTestFrame(options) : runBundle(options);
}

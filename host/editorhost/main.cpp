// zephra-editorhost: opens a plug-in's editor, or the built-in widget test frame, in a
// top-level X11 window and runs its event loop, as a Linux DAW does.
//
//   zephra-editorhost --bundle "<path>/Zephra SF2 Player.vst3" [--font <file.sf2> [--preset <n>]]
//   zephra-editorhost --test-frame [--resources <folder>]
// Options: see kUsage below (also printed by --help).
// With --font or --commands the plug-in plays on an audio thread of its own, in real time, as in
// a DAW. Exit status 4: the plug-in sent a message between processor and controller on another
// thread than the UI thread, which hosts built on the VST3 SDK refuse.
#include "AudioThread.h"
#include "HostWindow.h"
#include "PollRunLoop.h"
#include "TestFrameEditor.h"

#include "controller/ControllerState.h"
#include "editor/IOffscreenEditor.h"
#include "host/PluginHost.h"
#include "platform/Text.h"
#include "ui/widgets/CBitmap.h"
#include "ui/widgets/CFrame.h"
#include "ui/widgets/OffscreenImage.h"

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
}   // namespace Steinberg

namespace {

struct Options {
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
    bool freshViews = false;
    bool untilStdinCloses = false;
    bool reportStalls = false;
    bool help = false;
    bool hover = false;
    double hoverX = 0, hoverY = 0;
};

const char* const kUsage =
    "usage: zephra-editorhost (--bundle <plugin.vst3> | --test-frame) [options]\n"
    "Opens a plug-in's editor (or the widget layer's test frame) in an X11 window, as a DAW does.\n"
    "  --bundle <plugin.vst3>   the VST3 bundle whose editor to open\n"
    "  --test-frame             the widget layer's test frame instead of a plug-in\n"
    "  --resources <folder>     images of the test frame\n"
    "  --font <file.sf2>        restore a project naming this SoundFont before the editor opens\n"
    "  --preset <n>             the preset index of that project (default 0)\n"
    "  --commands               read commands from standard input: \"play <key> [<key> ...]\" plays\n"
    "                           the keys for half a second and prints \"played key=<first key>\n"
    "                           freq=<Hz> peak=<p>\"; \"hold <key> [<key> ...]\" holds keys until\n"
    "                           \"release\"; \"show\" prints \"shows memory=<Sample data>\n"
    "                           voices=<Voices>\"; \"param <id>\" prints \"param id=<id>\n"
    "                           value=<normalised value>\"; the editor closes when input ends\n"
    "  --scale <factor>         content scale for HiDPI screens\n"
    "  --quit-after <ms>        close after this time (default: when the window is closed)\n"
    "  --cycles <n>             attach and remove the editor n times, then report what is left\n"
    "  --fresh-views            with --cycles: a new view of the same controller for each cycle\n"
    "  --screenshot <file.png>  write the editor drawn off screen (at --scale); the test frame\n"
    "                           then runs on screen, a plug-in's editor does not\n"
    "  --hover <x>,<y>          with --screenshot: the pointer rests there first (tooltips show)\n"
    "  --until-stdin-closes     close when standard input ends (for scripted tests)\n"
    "  --report-stalls          on closing, print the three longest times one call held the UI\n"
    "                           thread, and when\n"
    "  --help                   this text\n";

int usage(const char* message)
{
    std::fprintf(stderr, "%s\n%s", message, kUsage);
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
        } else if (arg == "--fresh-views") {
            options.freshViews = true;
        } else if (arg == "--until-stdin-closes") {
            options.untilStdinCloses = true;
        } else if (arg == "--report-stalls") {
            options.reportStalls = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
            return true;
        } else if (arg == "--hover") {
            if (!value(text))
                return false;
            char* end = nullptr;
            options.hoverX = std::strtod(text.c_str(), &end);
            const char* rest = end;
            if (end == text.c_str() || *rest != ',' ||
                (options.hoverY = std::strtod(rest + 1, &end), end == rest + 1 || *end != '\0')) {
                error = "bad point for --hover (x,y): " + text;
                return false;
            }
            options.hover = true;
        } else if (arg == "--test-frame") {
            options.testFrame = true;
        } else if (arg == "--resources") {
            if (!value(options.resources))
                return false;
        } else if (arg == "--screenshot") {
            if (!value(options.screenshot))
                return false;
        } else if (arg == "--scale" || arg == "--quit-after" || arg == "--cycles" || arg == "--preset") {
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
using ViewMaker = std::function<IPlugView*()>;

// A descriptor the run loop watches besides the window and standard input.
struct Watch {
    int descriptor = -1;
    std::function<void()> onReadable;
};

void setContentScale(IPlugView* view, double scale)
{
    IPlugViewContentScaleSupport* scaling = nullptr;
    if (view->queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scaling)) == kResultTrue &&
        scaling) {
        scaling->setContentScaleFactor(IPlugViewContentScaleSupport::ScaleFactor(scale));
        scaling->release();
    }
}

bool attach(IPlugView* view, HostWindow& window)
{
    return view->attached(reinterpret_cast<void*>(uintptr_t(window.id())), kPlatformTypeX11EmbedWindowID) ==
           kResultTrue;
}

// The user (or the window manager) gave the window another size: a resizable view takes the
// nearest size it allows, and the window follows it.
void followUserSize(IPlugView* view, HostWindow& window)
{
    int width = 0, height = 0;
    if (!window.takeUserSize(width, height) || view->canResize() != kResultTrue)
        return;
    ViewRect size(0, 0, width, height);
    view->checkSizeConstraint(&size);
    if (size.getWidth() != width || size.getHeight() != height)
        window.resize(size.getWidth(), size.getHeight());
    view->onSize(&size);
    std::printf("resized %dx%d\n", size.getWidth(), size.getHeight());
    std::fflush(stdout);
}

// Attaches the view to the window, runs the loop, removes it again. With a command handler,
// each line of standard input goes to it and the end of input closes the editor. makeView
// gives the new views of --fresh-views.
int runView(IPlugView* view, const Options& options, const CommandHandler& onCommand = {},
            const ViewMaker& makeView = {}, const Watch& watch = {})
{
    // The scale comes first: the view's size is in physical pixels. Then the window is made
    // at the size the view gives before it is attached, as hosts do.
    setContentScale(view, options.scale);
    ViewRect size;
    if (view->getSize(&size) != kResultTrue || size.getWidth() <= 0 || size.getHeight() <= 0) {
        std::fprintf(stderr, "zephra-editorhost: the view gives no size before it is attached (%dx%d)\n",
                     size.getWidth(), size.getHeight());
        return 1;
    }
    HostWindow window;
    std::string error;
    if (!window.open(size.getWidth(), size.getHeight(), "Zephra editor host", error)) {
        std::fprintf(stderr, "zephra-editorhost: %s\n", error.c_str());
        return 1;
    }
    auto* loop = new PollRunLoop;
    auto* plugFrame = new HostPlugFrame(window, *loop);
    bool open = true;
    IPlugView* shown = view;
    loop->addHostDescriptor(window.descriptor(), [&] {
        open = window.processEvents();
        followUserSize(shown, window);
    });
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
            IPlugView* cycleView = view;
            if (options.freshViews && done > 0 && makeView) {
                if (!(cycleView = makeView()))
                    break;
                setContentScale(cycleView, options.scale);
                cycleView->setFrame(plugFrame);
            }
            ViewRect cycleSize;
            const bool attachedOk = cycleView->getSize(&cycleSize) == kResultTrue &&
                                    cycleSize.getWidth() == size.getWidth() &&
                                    cycleSize.getHeight() == size.getHeight() && attach(cycleView, window);
            if (attachedOk) {
                loop->runOnce(PollRunLoop::Clock::now());
                cycleView->removed();
            }
            if (cycleView != view) {
                cycleView->setFrame(nullptr);
                cycleView->release();
            }
            if (!attachedOk)
                break;
        }
        std::printf("cycles=%ld children=%d fd-delta=%d registrations=%zu\n", done, window.childCount(),
                    openDescriptors() - descriptorsBefore, loop->registrations());
        result = done == options.cycles ? 0 : 1;
    } else if (!attach(view, window)) {
        std::fprintf(stderr, "zephra-editorhost: the view refused to attach\n");
        result = 1;
    } else {
        // The view's window is shown by the view itself (this host does not speak XEmbed):
        // "ready" once it is mapped.
        const auto mapDeadline = PollRunLoop::Clock::now() + std::chrono::seconds(3);
        bool mapped = false;
        while (open && !(mapped = mapped || window.takeChildMapped()) && PollRunLoop::Clock::now() < mapDeadline)
            loop->runOnce(std::min(mapDeadline, PollRunLoop::Clock::now() + std::chrono::milliseconds(20)));
        if (!mapped)
            std::fprintf(stderr, "zephra-editorhost: the editor's window was not shown\n");
        ViewRect shownSize;
        view->getSize(&shownSize);
        std::printf("ready window=%u child=%u size=%dx%d\n", window.id(), window.firstChild(), shownSize.getWidth(),
                    shownSize.getHeight());
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
        std::printf("closed children=%d registrations=%zu\n", window.childCount(), loop->registrations());
        result = mapped ? 0 : 1;
        using Milliseconds = std::chrono::duration<double, std::milli>;
        for (const PollRunLoop::Call& call :
             options.reportStalls ? loop->longestCalls() : std::vector<PollRunLoop::Call>())
            std::printf("long UI-thread call: %.1f ms (%s, %.0f ms after the window opened)\n",
                        Milliseconds(call.took).count(), call.kind, Milliseconds(call.at).count());
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
        VSTGUI::OffscreenImage image = VSTGUI::OffscreenImage::render(*editor->getFrame(), options.scale);
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
    if (view->queryInterface(Vst::IOffscreenEditor::iid, reinterpret_cast<void**>(&editor)) == kResultTrue && editor) {
        text.resize(size_t(std::max(editor->describe(nullptr, 0), 1)));
        editor->describe(text.data(), int32(text.size()));
        editor->release();
    }
    auto shown = [&text](const std::string& name) {
        const size_t at = text.find("\n" + name + "=");
        return at == std::string::npos
                   ? std::string("?")
                   : text.substr(at + name.size() + 2, text.find('\n', at + 1) - at - name.size() - 2);
    };
    std::printf("shows memory=%s voices=%s\n", shown("memory").c_str(), shown("voices").c_str());
    std::fflush(stdout);
}

// Opens the editor off screen, lets one timer tick update its displays and draws it.
int writeEditorScreenshot(IPlugView* view, const Options& options)
{
    Vst::IOffscreenEditor* offscreen = nullptr;
    if (view->queryInterface(Vst::IOffscreenEditor::iid, reinterpret_cast<void**>(&offscreen)) != kResultTrue ||
        !offscreen) {
        std::fprintf(stderr, "zephra-editorhost: the editor cannot be drawn off screen\n");
        return 3;
    }
    bool written = false;
    if (offscreen->openOffscreen() == kResultOk) {
        offscreen->tick();
        if (options.hover) {
            // The pointer rests: a second of timer ticks shows its tooltip.
            offscreen->mouse(Vst::kOffscreenMouseHover, options.hoverX, options.hoverY);
            for (int tick = 0; tick < 10; ++tick)
                offscreen->tick();
        }
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
        std::string absolute = options.font;
        if (!absolute.empty() && absolute[0] != '/')
            if (char* cwd = getcwd(nullptr, 0)) {
                absolute = std::string(cwd) + "/" + absolute;
                std::free(cwd);
            }
        // The path's bytes as they are, also those that are not UTF-8.
        const std::u16string fontPath = Vst::pathFromBytes(absolute);
        if (!options.font.empty() &&
            plugin->setControllerState(Vst::soundFontControllerState(fontPath, int32_t(options.preset))) != kResultOk) {
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
        int id = 0;
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
                else if (std::sscanf(line.c_str(), "param %d", &id) == 1)
                    std::printf("param id=%d value=%.6f\n", id,
                                plugin->controller()->getParamNormalized(Vst::ParamID(id)));
                std::fflush(stdout);
            };
        Watch played;
        if (audio)
            played = {audio->capturedDescriptor(), [&] {
                          std::vector<float> left;
                          if (audio->takePlayed(left))
                              printPlayed(playedKey, left);
                      }};
        Vst::IEditController* controller = plugin->controller();
        result = runView(
            view, options, commands, [controller] { return controller->createView(Vst::ViewType::kEditor); }, played);
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

}   // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string error;
    if (!parse(argc, argv, options, error))
        return usage(error.c_str());
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    return options.testFrame ? runTestFrame(options) : runBundle(options);
}

// zephra-editorhost: opens a plug-in's editor, or the built-in widget test frame, in a
// top-level X11 window and runs its event loop, as a Linux DAW does.
//
//   zephra-editorhost --bundle "<path>/Zephra SF2 Player.vst3"
//   zephra-editorhost --test-frame [--resources <folder>]
// Options: --scale <factor>  content scale for HiDPI screens
//          --quit-after <ms> close after this time (default: when the window is closed)
//          --cycles <n>      attach and remove the editor n times, then report what is left
//          --screenshot <file.png>  (test frame) write the frame drawn off screen, then run
//          --until-stdin-closes     close when standard input ends (for scripted tests)
#include "HostWindow.h"
#include "PollRunLoop.h"
#include "TestFrameEditor.h"

#include "host/PluginHost.h"
#include "ui/CBitmap.h"
#include "ui/CFrame.h"
#include "ui/OffscreenImage.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <string>
#include <unistd.h>

using namespace Steinberg;
using namespace zephra::editorhost;

namespace {

struct Options
{
    std::string bundle;
    bool testFrame = false;
    std::string resources;
    std::string screenshot;
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
                 "[--screenshot <file.png>] [--until-stdin-closes]\n",
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
        } else if (arg == "--scale" || arg == "--quit-after" || arg == "--cycles") {
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

// Attaches the view to the window, runs the loop, removes it again.
int runView(IPlugView* view, const Options& options)
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
    if (options.untilStdinCloses) {
        loop->addHostDescriptor(STDIN_FILENO, [&] {
            char buffer[256];
            if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                open = false;
        });
    }

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
    IPlugView* view = plugin->controller()->createView(Vst::ViewType::kEditor);
    if (!view) {
        std::fprintf(stderr, "zephra-editorhost: the plug-in has no editor\n");
        return 3;
    }
    if (view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID) != kResultTrue) {
        view->release();
        std::fprintf(stderr, "zephra-editorhost: the editor cannot embed in an X11 window\n");
        return 3;
    }
    const int result = runView(view, options);
    view->release();
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

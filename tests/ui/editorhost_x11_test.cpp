// The widget layer in a real X server: the editor host embeds the test frame in a window,
// xdotool delivers clicks and keys, ImageMagick takes the screenshot that is checked, and
// repeated opening leaves no windows or descriptors behind.
#include "support/SoundFontWriter.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// The editor host as a child process: standard output read line by line, standard input
// held open until stop().
class EditorHost
{
public:
    explicit EditorHost(std::vector<std::string> arguments)
    {
        int out[2], in[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(in, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        arguments.insert(arguments.begin(), ZEPHRA_EDITORHOST);
        std::vector<char*> argv;
        for (std::string& a : arguments)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid, ZEPHRA_EDITORHOST, &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(in[0]);
        outFd = out[0];
        inFd = in[1];
    }
    ~EditorHost()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (outFd >= 0)
            close(outFd);
        if (inFd >= 0)
            close(inFd);
    }

    // The next line that starts with `prefix`; empty when none came within the wait.
    std::string waitForLine(const std::string& prefix, int seconds = 20)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        for (;;) {
            for (size_t end; (end = buffer.find('\n')) != std::string::npos;) {
                std::string line = buffer.substr(0, end);
                buffer.erase(0, end + 1);
                lines.push_back(line);
                if (line.compare(0, prefix.size(), prefix) == 0)
                    return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now()).count();
            if (left <= 0 || outFd < 0)
                return {};
            pollfd p{outFd, POLLIN, 0};
            if (poll(&p, 1, int(left)) <= 0)
                return {};
            char chunk[512];
            const ssize_t got = read(outFd, chunk, sizeof chunk);
            if (got <= 0)
                return {};
            buffer.append(chunk, size_t(got));
        }
    }

    // Closes standard input (the host closes its editor) and returns the exit code.
    int stop()
    {
        if (inFd >= 0)
            close(inFd);
        inFd = -1;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid) {
            pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return -1;
    }

    int input() const { return inFd; }
    std::vector<std::string> lines;

private:
    pid_t pid = -1;
    int outFd = -1;
    int inFd = -1;
    std::string buffer;
};

int run(const std::string& command)
{
    return std::system(command.c_str());
}

struct Pixel
{
    int r = 0, g = 0, b = 0;
};

// Reads one pixel of a PNG file (RGB24 or ARGB32 as cairo loads it).
bool readPixel(const std::string& path, int x, int y, Pixel& pixel, int* width = nullptr)
{
    cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return false;
    }
    if (width)
        *width = cairo_image_surface_get_width(image);
    const bool inside = x < cairo_image_surface_get_width(image) && y < cairo_image_surface_get_height(image);
    if (inside) {
        const unsigned char* row =
            cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
        const uint32_t value = reinterpret_cast<const uint32_t*>(row)[x];
        pixel = {int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF)};
    }
    cairo_surface_destroy(image);
    return inside;
}

class EditorHostX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const char* reason = std::getenv("ZEPHRA_X11_SKIP"))
            GTEST_SKIP() << reason;
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display: run this test under xvfb-run (ctest -L x11)";
    }

    std::vector<std::string> testFrame(const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> args{"--test-frame", "--resources", ZEPHRA_RESOURCE_FOLDER,
                                      "--until-stdin-closes"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }

    static std::string windowOf(const std::string& readyLine)
    {
        return readyLine.substr(readyLine.find('=') + 1);
    }

    // Waits until the frame has drawn once (the timer runs after the first redraws).
    static void waitDrawn(EditorHost& host) { ASSERT_FALSE(host.waitForLine("timer running").empty()); }
};

} // namespace

TEST_F(EditorHostX11, ClickDeliveredByXdotoolReachesTheKickButtonAndShowsInTheScreenshot)
{
    EditorHost host(testFrame());
    const std::string ready = host.waitForLine("ready window=");
    ASSERT_FALSE(ready.empty()) << "the editor host did not open its window";
    waitDrawn(host);
    const std::string window = windowOf(ready);

    ASSERT_EQ(run("xdotool mousemove --window " + window + " 50 40 click 1"), 0);
    EXPECT_FALSE(host.waitForLine("beginEdit 1").empty());
    EXPECT_FALSE(host.waitForLine("valueChanged tag=1 value=1").empty());
    EXPECT_FALSE(host.waitForLine("valueChanged tag=1 value=0").empty());
    EXPECT_FALSE(host.waitForLine("endEdit 1").empty());

    // A row of the list: the selection is reported too.
    ASSERT_EQ(run("xdotool mousemove --window " + window + " 250 60 click 1"), 0);
    EXPECT_FALSE(host.waitForLine("selected row=").empty());

    const std::string shot = std::string(ZEPHRA_X11_SCRATCH) + "/editorhost_click.png";
    std::remove(shot.c_str());
    // Give the run loop a round to repaint, then photograph the window.
    ASSERT_EQ(run("sleep 0.5; import -window " + window + " '" + shot + "'"), 0);
    Pixel face, background;
    ASSERT_TRUE(readPixel(shot, 30, 50, face));
    EXPECT_GT(face.g, 150);  // the button face turned green
    EXPECT_LT(face.r, 100);
    ASSERT_TRUE(readPixel(shot, 160, 250, background));
    EXPECT_LT(background.r + background.g + background.b, 3 * 60);  // the dark panel

    EXPECT_EQ(host.stop(), 0);
    EXPECT_FALSE(host.waitForLine("closed children=0 registrations=0").empty());
}

TEST_F(EditorHostX11, KeysTypedIntoTheTextEditAreCommittedWithReturn)
{
    EditorHost host(testFrame());
    const std::string ready = host.waitForLine("ready window=");
    ASSERT_FALSE(ready.empty());
    waitDrawn(host);
    const std::string window = windowOf(ready);
    ASSERT_EQ(run("xdotool mousemove --window " + window + " 115 160 click 1"), 0);
    ASSERT_EQ(run("sleep 0.2; xdotool key BackSpace; xdotool type 6; xdotool key Return"), 0);
    EXPECT_FALSE(host.waitForLine("valueChanged tag=1000 value=0.5").empty())
        << "typed text did not arrive";
    EXPECT_EQ(host.stop(), 0);
}

TEST_F(EditorHostX11, ContentScaleTwoDoublesTheWindowAndKeepsClicksOnTarget)
{
    EditorHost host(testFrame({"--scale", "2"}));
    const std::string ready = host.waitForLine("ready window=");
    ASSERT_FALSE(ready.empty());
    waitDrawn(host);
    const std::string window = windowOf(ready);
    ASSERT_EQ(run("xdotool mousemove --window " + window + " 100 80 click 1"), 0);
    EXPECT_FALSE(host.waitForLine("valueChanged tag=1 value=1").empty());
    const std::string shot = std::string(ZEPHRA_X11_SCRATCH) + "/editorhost_scaled.png";
    ASSERT_EQ(run("sleep 0.5; import -window " + window + " '" + shot + "'"), 0);
    Pixel face;
    int width = 0;
    ASSERT_TRUE(readPixel(shot, 60, 100, face, &width));
    EXPECT_EQ(width, 800);
    EXPECT_GT(face.g, 150);
    EXPECT_EQ(host.stop(), 0);
}

TEST_F(EditorHostX11, OpeningAndClosingTheEditorHundredTimesLeavesNothingBehind)
{
    EditorHost host(testFrame({"--cycles", "100"}));
    const std::string report = host.waitForLine("cycles=", 120);
    EXPECT_EQ(report, "cycles=100 children=0 fd-delta=0 registrations=0");
    EXPECT_EQ(host.stop(), 0);
}

TEST_F(EditorHostX11, BadParentOrMissingBundleIsRefusedWithAMessage)
{
    EditorHost host({"--bundle", "/nonexistent/Nothing.vst3"});
    EXPECT_EQ(host.stop(), 1);
    EditorHost usage({"--frobnicate"});
    EXPECT_EQ(usage.stop(), 2);
}

TEST_F(EditorHostX11, ScreenshotOptionWritesTheFrameDrawnOffScreen)
{
    const std::string shot = std::string(ZEPHRA_X11_SCRATCH) + "/editorhost_offscreen.png";
    std::remove(shot.c_str());
    EditorHost host(testFrame({"--screenshot", shot, "--cycles", "1"}));
    EXPECT_FALSE(host.waitForLine("screenshot").empty());
    EXPECT_EQ(host.stop(), 0);
    Pixel face, panel;
    int width = 0;
    ASSERT_TRUE(readPixel(shot, 30, 50, face, &width));
    EXPECT_EQ(width, 400);
    EXPECT_GT(face.r, 150);  // the untouched button face is red
    ASSERT_TRUE(readPixel(shot, 160, 250, panel));
    EXPECT_EQ(panel.r, 30);
    EXPECT_EQ(panel.g, 34);
    EXPECT_EQ(panel.b, 40);
}

// The player's editor in a real window: a stand-in for the dialog program chooses a generated
// font, the list fills, and a click on its last row changes the preset that sounds.
TEST_F(EditorHostX11, PlayerEditorPicksAFontAndTheClickedRowSounds)
{
    const std::string scratch = std::string(ZEPHRA_X11_SCRATCH) + "/player_" + std::to_string(getpid());
    const std::string font = scratch + "/three.sf2";
    ASSERT_EQ(run("mkdir -p '" + scratch + "/bin'"), 0);
    ASSERT_TRUE(zephra::test::writeFile(font, zephra::test::makePianoDrumsOrganFont()));
    // zenity is the first dialog program looked for; this one answers at once.
    ASSERT_EQ(run("printf '#!/bin/sh\\necho \"%s\"\\n' '" + font + "' > '" + scratch +
                  "/bin/zenity' && chmod +x '" + scratch + "/bin/zenity'"), 0);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    setenv("PATH", (scratch + "/bin:" + path).c_str(), 1);

    for (int scale : {1, 2}) {
        EditorHost host({"--bundle", ZEPHRA_BUNDLE_PATH, "--commands", "--scale", std::to_string(scale)});
        const std::string ready = host.waitForLine("ready window=");
        ASSERT_FALSE(ready.empty()) << "the plug-in's editor did not open at scale " << scale;
        const std::string window = windowOf(ready);
        auto at = [&](int x, int y) { return std::to_string(x * scale) + " " + std::to_string(y * scale); };
        auto played = [&] {
            EXPECT_EQ(write(host.input(), "play 69\n", 8), 8);
            const std::string line = host.waitForLine("played");
            return std::atof(line.substr(line.find("freq=") + 5).c_str());
        };
        ASSERT_EQ(run("sleep 0.5; xdotool mousemove --window " + window + " " + at(30, 30) + " click 1"), 0);
        ASSERT_EQ(run("sleep 1"), 0);   // the dialog program ends; the selector polls it
        EXPECT_NEAR(played(), 441.0, 3.0) << "the top row's preset, Piano, plays";
        // A held chord shows in "Voices" within a few timer ticks (the editor asks on each).
        EXPECT_EQ(write(host.input(), "hold 60 64 67\n", 14), 14);
        ASSERT_EQ(run("sleep 0.5"), 0);
        EXPECT_EQ(write(host.input(), "show\nrelease\n", 13), 13);
        const std::string shown = host.waitForLine("shows");
        ASSERT_NE(shown.find("voices="), std::string::npos) << "no answer to \"show\"";
        EXPECT_GE(std::atoi(shown.substr(shown.find("voices=") + 7).c_str()), 3) << shown;
        // Rows start at y 126 and are under 22 pixels high: y 172 lies in the third row.
        ASSERT_EQ(run("xdotool mousemove --window " + window + " " + at(100, 172) + " click 1"), 0);
        ASSERT_EQ(run("sleep 0.3"), 0);
        EXPECT_NEAR(played(), 882.0, 6.0) << "the third row (128:000 - Drums) plays at scale " << scale;
        EXPECT_EQ(host.stop(), 0);
    }
    setenv("PATH", path.c_str(), 1);
    run("rm -rf '" + scratch + "'");
}

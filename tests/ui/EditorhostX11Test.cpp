// The widget layer in a real X server: the editor host embeds the test frame in a window,
// xdotool delivers clicks and keys, ImageMagick takes the screenshot that is checked, and
// repeated opening leaves no windows or descriptors behind.
#include "support/SoundFontWriter.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
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

// The test as an X client of its own: an XEmbed embedder's messages, and a file manager's drag
// (XDND enter, position and drop, then the file list on request).
class XClient
{
public:
    XClient() : connection(xcb_connect(nullptr, nullptr))
    {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        window = xcb_generate_id(connection);
        xcb_create_window(connection, 0, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          screen->root_visual, 0, nullptr);
    }
    ~XClient() { xcb_disconnect(connection); }

    xcb_atom_t atom(const char* name)
    {
        auto* reply = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t found = reply ? reply->atom : 0;
        free(reply);
        return found;
    }
    void send(uint32_t to, const char* type, std::array<uint32_t, 5> data)
    {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = to;
        message.type = atom(type);
        std::memcpy(message.data.data32, data.data(), sizeof message.data.data32);
        xcb_send_event(connection, 0, to, 0, reinterpret_cast<const char*>(&message));
        xcb_flush(connection);
    }
    std::vector<uint32_t> property(uint32_t of, const char* name)
    {
        auto* reply = xcb_get_property_reply(connection, xcb_get_property(connection, 0, of, atom(name), 0, 0, 16), nullptr);
        std::vector<uint32_t> values;
        if (reply && reply->format == 32) {
            const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        free(reply);
        return values;
    }
    std::string size(uint32_t of)
    {
        auto* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, of), nullptr);
        const std::string text = geometry ? std::to_string(geometry->width) + "x" + std::to_string(geometry->height) : "";
        free(geometry);
        return text;
    }
    // Drops the file list on `target`: 1 taken, 0 refused (XdndFinished), -1 no answer in 5 s.
    int drop(uint32_t target, const std::string& uriList)
    {
        xcb_set_selection_owner(connection, window, atom("XdndSelection"), XCB_CURRENT_TIME);
        send(target, "XdndEnter", {window, 5u << 24, atom("text/uri-list"), 0, 0});
        send(target, "XdndPosition", {window, 0, (20u << 16) | 20u, XCB_CURRENT_TIME, atom("XdndActionCopy")});
        send(target, "XdndDrop", {window, 0, XCB_CURRENT_TIME, 0, 0});
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < until) {
            xcb_generic_event_t* event = xcb_poll_for_event(connection);
            if (!event) {
                usleep(10000);
                continue;
            }
            int answer = -1;
            if ((event->response_type & 0x7F) == XCB_SELECTION_REQUEST) {
                auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event);
                xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request->requestor, request->property,
                                    request->target, 8, uint32_t(uriList.size()), uriList.data());
                xcb_selection_notify_event_t notify{};
                notify.response_type = XCB_SELECTION_NOTIFY;
                notify.requestor = request->requestor;
                notify.selection = request->selection;
                notify.target = request->target;
                notify.property = request->property;
                xcb_send_event(connection, 0, request->requestor, 0, reinterpret_cast<const char*>(&notify));
                xcb_flush(connection);
            } else if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE &&
                       reinterpret_cast<xcb_client_message_event_t*>(event)->type == atom("XdndFinished")) {
                answer = int(reinterpret_cast<xcb_client_message_event_t*>(event)->data.data32[1] & 1);
            }
            free(event);
            if (answer >= 0)
                return answer;
        }
        return -1;
    }

    xcb_connection_t* connection;
    xcb_window_t window;
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
        // The editor size is remembered per user: here in a folder of the test's own.
        config = std::string(ZEPHRA_X11_SCRATCH) + "/config_" + std::to_string(getpid());
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }
    void TearDown() override { run("rm -rf '" + config + "'"); }

    std::string config;

    std::vector<std::string> testFrame(const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> args{"--test-frame", "--resources", ZEPHRA_RESOURCE_FOLDER,
                                      "--until-stdin-closes"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }

    // A value of the ready line ("ready window=<id> child=<id> size=<w>x<h>").
    static std::string windowOf(const std::string& readyLine, const std::string& key = "window")
    {
        const size_t at = readyLine.find(key + "=") + key.size() + 1;
        return readyLine.substr(at, readyLine.find(' ', at) - at);
    }

    // Waits until the frame has drawn once (the timer runs after the first redraws).
    // (the host shows its window once the editor's is mapped, which may be after that).
    static void waitDrawn(EditorHost& host)
    {
        if (std::find(host.lines.begin(), host.lines.end(), "timer running") == host.lines.end()) {
            ASSERT_FALSE(host.waitForLine("timer running").empty());
        }
    }
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
    EditorHost help({"--help"});
    EXPECT_EQ(help.waitForLine("usage:").rfind("usage: zephra-editorhost", 0), 0u);
    EXPECT_EQ(help.stop(), 0);
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
        // A click on the bend-range field selects its value: the typed 7 replaces it.
        ASSERT_EQ(run("xdotool mousemove --window " + window + " " + at(600, 230) +
                      " click 1 sleep 0.2 type 7; xdotool key Return"), 0);
        EXPECT_EQ(write(host.input(), "param 1000\n", 11), 11);
        EXPECT_EQ(host.waitForLine("param"), "param id=1000 value=0.583333");
        EXPECT_EQ(host.stop(), 0);
    }
    setenv("PATH", path.c_str(), 1);
    run("rm -rf '" + scratch + "'");
}

namespace {
double played(EditorHost& host)
{
    EXPECT_EQ(write(host.input(), "play 69\n", 8), 8);
    const std::string line = host.waitForLine("played");
    return std::atof(line.substr(line.find("freq=") + 5).c_str());
}

// Fonts chosen while the editor is open are read beside the UI thread and handed over on its
// timer: plays until the expected pitch sounds or 5 s have passed, and gives the last pitch.
double playedOnceLoaded(EditorHost& host, double expected)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    double pitch = played(host);
    while (std::fabs(pitch - expected) > expected * 0.01 && std::chrono::steady_clock::now() < deadline)
        pitch = played(host);
    return pitch;
}
} // namespace

// The player's editor as an XEmbed embedder and a file manager meet it (the test plays both).
TEST_F(EditorHostX11, PlayerEditorSpeaksXEmbedAndLoadsADroppedFontButNotATextFile)
{
    const std::string scratch = config + "_files";
    const std::string font = scratch + "/three fonts.sf2", text = scratch + "/notes.txt";
    ASSERT_EQ(run("mkdir -p '" + scratch + "' && echo notes > '" + text + "'"), 0);
    ASSERT_TRUE(zephra::test::writeFile(font, zephra::test::makePianoDrumsOrganFont()));
    EditorHost host({"--bundle", ZEPHRA_BUNDLE_PATH, "--commands"});
    const std::string ready = host.waitForLine("ready window=");
    ASSERT_FALSE(ready.empty());
    EXPECT_EQ(windowOf(ready, "size"), "681x441");
    const uint32_t child = uint32_t(std::stoul(windowOf(ready, "child")));
    XClient x;
    EXPECT_EQ(x.property(child, "_XEMBED_INFO"), (std::vector<uint32_t>{0, 0})) << "version 0, not mapped";

    EXPECT_EQ(x.drop(child, "file://" + text + "\r\n"), 0) << "a text file is refused";
    EXPECT_EQ(played(host), 0.0) << "nothing loaded";
    const std::string shot = scratch + "/refused.png";
    ASSERT_EQ(run("sleep 0.3; import -window " + std::to_string(child) + " '" + shot + "'"), 0);
    Pixel notice;
    ASSERT_TRUE(readPixel(shot, 3, 429, notice));
    EXPECT_GT(notice.r, 120) << "the notice says why";
    EXPECT_LT(notice.g, 60);

    std::string uri = "file://";
    for (char c : font)
        uri += c == ' ' ? std::string("%20") : std::string(1, c);
    EXPECT_EQ(x.drop(child, "# a comment line\r\n" + uri + "\r\n"), 1);
    EXPECT_NEAR(playedOnceLoaded(host, 441.0), 441.0, 3.0) << "the dropped font's top row plays";

    // Keys reach the list once the embedder hands the focus over, not before.
    ASSERT_EQ(run("xdotool key --window " + std::to_string(child) + " Down Down; sleep 0.5"), 0);
    EXPECT_NEAR(played(host), 441.0, 3.0);
    x.send(child, "_XEMBED", {0, 0 /* embedded notify */, 0, x.window, 0});
    x.send(child, "_XEMBED", {0, 4 /* focus in */, 1 /* first */, 0, 0});
    ASSERT_EQ(run("sleep 0.2; xdotool key --window " + std::to_string(child) + " Down Down"), 0);
    EXPECT_NEAR(playedOnceLoaded(host, 882.0), 882.0, 6.0) << "Down twice: 128:000 - Drums";
    EXPECT_EQ(host.stop(), 0);
    run("rm -rf '" + scratch + "'");
}

TEST_F(EditorHostX11, PlayerEditorSizeMenuRedrawsItAllAt150PercentAndTheSizeIsRemembered)
{
    const std::string reference = config + "_offscreen150.png", shot = config + "_window150.png";
    EditorHost offscreen({"--bundle", ZEPHRA_BUNDLE_PATH, "--screenshot", reference, "--scale", "1.5"});
    ASSERT_EQ(offscreen.stop(), 0);
    {
        EditorHost host({"--bundle", ZEPHRA_BUNDLE_PATH, "--until-stdin-closes"});
        const std::string ready = host.waitForLine("ready window=");
        ASSERT_FALSE(ready.empty());
        const std::string window = windowOf(ready), child = windowOf(ready, "child");
        // The menu opens where the background was clicked; its fourth row is 150 %.
        ASSERT_EQ(run("xdotool mousemove --window " + child + " 400 20 click 3"), 0);
        ASSERT_EQ(run("sleep 0.3; xdotool mousemove --window " + child + " 440 101 click 1"), 0);
        XClient x;
        for (int i = 0; i < 40 && x.size(uint32_t(std::stoul(window))) != "1022x662"; ++i)
            usleep(50000);
        EXPECT_EQ(x.size(uint32_t(std::stoul(window))), "1022x662") << "the host was asked to resize";
        ASSERT_EQ(run("sleep 0.5; import -window " + child + " '" + shot + "'"), 0);
        EXPECT_EQ(host.stop(), 0);
    }
    // The whole window is drawn at the new size, as the same editor drawn off screen at 150 %.
    cairo_surface_t* window = cairo_image_surface_create_from_png(shot.c_str());
    cairo_surface_t* expected = cairo_image_surface_create_from_png(reference.c_str());
    ASSERT_EQ(cairo_image_surface_get_width(window), 1022);
    ASSERT_EQ(cairo_image_surface_get_width(expected), 1022);
    double difference = 0;
    for (int y = 0; y < 662; ++y)
        for (int x = 0; x < 1022; ++x) {
            const auto pixel = [&](cairo_surface_t* image) {
                return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image) +
                                                         y * cairo_image_surface_get_stride(image))[x];
            };
            for (int shift : {0, 8, 16})
                difference += std::abs(int((pixel(window) >> shift) & 0xFF) - int((pixel(expected) >> shift) & 0xFF));
        }
    EXPECT_LT(difference / (1022.0 * 662 * 3), 3.0) << "mean difference per channel";
    cairo_surface_destroy(window);
    cairo_surface_destroy(expected);

    std::ifstream settings(config + "/Norvane/Zephra SF2 Player/editor.conf");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(settings), {}), "size=150.00\n");
    EditorHost again({"--bundle", ZEPHRA_BUNDLE_PATH, "--until-stdin-closes"});
    const std::string ready = again.waitForLine("ready window=");
    EXPECT_EQ(windowOf(ready, "size"), "1022x662") << "the next editor opens at the remembered size";
    ASSERT_EQ(run("xdotool windowsize " + windowOf(ready) + " 800 800"), 0);
    EXPECT_EQ(again.waitForLine("resized"), "resized 800x518") << "a dragged window keeps the aspect ratio";
    EXPECT_EQ(again.stop(), 0);
    std::remove(reference.c_str());
    std::remove(shot.c_str());
}

TEST_F(EditorHostX11, PlayerEditorAttachesAgainOnItsViewAndOnNewViewsOfTheSameController)
{
    for (bool fresh : {false, true}) {
        std::vector<std::string> args{"--bundle", ZEPHRA_BUNDLE_PATH, "--cycles", "3"};
        if (fresh)
            args.push_back("--fresh-views");
        EditorHost host(args);
        EXPECT_EQ(host.waitForLine("cycles="), "cycles=3 children=0 fd-delta=0 registrations=0") << fresh;
        EXPECT_EQ(host.stop(), 0);
    }
}

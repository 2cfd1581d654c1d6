// The progress bar: drawn on a terminal for renders over a second, never into files or pipes.
#include "ProgressBar.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <pty.h>
#include <string>
#include <unistd.h>

using zephra::render::ProgressBar;

TEST(ProgressBar, StaysOffWhenTheStreamIsNotATerminal) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        ProgressBar bar(true, 60.0, file);
        EXPECT_FALSE(bar.active());
        bar.update(30.0);
        bar.finish();
    }
    EXPECT_EQ(std::ftell(file), 0L);
    std::fclose(file);
}

class ProgressBarOnTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) GTEST_SKIP() << "no pseudo-terminal available";
        terminal = ::fdopen(slave, "w");
        ASSERT_NE(terminal, nullptr);
    }
    void TearDown() override {
        if (terminal != nullptr) std::fclose(terminal);
        if (master >= 0) ::close(master);
    }
    std::string drawn() {
        std::fflush(terminal);
        char buffer[4096];
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
    }
    int master = -1;
    int slave = -1;
    std::FILE* terminal = nullptr;
};

TEST_F(ProgressBarOnTerminal, DrawsTheShareDoneOnOneLine) {
    ProgressBar bar(true, 10.0, terminal);
    ASSERT_TRUE(bar.active());
    bar.update(5.0);
    const std::string text = drawn();
    EXPECT_EQ(text.rfind("\r[", 0), 0u) << text;
    EXPECT_NE(text.find(" 50%"), std::string::npos) << text;
    EXPECT_NE(text.find("5.0 / 10.0 s"), std::string::npos) << text;
}

TEST_F(ProgressBarOnTerminal, StaysOffForShortRendersAndWhenSwitchedOff) {
    EXPECT_FALSE(ProgressBar(true, 0.8, terminal).active());
    EXPECT_FALSE(ProgressBar(false, 60.0, terminal).active());
}

#pragma once
// A one-line progress bar on stderr, redrawn in place at most ten times a second. It stays off
// when stderr is not a terminal or the render is short, so logs and pipes get no bar.
//
// Threads: the rendering thread. Not real-time safe (writes to stderr).
#include <chrono>
#include <cstdint>
#include <cstdio>

namespace zephra {
namespace render {

class ProgressBar {
public:
    // enabled: the caller's wish (off with --quiet); totalSeconds: length of the render.
    ProgressBar(bool enabled, double totalSeconds, std::FILE* stream = stderr);
    void update(double doneSeconds);
    // Clears the bar's line so the summary starts on a clean line.
    void finish();
    bool active() const { return isActive; }

private:
    std::FILE* stream;
    bool isActive;
    double total;
    bool drawn = false;
    std::chrono::steady_clock::time_point lastDraw;
};

}   // namespace render
}   // namespace zephra

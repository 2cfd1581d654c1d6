#include "ProgressBar.h"

#include <algorithm>
#include <unistd.h>

namespace zephra {
namespace render {

namespace {
constexpr double kMinimumSecondsForBar = 1.0;
constexpr int kBarWidth = 40;
}   // namespace

ProgressBar::ProgressBar(bool enabled, double totalSeconds, std::FILE* stream)
    : stream(stream), isActive(enabled && totalSeconds > kMinimumSecondsForBar && ::isatty(::fileno(stream)) == 1),
      total(totalSeconds)
{
}

void ProgressBar::update(double doneSeconds)
{
    if (!isActive)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn && now - lastDraw < std::chrono::milliseconds(100) && doneSeconds < total)
        return;
    lastDraw = now;
    drawn = true;
    const double fraction = total > 0.0 ? std::clamp(doneSeconds / total, 0.0, 1.0) : 1.0;
    const int filled = static_cast<int>(fraction * kBarWidth);
    char bar[kBarWidth + 1];
    for (int i = 0; i < kBarWidth; ++i)
        bar[i] = i < filled ? '#' : '-';
    bar[kBarWidth] = '\0';
    std::fprintf(stream, "\r[%s] %3d%%  %.1f / %.1f s", bar, static_cast<int>(fraction * 100.0), doneSeconds, total);
    std::fflush(stream);
}

void ProgressBar::finish()
{
    if (!isActive || !drawn)
        return;
    std::fprintf(stream, "\r%*s\r", kBarWidth + 40, "");
    std::fflush(stream);
    drawn = false;
}

}   // namespace render
}   // namespace zephra

#pragma once
// Measurements on rendered audio for tests: frequency by zero crossings, peak and RMS levels.
// Threads: any (pure functions). Not meant for the audio thread.
#include <cstddef>
#include <vector>

namespace zephra {
namespace test {

// Frequency in Hz of a periodic signal, from the rising zero crossings (linearly interpolated)
// of samples[from..]: (crossings - 1) periods between the first and the last one. 0 when fewer
// than three crossings are found.
double estimateFrequency(const std::vector<float>& samples, double sampleRate, size_t from = 0);

// Largest absolute sample of samples[from..to) (to clamped to the size).
double peakLevel(const std::vector<float>& samples, size_t from = 0, size_t to = static_cast<size_t>(-1));

// Root mean square of samples[from..to).
double rmsLevel(const std::vector<float>& samples, size_t from = 0, size_t to = static_cast<size_t>(-1));

} // namespace test
} // namespace zephra

#pragma once
// A low-frequency oscillator over a shared wave table: an integer phase of 441 table steps per
// period (1 000 000 units per step), silent (output 0) while the phase is negative, which is
// how its start delay is counted. Classic runs the unipolar raised cosine (0 .. 1); the
// SoundFont LFO is a triangle swinging both ways (-1 .. 1) from 0.
// Threads: audio thread (setSampleRate: UI thread while processing is stopped). Real-time safe.
#include <cstdint>

namespace Steinberg {
namespace Vst {

class Lfo {
public:
    static constexpr int32_t kUnitsPerStep = 1000000;
    static constexpr int32_t kUnitsPerPeriod = 441 * kUnitsPerStep;
    // The delay counts one unit per sample, so a delay of n samples starts the phase at -n.
    static constexpr int32_t kDelayIncrement = 1;

    Lfo() noexcept;

    // Idle: output 0, sources pointing at neutral values.
    void reset() noexcept;
    // Starts with new sources: silent for the delay, then running from the wave's start.
    void start(const float* frequencySource, const float* delaySource, bool triangle = false) noexcept;
    // Recomputes both increments from the sources.
    void setUp() noexcept;
    void setSampleRate(double rate) noexcept { sampleRate = rate; }

    void advance() noexcept;
    void skip(int64_t count) noexcept;
    int64_t steadyRun() const noexcept;
    float nextOutput() const noexcept;

    int32_t phase = 0;
    int32_t delayIncrement = kDelayIncrement;
    int32_t runningIncrement = 0;
    float delayScale = 0.0f;     // output scale during the delay
    float runningScale = 1.0f;   // output scale while running
    float output = 0.0f;
    const float* wave;           // the table it runs over
    const float* frequency;      // Hz
    const float* delay;          // seconds
    double sampleRate = 44100.0;
};

} // namespace Vst
} // namespace Steinberg

#pragma once
// A seven-stage envelope (delay, attack, hold, decay, sustain, release, done) driven by an integer
// counter over the shared curve table: 128 table steps per stage, 1 000 000 counter units per step.
// Threads: audio thread (setSampleRate: UI thread while processing is stopped). Real-time safe.
#include <cstdint>

namespace Steinberg {
namespace Vst {

struct EnvelopeSources {
    const float* delay;     // seconds
    const float* attack;
    const float* hold;
    const float* decay;
    const float* sustain;   // level reached after the decay
    const float* release;
};

// How the decay and release stages fall. Classic: the engine's own curve, an exponential
// approach to the sustain level. SoundFont: as the SoundFont standard has it, the volume
// envelope falls at an even rate in dB (100 dB per decay or release time) and stops at the
// sustain level, the modulation envelope falls in a straight line (a full fall per time).
enum class EnvelopeLaw { classic, soundFont };

class Envelope {
public:
    static constexpr int32_t kUnitsPerStep = 1000000;
    static constexpr int32_t kUnitsPerStage = 128 * kUnitsPerStep;
    static constexpr int32_t kLastCounter = 7 * kUnitsPerStage - 1;   // last unit of the table
    static constexpr int32_t kDecayStage = 3;
    static constexpr int32_t kReleaseStage = 5;
    static constexpr int32_t kDoneStage = 6;

    Envelope() noexcept;

    // Idle: done, output 0, sources pointing at neutral values.
    void reset() noexcept;
    // Starts from the delay stage with new sources.
    void start(const EnvelopeSources& sources, bool volumeEnvelope,
               EnvelopeLaw law = EnvelopeLaw::classic) noexcept;
    // Recomputes the stage increments, scales and offsets from the sources (release scale kept).
    void setUp() noexcept;
    // Jumps to the release row, falling from the output reached.
    void release() noexcept;
    void setSampleRate(double rate) noexcept { sampleRate = rate; }

    // One sample.
    void advance() noexcept;
    // Exactly `count` advances at once.
    void skip(int64_t count) noexcept;
    // Number of coming advances that all produce the same output, and that output.
    int64_t steadyRun() const noexcept;
    float nextOutput() const noexcept;
    // Whether the envelope is done after `count` more advances (counted from now, within the
    // steady run).
    bool doneAfter(int64_t count) const noexcept;

    int32_t counter = 0;
    int32_t increment[7] = {};
    float scale[7] = {};
    float offset[7] = {};
    bool volume = false;
    EnvelopeLaw law = EnvelopeLaw::classic;
    const float* curve;          // the table rows the law reads
    // Counter units the decay stage starts into its row: a falling volume envelope enters
    // where the rest of the row spans the drop to the sustain level (0 for Classic).
    int32_t decayEntry = 0;
    EnvelopeSources sources;
    double sampleRate = 44100.0;
    float output = 0.0f;
    int32_t stage = kDoneStage;

private:
    void addToCounter(int64_t units) noexcept;
    void setUpSoundFontFall(float unitsPerSecondStage, float sustain) noexcept;
};

} // namespace Vst
} // namespace Steinberg

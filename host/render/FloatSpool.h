#pragma once
// Holds a whole render as interleaved stereo floats in an anonymous temporary file (it has no
// name, so it disappears with the process whatever happens), so that the level of the whole
// mix is known before anything is written: the first pass fills it, the second reads it back.
// Samples that are not numbers are stored as silence and counted.
//
// Threads: one thread per spool. Not real-time safe (file I/O).
#include "MixRenderer.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zephra {
namespace render {

class FloatSpool : public AudioSink {
public:
    FloatSpool() = default;
    ~FloatSpool() override;
    FloatSpool(const FloatSpool&) = delete;
    FloatSpool& operator=(const FloatSpool&) = delete;

    // Creates the nameless file (AnonymousFile.h). False with a reason when it cannot.
    bool open(std::string& error);
    bool consume(const float* left, const float* right, int32_t frameCount, std::string& error) override;

    int64_t frames() const { return spooledFrames; }
    float peak() const { return peakLevel; }                // largest absolute sample
    int64_t aboveFullScale() const { return aboveCount; }   // samples with an absolute value above 1
    int64_t nonFinite() const { return nonFiniteCount; }

    // Starts reading from the first frame.
    bool rewind(std::string& error);
    // Reads the next frameCount frames (interleaved) into out.
    bool read(float* out, int32_t frameCount, std::string& error);

private:
    bool flush(std::string& error);

    std::FILE* file = nullptr;
    std::vector<float> buffer;
    int64_t spooledFrames = 0;
    float peakLevel = 0.f;
    int64_t aboveCount = 0;
    int64_t nonFiniteCount = 0;
};

}   // namespace render
}   // namespace zephra

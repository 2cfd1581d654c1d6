#pragma once
// Command-line options of zephra-render and their parsing. Every value is checked here, so the
// renderer only ever sees usable settings.
//
// Threads: any (no shared state). Not real-time safe (allocates).
#include "WavOutput.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zephra {
namespace render {

constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

struct Options {
    std::string soundFontPath = kDefaultSoundFont;
    bool presetGiven = false;       // --preset
    int32_t preset = 0;
    bool bankGiven = false;         // --bank
    int32_t bank = 0;
    bool programGiven = false;      // --program
    int32_t program = 0;
    bool listPresets = false;
    std::string midiPath;           // empty: the built-in demo
    std::string outputPath = "out.wav";
    SampleFormat format = SampleFormat::Pcm24;
    int32_t sampleRate = 44100;
    int32_t blockSize = 512;
    double tailSeconds = 2.0;
    bool levelGiven = false;        // --level: the plug-in's "Output Level" (linear gain, 0..240)
    double level = 12.0;
    std::string bundlePath;         // empty: look in the usual places
    bool quiet = false;             // no progress bar and no summary
    bool showHelp = false;
    bool showVersion = false;
};

// Limits the renderer accepts (and says so in its messages).
constexpr int32_t kMinSampleRate = 44100;
constexpr int32_t kMaxSampleRate = 192000;
constexpr int32_t kMaxBlockSize = 8192;
constexpr double kMaxTailSeconds = 60.0;
constexpr double kMaxLevel = 240.0;

// Parses argv[1..argc-1]. False with a readable reason for unknown options, missing or bad values.
bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error);

std::string usageText();

} // namespace render
} // namespace zephra

#pragma once
// Command-line options of zephra-render and their parsing. Every value is checked here, so the
// renderer only ever sees usable settings.
//
// Threads: any (no shared state). Not real-time safe (allocates).
#include "OutputFormat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zephra {
namespace render {

constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The plug-in's response to notes and controllers, as --response chooses it.
enum class ResponseChoice { pluginDefault, classic, soundFont204 };

struct Options {
    std::string soundFontPath = kDefaultSoundFont;
    bool presetGiven = false;   // --preset
    int32_t preset = 0;
    bool bankGiven = false;   // --bank
    int32_t bank = 0;
    bool programGiven = false;   // --program
    int32_t program = 0;
    bool listPresets = false;
    std::string midiPath;   // empty: the built-in demo
    bool single = false;    // --single (or a preset option): one instance for the piece
    int32_t channel = -1;   // --channel N (0-based here): that channel alone
    std::string outputPath = "out.wav";
    bool formatGiven = false;   // --format
    SampleFormat format = SampleFormat::Pcm24;
    int32_t sampleRate = 44100;
    int32_t blockSize = 2048;
    bool tailGiven = false;   // --tail: exactly this long; else until silent, at most the limit
    double tailSeconds = 30.0;
    bool levelGiven = false;   // --level: the plug-in's "Output Level" (linear gain, 0..240)
    double level = 12.0;
    bool normalise = true;                                     // off with --no-normalise or --level
    ResponseChoice response = ResponseChoice::pluginDefault;   // --response classic|sf2
    std::string bundlePath;                                    // empty: look in the usual places
    int32_t jobs = 0;     // --jobs: threads rendering instances (0: one per processor core)
    bool quiet = false;   // no progress bar and no summary
    bool showHelp = false;
    bool showVersion = false;
};

// Limits the renderer accepts (and says so in its messages).
constexpr int32_t kMinSampleRate = 44100;
constexpr int32_t kMaxSampleRate = 192000;
constexpr int32_t kMaxBlockSize = 8192;
constexpr double kMaxTailSeconds = 30.0;
constexpr double kMaxLevel = 240.0;
constexpr int32_t kMaxJobs = 64;

// Parses argv[1..argc-1]. False with a readable reason for unknown options, missing or bad values.
// A preset option (--preset, --bank/--program) implies --single; --level implies --no-normalise.
// Without --jobs, jobs is the number of processor cores.
bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error);

std::string usageText();

}   // namespace render
}   // namespace zephra

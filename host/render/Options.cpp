#include "Options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace zephra {
namespace render {

namespace {

bool parseInteger(const std::string& text, long long low, long long high, int32_t& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

// A finite number from 0 to high (seconds, levels).
bool parseSeconds(const std::string& text, double high, double& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(parsed) || parsed < 0.0 || parsed > high)
        return false;
    value = parsed;
    return true;
}

}   // namespace

bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error)
{
    options = Options{};
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::string value;
        bool hasInlineValue = false;
        if (name.rfind("--", 0) == 0) {
            const size_t equals = name.find('=');
            if (equals != std::string::npos) {
                value = name.substr(equals + 1);
                name = name.substr(0, equals);
                hasInlineValue = true;
            }
        }
        // Fetches the option's value, from "--name=value" or the next argument. An option in
        // its place means the value is missing ("-" alone and negative numbers are values).
        auto takeValue = [&]() -> bool {
            if (hasInlineValue)
                return true;
            const std::string next = i + 1 < argc ? argv[i + 1] : "";
            const bool isOption = next.size() > 1 && next[0] == '-' && !(next[1] >= '0' && next[1] <= '9');
            if (i + 1 >= argc || isOption) {
                error = "option " + name + " needs a value" + (isOption ? ", not the option \"" + next + "\"" : "");
                return false;
            }
            value = argv[++i];
            return true;
        };
        auto flag = [&](bool& target) -> bool {
            if (hasInlineValue) {
                error = "option " + name + " takes no value";
                return false;
            }
            target = true;
            return true;
        };

        if (name == "-h" || name == "--help") {
            if (!flag(options.showHelp))
                return false;
        } else if (name == "--version") {
            if (!flag(options.showVersion))
                return false;
        } else if (name == "--list-presets") {
            if (!flag(options.listPresets))
                return false;
        } else if (name == "-q" || name == "--quiet") {
            if (!flag(options.quiet))
                return false;
        } else if (name == "--sf2") {
            if (!takeValue())
                return false;
            if (value.empty()) {
                error = "--sf2 needs a file path";
                return false;
            }
            options.soundFontPath = value;
        } else if (name == "--preset") {
            if (!takeValue())
                return false;
            if (!parseInteger(value, 0, 65535, options.preset)) {
                error = "--preset needs a preset index from 0 to 65535, not \"" + value + "\"";
                return false;
            }
            options.presetGiven = true;
        } else if (name == "--bank") {
            if (!takeValue())
                return false;
            if (!parseInteger(value, 0, 65535, options.bank)) {
                error = "--bank needs a bank number from 0 to 65535, not \"" + value + "\"";
                return false;
            }
            options.bankGiven = true;
        } else if (name == "--program") {
            if (!takeValue())
                return false;
            if (!parseInteger(value, 0, 127, options.program)) {
                error = "--program needs a program number from 0 to 127, not \"" + value + "\"";
                return false;
            }
            options.programGiven = true;
        } else if (name == "--midi") {
            if (!takeValue())
                return false;
            if (value.empty()) {
                error = "--midi needs a file path";
                return false;
            }
            options.midiPath = value;
        } else if (name == "-o" || name == "--output") {
            if (!takeValue())
                return false;
            if (value.empty()) {
                error = name + " needs a file path";
                return false;
            }
            options.outputPath = value;
        } else if (name == "--single") {
            if (!flag(options.single))
                return false;
        } else if (name == "--channel") {
            if (!takeValue())
                return false;
            if (!parseInteger(value, 1, 16, options.channel)) {
                error = "--channel needs a MIDI channel from 1 to 16, not \"" + value + "\"";
                return false;
            }
            options.channel -= 1;
        } else if (name == "--no-normalise" || name == "--no-normalize") {
            bool off = false;
            if (!flag(off))
                return false;
            options.normalise = false;
        } else if (name == "--format") {
            if (!takeValue())
                return false;
            options.formatGiven = true;
            if (!parseSampleFormat(value, options.format)) {
                error = "--format must be 16, 24 or float, not \"" + value + "\"";
                return false;
            }
        } else if (name == "--rate") {
            if (!takeValue())
                return false;
            if (!parseInteger(value, kMinSampleRate, kMaxSampleRate, options.sampleRate)) {
                error = "--rate needs a sample rate from " + std::to_string(kMinSampleRate) + " to " +
                        std::to_string(kMaxSampleRate) + " Hz, not \"" + value + "\"";
                return false;
            }
        } else if (name == "--block") {
            if (!takeValue())
                return false;
            if (!parseInteger(value, 1, kMaxBlockSize, options.blockSize)) {
                error = "--block needs a block size from 1 to " + std::to_string(kMaxBlockSize) + " samples, not \"" +
                        value + "\"";
                return false;
            }
        } else if (name == "--tail") {
            if (!takeValue())
                return false;
            if (!parseSeconds(value, kMaxTailSeconds, options.tailSeconds)) {
                error = "--tail needs seconds from 0 to " + std::to_string(int(kMaxTailSeconds)) + ", not \"" + value +
                        "\"";
                return false;
            }
            options.tailGiven = true;
        } else if (name == "--level") {
            if (!takeValue())
                return false;
            if (!parseSeconds(value, kMaxLevel, options.level)) {
                error = "--level needs an output level from 0 to 240, not \"" + value + "\"";
                return false;
            }
            options.levelGiven = true;
        } else if (name == "--response") {
            if (!takeValue())
                return false;
            if (value == "classic") {
                options.response = ResponseChoice::classic;
            } else if (value == "sf2") {
                options.response = ResponseChoice::soundFont204;
            } else {
                error = "--response must be classic or sf2, not \"" + value + "\"";
                return false;
            }
        } else if (name == "--jobs" || name == "-j") {
            if (!takeValue())
                return false;
            if (!parseInteger(value, 1, kMaxJobs, options.jobs)) {
                error = name + " needs a number of threads from 1 to " + std::to_string(kMaxJobs) + ", not \"" + value +
                        "\"";
                return false;
            }
        } else if (name == "--plugin") {
            if (!takeValue())
                return false;
            if (value.empty()) {
                error = "--plugin needs the path of a .vst3 bundle";
                return false;
            }
            options.bundlePath = value;
        } else {
            error = "unknown option \"" + std::string(argv[i]) + "\" (see --help)";
            return false;
        }
    }
    if (options.presetGiven && (options.bankGiven || options.programGiven)) {
        error = "give either --preset or --bank/--program, not both";
        return false;
    }
    if (options.bankGiven && !options.programGiven) {
        error = "--bank needs --program as well";
        return false;
    }
    if (options.presetGiven || options.programGiven)
        options.single = true;
    if (options.levelGiven)
        options.normalise = false;
    if (options.jobs == 0)
        options.jobs = static_cast<int32_t>(std::clamp<unsigned>(std::thread::hardware_concurrency(), 1u, kMaxJobs));
    return true;
}

std::string usageText()
{
    return "Usage: zephra-render [options]\n"
           "Plays a MIDI file (or the built-in demo piece) through the Zephra SF2 Player plug-in as a\n"
           "DAW would, one plug-in instance per MIDI channel, and writes the mix to an audio file.\n"
           "\n"
           "  --sf2 PATH          SoundFont to play (default " +
           std::string(kDefaultSoundFont) +
           ")\n"
           "  --midi FILE         Standard MIDI File, type 0 or 1 (default: the built-in demo)\n"
           "  --channel N         render MIDI channel N (1 to 16) alone, for stems\n"
           "  --single            one instance plays every channel with one preset: --preset, else\n"
           "                      --bank/--program, else the program change before the first note,\n"
           "                      else the first row of --list-presets\n"
           "  --preset N          preset index, as --list-presets shows it (implies --single)\n"
           "  --bank B --program P  preset by bank and program number, program 0 to 127 (implies\n"
           "                      --single; --bank defaults to 0)\n"
           "  --list-presets      list the SoundFont's presets and exit\n"
           "  -o, --output FILE   audio file to write (default out.wav); the format follows the\n"
           "                      extension: .wav, .flac, .ogg, .mp3, .aiff; \"-\" writes WAV to\n"
           "                      standard output; a symbolic link is followed and the file it\n"
           "                      names is written (the link stays)\n"
           "  --format F          sample type: 16, 24 or float (default 24)\n"
           "  --rate HZ           sample rate, 44100 to 192000 (default 44100)\n"
           "  --block N           process block size, 1 to 8192 (default 2048; the audio does not\n"
           "                      depend on it)\n"
           "  --tail SECONDS      time rendered after the song's end (its last End-of-Track), 0 to\n"
           "                      30 (default: until the mix has fallen 100 dB below its peak, at\n"
           "                      most 30)\n"
           "  -j, --jobs N        threads rendering the instances at once, 1 to 64 (default: one per\n"
           "                      processor core; the audio does not depend on it)\n"
           "  --level L           the plug-in's \"Output Level\", a linear gain from 0 to 240, and no\n"
           "                      normalising (the plug-in's own level is 12; halve it for 6 dB less)\n"
           "  --no-normalise      keep the plug-in's level instead of normalising the mix\n"
           "  --response R        how notes and controllers sound: classic (the plug-in's default)\n"
           "                      or sf2 (the SoundFont 2.04 modulators, as FluidSynth plays them)\n"
           "  --plugin PATH       the .vst3 bundle to load (default: the build tree's bundle,\n"
           "                      then ~/.vst3, /usr/local/lib/vst3, /usr/lib/vst3)\n"
           "  -q, --quiet         no progress bar and no summary\n"
           "  -h, --help          this text\n"
           "      --version       the version\n"
           "\n"
           "By default the mix is rendered in float and normalised to a peak of -1 dBFS.\n"
           "Exit status: 0 done, 2 bad options, 3 SoundFont or preset problem, 4 MIDI file problem,\n"
           "5 output file problem, 6 plug-in problem, 7 the render produced no sound,\n"
           "130 interrupted (an existing output file is left as it was).\n";
}

}   // namespace render
}   // namespace zephra

// zephra-render: plays a MIDI file (or the built-in demo) through the Zephra SF2 Player bundle as
// a DAW would, one plug-in instance per MIDI channel, and writes the mix to an audio file.
#include "BundleLocator.h"
#include "DemoPiece.h"
#include "ExitCodes.h"
#include "host/render/platform/Interruption.h"
#include "MidiFile.h"
#include "Options.h"
#include "host/render/platform/OutputGuard.h"
#include "PresetCatalog.h"
#include "ProgressBar.h"
#include "RenderSession.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

using namespace zephra::render;

namespace {

int fail(int code, const std::string& message)
{
    std::fprintf(stderr, "zephra-render: error: %s\n", message.c_str());
    return code;
}

void note(const std::string& message)
{
    std::fprintf(stderr, "zephra-render: %s\n", message.c_str());
}

// The command line's choice of preset, checked against the SoundFont (-1: none given).
bool presetFromCommandLine(const Options& options, const PresetCatalog& catalog, int32_t& preset, std::string& error)
{
    preset = -1;
    if (options.presetGiven) {
        if (!catalog.contains(options.preset)) {
            error = "preset " + std::to_string(options.preset) + " does not exist in \"" + options.soundFontPath +
                    "\" (it has presets 0 to " + std::to_string(catalog.presetsInFileOrder().size() - 1) +
                    "; see --list-presets)";
            return false;
        }
        preset = options.preset;
    } else if (options.programGiven) {
        preset = catalog.find(options.bank, options.program);
        if (preset < 0) {
            error = "no preset with bank " + std::to_string(options.bank) + " and program " +
                    std::to_string(options.program) + " in \"" + options.soundFontPath + "\" (see --list-presets)";
            return false;
        }
    }
    return true;
}

double decibels(double gain)
{
    return 20.0 * std::log10(gain);
}

}   // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error))
        return fail(kExitUsage, error);
    if (options.showHelp) {
        std::fputs(usageText().c_str(), stdout);
        return kExitDone;
    }
    if (options.showVersion) {
        std::puts("zephra-render 1.5 (Zephra SF2 Player)");
        return kExitDone;
    }
    installInterruptionHandlers();

    PresetCatalog catalog;
    if (!catalog.load(options.soundFontPath, error))
        return fail(kExitSoundFont, error);
    if (options.listPresets) {
        for (const PresetEntry& row : catalog.sortedRows())
            std::printf("%5d  %s\n", row.index, row.row.c_str());
        return kExitDone;
    }
    int32_t commandLinePreset = -1;
    if (!presetFromCommandLine(options, catalog, commandLinePreset, error))
        return fail(kExitSoundFont, error);

    // The piece.
    Score score;
    if (options.midiPath.empty()) {
        score = makeDemoPiece();
    } else {
        MidiSequence sequence;
        if (!readMidiFile(options.midiPath, sequence, error))
            return fail(kExitMidi, error);
        for (const std::string& warning : sequence.warnings)
            note(options.midiPath + ": " + warning);
        score = scoreFromMidi(sequence);
    }
    const std::string pieceName =
        options.midiPath.empty() ? std::string("the demo piece") : "\"" + options.midiPath + "\"";
    if (std::none_of(score.events.begin(), score.events.end(), [&](const ScoreEvent& e) {
            return e.kind == ScoreEventKind::NoteOn && (options.channel < 0 || e.channel == options.channel);
        }))
        return fail(kExitMidi, pieceName + " has no notes to play" +
                                   (options.channel >= 0 ? " on channel " + std::to_string(options.channel + 1) : ""));
    constexpr double kMaxRenderSeconds = 4.0 * 3600.0;
    if (std::max(score.endSeconds, score.events.back().seconds) + options.tailSeconds > kMaxRenderSeconds)
        return fail(kExitMidi, pieceName + " lasts longer than 4 hours");

    // The output: its format, and a path whose writing destroys nothing. The temporary file is
    // made before the long work starts, so a folder that cannot be written fails at once.
    std::string bundlePath;
    if (!locateBundle(options.bundlePath, bundlePath, error))
        return fail(kExitPlugin, error);
    const std::string named = options.outputPath;
    if (!followOutputLinks(named, options.outputPath, error))
        return fail(kExitOutput, error);
    if (!checkOutputPath(options.outputPath, bundlePath, {options.soundFontPath, options.midiPath}, error))
        return fail(kExitOutput, error);
    Container container = Container::Wav;
    if (!containerForPath(options.outputPath, container, error) || !checkSampleFormat(container, options.format, error))
        return fail(kExitUsage, error);
    if (options.formatGiven && !containerHasSampleType(container))
        note("--format does not apply to " + std::string(describeFormat(container, options.format)) + "; ignored");
    OutputFile output;
    if (!output.prepare(options.outputPath, error))
        return fail(kExitOutput, error);

    // The instances, set up as a DAW sets up its tracks for an offline export.
    RenderSession session;
    const SessionResult prepared = session.prepare(options, catalog, commandLinePreset, bundlePath, score, error);
    if (prepared != SessionResult::Ready) {
        if (prepared == SessionResult::Interrupted)
            return kExitInterrupted;
        return fail(prepared == SessionResult::SoundFontProblem ? kExitSoundFont : kExitPlugin, error);
    }
    for (const std::string& remark : session.remarks())
        note(remark);
    if (!options.quiet) {
        note("plug-in: " + bundlePath);
        for (const std::string& line : session.describeInstances())
            note(line);
    }

    // First pass: the whole mix, in float, into the spool.
    FloatSpool spool;
    if (!spool.open(error))
        return fail(kExitOutput, error);
    ProgressBar bar(!options.quiet, double(session.songEnd()) / options.sampleRate + 1.0);
    MixStats stats;
    const bool rendered = session.render(
        spool, [&](int64_t done) { bar.update(double(done) / options.sampleRate); },
        [] { return interruptionSignal() != 0; }, stats, error);
    bar.finish();
    if (!rendered)
        return fail(kExitOutput, error);
    if (stats.interrupted)
        return kExitInterrupted;
    // Hosts built on the VST3 SDK drop messages between processor and controller that are sent
    // off their UI thread; a plug-in sending any would lose them there, so the render fails.
    if (const int64_t refused = zephra::host::refusedMessagesInProcess())
        return fail(kExitPlugin, "the plug-in sent " + std::to_string(refused) +
                                     " message(s) between its processor and controller off the host's UI "
                                     "thread; hosts built on the VST3 SDK refuse them");
    for (const std::string& problem : session.problems())
        note("warning: " + problem);
    if (stats.nonFiniteSamples > 0 || spool.nonFinite() > 0)
        note("warning: the plug-in produced " + std::to_string(stats.nonFiniteSamples + spool.nonFinite()) +
             " sample(s) that are not numbers; they were written as silence");
    if (stats.tailCapped)
        note("the sound still rang " + std::to_string(int(options.tailSeconds)) +
             " s after the song's end; it was faded out there");
    // Below the smallest step of a 24-bit file there is nothing to hear or to normalise.
    constexpr float kSilentPeak = 1.0f / 16777216.0f;
    if (spool.peak() < kSilentPeak)
        return fail(kExitSilent, "the render is silent, so nothing was written (check the piece's volume, "
                                 "--level, and that the presets cover the piece's notes)");

    // Second pass: through the gain into the output, which then replaces the old file.
    const double gain = options.normalise ? normalisingGain(spool.peak()) : 1.0;
    MixdownStats mixdown;
    if (!output.begin(options.sampleRate, libsndfileFormat(container, options.format, spool.frames()), error))
        return fail(kExitOutput, error);
    if (!writeMixdown(
            spool, output, gain, sampleAt(kEndFadeSeconds, options.sampleRate),
            [] { return interruptionSignal() != 0; }, mixdown, error)) {
        output.abandon();
        if (interruptionSignal() != 0)
            return kExitInterrupted;
        return fail(kExitOutput, error);
    }
    if (!output.commit(error))
        return fail(kExitOutput, error);

    const bool toStdout = options.outputPath == "-";
    if (mixdown.aboveFullScale > 0) {
        const double share = 100.0 * double(mixdown.aboveFullScale) / (2.0 * double(spool.frames()));
        char text[256];
        std::snprintf(text, sizeof text, "%lld sample(s) (%.3f %%) above full scale, peak %+.1f dBFS",
                      static_cast<long long>(mixdown.aboveFullScale), share, decibels(spool.peak() * gain));
        note("warning: " + std::string(text) +
             (containerHasSampleType(container) && options.format == SampleFormat::Float32
                  ? "; the float file keeps them, but most players will clip them"
                  : "; they were clipped. Leave out --level and --no-normalise to normalise the mix"));
    }
    if (!options.quiet) {
        const double seconds = double(stats.frames) / options.sampleRate;
        const double speed = stats.wallSeconds > 0.0 ? seconds / stats.wallSeconds : 0.0;
        const double cpuSpeed = stats.cpuSeconds > 0.0 ? seconds / stats.cpuSeconds : 0.0;
        std::FILE* out = toStdout ? stderr : stdout;
        char level[96];
        if (options.normalise)
            std::snprintf(level, sizeof level, "normalised to %.1f dBFS with a gain of %+.1f dB", kNormalisedPeakDb,
                          decibels(gain));
        else
            std::snprintf(level, sizeof level, "not normalised");
        std::fprintf(out,
                     "rendered %.2f s (song %.2f s, tail %.2f s) in %.3f s (%.0fx real time; %.0fx on CPU time) with "
                     "%zu instance(s), at most %d voices; mix peak %.1f dBFS (%lld samples above full scale), %s "
                     "-> %s (%s, %d Hz)\n",
                     seconds, double(stats.songFrames) / options.sampleRate,
                     double(stats.frames - stats.songFrames) / options.sampleRate, stats.wallSeconds, speed, cpuSpeed,
                     session.instanceCount(), stats.maxVoices, decibels(spool.peak()),
                     static_cast<long long>(spool.aboveFullScale()), level,
                     toStdout ? "standard output" : options.outputPath.c_str(),
                     describeFormat(container, options.format), options.sampleRate);
    }
    return kExitDone;
}

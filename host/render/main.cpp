// zephra-render: plays a MIDI file (or the built-in demo) through the Zephra SF2 Player bundle
// and writes a WAV file, using the plug-in exactly as a DAW does.
#include "BundleLocator.h"
#include "DemoPiece.h"
#include "ExitCodes.h"
#include "MidiFile.h"
#include "Options.h"
#include "PresetCatalog.h"
#include "ProgressBar.h"
#include "RenderPlan.h"
#include "Renderer.h"
#include "SameFile.h"
#include "WavOutput.h"

#include "host/PluginHost.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

using namespace zephra::render;

namespace {

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "zephra-render: error: %s\n", message.c_str());
    return code;
}

void note(const std::string& message) {
    std::fprintf(stderr, "zephra-render: %s\n", message.c_str());
}

class WavSink : public AudioSink {
public:
    explicit WavSink(WavOutput& output) : output(output) {}
    bool consume(const float* left, const float* right, int32_t frameCount, std::string& error) override {
        return output.write(left, right, frameCount, error);
    }

private:
    WavOutput& output;
};

const char* formatName(SampleFormat format) {
    return format == SampleFormat::Pcm16 ? "16-bit" : format == SampleFormat::Pcm24 ? "24-bit" : "32-bit float";
}

std::string describePreset(const PresetCatalog& catalog, int32_t index) {
    const PresetEntry* entry = catalog.entry(index);
    return "preset " + std::to_string(index) + (entry ? " (" + entry->row + ")" : std::string());
}

// The command line's choice of preset, checked against the SoundFont (-1: none given).
bool presetFromCommandLine(const Options& options, const PresetCatalog& catalog, int32_t& preset,
                           std::string& error) {
    preset = -1;
    if (options.presetGiven) {
        if (!catalog.contains(options.preset)) {
            error = "preset " + std::to_string(options.preset) + " does not exist in \"" +
                    options.soundFontPath + "\" (it has presets 0 to " +
                    std::to_string(catalog.presetsInFileOrder().size() - 1) + "; see --list-presets)";
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

// Which preset plays: the command line's choice, else the score's program change, else the
// preset the editor would load first (its top row: bank 0, program 0 in a General MIDI set).
int32_t choosePreset(int32_t commandLinePreset, const PresetCatalog& catalog, const RenderPlan& plan) {
    if (commandLinePreset >= 0) {
        if (plan.program.present)
            note("the piece's program change on channel " + std::to_string(plan.program.channel + 1) +
                 " is overridden by the command line");
        return commandLinePreset;
    }
    if (!plan.program.present) return catalog.topRowPreset();
    int32_t preset = catalog.find(plan.program.bank, plan.program.program);
    if (preset < 0 && plan.program.bank != 0) preset = catalog.find(0, plan.program.program);
    if (preset < 0) {
        note("the piece asks for bank " + std::to_string(plan.program.bank) + " program " +
             std::to_string(plan.program.program) + ", which the SoundFont lacks; playing the first row's preset");
        preset = catalog.topRowPreset();
    }
    return preset;
}

void reportIgnoredPrograms(const RenderPlan& plan) {
    if (plan.ignoredPrograms.empty()) return;
    note(std::to_string(plan.ignoredPrograms.size()) +
         " program change(s) ignored (the instrument plays one preset at a time):");
    const size_t shown = std::min<size_t>(plan.ignoredPrograms.size(), 8);
    for (size_t i = 0; i < shown; ++i) std::fprintf(stderr, "  %s\n", plan.ignoredPrograms[i].c_str());
    if (shown < plan.ignoredPrograms.size())
        std::fprintf(stderr, "  ... and %zu more\n", plan.ignoredPrograms.size() - shown);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "zephra-render: error: %s\n", error.c_str());
        return kExitUsage;
    }
    if (options.showHelp) {
        std::fputs(usageText().c_str(), stdout);
        return kExitDone;
    }
    if (options.showVersion) {
        std::puts("zephra-render 1.5 (Zephra SF2 Player)");
        return kExitDone;
    }

    PresetCatalog catalog;
    if (!catalog.load(options.soundFontPath, error)) return fail(kExitSoundFont, error);
    if (options.listPresets) {
        for (const PresetEntry& row : catalog.sortedRows()) std::printf("%5d  %s\n", row.index, row.row.c_str());
        return kExitDone;
    }

    int32_t commandLinePreset = -1;
    if (!presetFromCommandLine(options, catalog, commandLinePreset, error)) return fail(kExitSoundFont, error);

    // The piece.
    Score score;
    if (options.midiPath.empty()) {
        score = makeDemoPiece();
    } else {
        MidiSequence sequence;
        if (!readMidiFile(options.midiPath, sequence, error)) return fail(kExitMidi, error);
        for (const std::string& warning : sequence.warnings) note(options.midiPath + ": " + warning);
        score = scoreFromMidi(sequence);
    }
    if (std::none_of(score.events.begin(), score.events.end(),
                     [](const ScoreEvent& e) { return e.kind == ScoreEventKind::NoteOn; }))
        return fail(kExitMidi, "\"" + options.midiPath + "\" has no notes to play");
    constexpr double kMaxRenderSeconds = 4.0 * 3600.0;
    if (score.events.back().seconds + options.tailSeconds > kMaxRenderSeconds)
        return fail(kExitMidi, "\"" + options.midiPath + "\" lasts longer than 4 hours");

    // The output file is opened before the long work starts, so a bad path fails at once; it
    // must not be one of the inputs, which opening it would wipe out.
    for (const std::string& input : {options.soundFontPath, options.midiPath})
        if (!input.empty() && sameFile(options.outputPath, input))
            return fail(kExitOutput, "the output \"" + options.outputPath + "\" is an input file; choose another name");
    WavOutput output;
    if (!output.open(options.outputPath, options.sampleRate, options.format, error)) return fail(kExitOutput, error);

    // The plug-in, set up as a DAW would for an offline export.
    std::string bundlePath;
    if (!locateBundle(options.bundlePath, bundlePath, error)) return fail(kExitPlugin, error);
    auto module = zephra::host::Module::load(bundlePath, error);
    if (!module) return fail(kExitPlugin, "cannot load \"" + bundlePath + "\": " + error);
    auto plugin = zephra::host::Plugin::create(*module, error);
    if (!plugin) return fail(kExitPlugin, "cannot create the plug-in: " + error);
    if (!plugin->setup(options.sampleRate, options.blockSize, &error))
        return fail(kExitPlugin, "cannot set the plug-in up: " + error);

    RenderPlan plan = planRender(score, options.sampleRate, options.tailSeconds, midiMappingOf(*plugin));
    if (options.levelGiven) {
        // Set from the first sample on, as a DAW user would set the knob before playing.
        PlannedParameter level;
        if (!normalizedParameter(*plugin, u"Output Level", options.level, level.id, level.normalized))
            return fail(kExitPlugin, "the plug-in has no \"Output Level\" parameter");
        plan.parameters.insert(plan.parameters.begin(), level);
    }
    const int32_t preset = choosePreset(commandLinePreset, catalog, plan);
    reportIgnoredPrograms(plan);
    if (plan.unmappedControllerCount > 0 && !options.quiet)
        note(std::to_string(plan.unmappedControllerCount) +
             " controller event(s) skipped: the plug-in's MIDI mapping assigns them no parameter");

    uint64_t usedMemory = 0;
    if (!loadSoundFont(*plugin, options.soundFontPath, preset, usedMemory, error)) return fail(kExitSoundFont, error);
    if (!options.quiet) {
        note("plug-in: " + bundlePath);
        note("playing " + describePreset(catalog, preset) + " of " + options.soundFontPath + " (" +
             std::to_string(usedMemory / 1024) + " K sample points)");
    }

    const double totalSeconds = double(plan.endSample) / options.sampleRate;
    ProgressBar bar(!options.quiet, totalSeconds);
    WavSink sink(output);
    RenderStats stats;
    const bool rendered = renderPlan(
        *plugin, plan, options.blockSize, sink,
        [&](int64_t done) { bar.update(double(done) / options.sampleRate); }, stats, error);
    bar.finish();
    if (!rendered) return fail(kExitOutput, error);
    if (stats.nonFiniteSamples > 0)
        note("warning: the plug-in produced " + std::to_string(stats.nonFiniteSamples) +
             " frame(s) that are not numbers; the file holds them as they came");
    if (stats.peak <= 0.f) {
        output.discard();
        return fail(kExitSilent, "the render is silent, so nothing was written (check the piece's volume, "
                                 "--level, and that the preset covers the piece's notes)");
    }
    if (!output.close(error)) return fail(kExitOutput, error);

    if (!options.quiet) {
        const double seconds = double(stats.frames) / options.sampleRate;
        const double speed = stats.wallSeconds > 0.0 ? seconds / stats.wallSeconds : 0.0;
        const double peakDb = 20.0 * std::log10(double(stats.peak));
        const double cpuSpeed = stats.cpuSeconds > 0.0 ? seconds / stats.cpuSeconds : 0.0;
        std::printf("rendered %.2f s in %.3f s (%.0fx real time; %.0fx on CPU time), peak %.1f dBFS, at most %d "
                    "voices -> %s (%s, %d Hz)\n",
                    seconds, stats.wallSeconds, speed, cpuSpeed, peakDb, stats.maxVoices,
                    options.outputPath.c_str(), formatName(options.format), options.sampleRate);
        if (stats.peak > 1.f && options.format != SampleFormat::Float32)
            note("warning: the signal went above full scale and was clipped; lower it with --level (for "
                 "example --level 6 for 6 dB less) or keep it with --format float");
    }
    return kExitDone;
}

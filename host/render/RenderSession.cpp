#include "RenderSession.h"

#include "ChannelPlan.h"
#include "host/render/platform/Interruption.h"
#include "RenderPlan.h"
#include "Renderer.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace zephra {
namespace render {

namespace {

// Which preset the single instance plays: the command line's choice, else the score's program
// change, else the preset the editor would load first (its top row).
int32_t singlePreset(int32_t commandLinePreset, const PresetCatalog& catalog, const RenderPlan& plan,
                     std::vector<std::string>& remarks)
{
    if (commandLinePreset >= 0) {
        if (plan.program.present)
            remarks.push_back("the piece's program change on channel " + std::to_string(plan.program.channel + 1) +
                              " is overridden by the command line");
        return commandLinePreset;
    }
    if (!plan.program.present)
        return catalog.topRowPreset();
    int32_t preset = catalog.find(plan.program.bank, plan.program.program);
    if (preset < 0 && plan.program.bank != 0)
        preset = catalog.find(0, plan.program.program);
    if (preset < 0) {
        remarks.push_back("the piece asks for bank " + std::to_string(plan.program.bank) + " program " +
                          std::to_string(plan.program.program) +
                          ", which the SoundFont lacks; playing the first row's preset");
        preset = catalog.topRowPreset();
    }
    return preset;
}

// "controllers 91 (reverb), 93 (chorus)" and the like.
std::string describeControllers(const std::set<int16_t>& numbers)
{
    std::string text;
    for (int16_t number : numbers) {
        text += text.empty() ? "" : ", ";
        if (number == kPitchBendController)
            text += "pitch bend";
        else if (number == kChannelPressureController)
            text += "channel pressure";
        else
            text += std::to_string(number);
        if (number == 10)
            text += " (pan)";
        if (number == 91)
            text += " (reverb)";
        if (number == 93)
            text += " (chorus)";
    }
    const size_t controllers = static_cast<size_t>(
        std::count_if(numbers.begin(), numbers.end(), [](int16_t n) { return n < kChannelPressureController; }));
    return (controllers > 1 ? "controllers " : controllers == 1 ? "controller " : "") + text;
}

void reportIgnoredPrograms(const RenderPlan& plan, std::vector<std::string>& remarks)
{
    if (plan.ignoredPrograms.empty())
        return;
    std::string text =
        std::to_string(plan.ignoredPrograms.size()) + " program change(s) ignored (--single plays one preset):";
    const size_t shown = std::min<size_t>(plan.ignoredPrograms.size(), 8);
    for (size_t i = 0; i < shown; ++i)
        text += "\n  " + plan.ignoredPrograms[i];
    if (shown < plan.ignoredPrograms.size())
        text += "\n  ... and " + std::to_string(plan.ignoredPrograms.size() - shown) + " more";
    remarks.push_back(text);
}

}   // namespace

std::vector<TrackPlan> RenderSession::planTracks(const Options& options, const PresetCatalog& catalog,
                                                 int32_t commandLinePreset, const Score& score, host::Plugin& first)
{
    const ControllerMapping mapping = midiMappingOf(first);
    std::vector<TrackPlan> tracks;
    if (options.single) {
        Score part = score;
        if (options.channel >= 0)
            part.events.erase(std::remove_if(part.events.begin(), part.events.end(),
                                             [&](const ScoreEvent& e) { return e.channel != options.channel; }),
                              part.events.end());
        TrackPlan track;
        track.channel = options.channel;
        track.plan = planRender(part, sampleRate, 0.0, mapping);
        track.firstPreset = singlePreset(commandLinePreset, catalog, track.plan, sessionRemarks);
        reportIgnoredPrograms(track.plan, sessionRemarks);
        tracks.push_back(std::move(track));
    } else {
        ChannelPlanning planning =
            planChannels(score, sampleRate, mapping, bendRangeOf(first), catalog, options.channel);
        sessionRemarks.insert(sessionRemarks.end(), planning.remarks.begin(), planning.remarks.end());
        tracks = std::move(planning.tracks);
    }

    // The song lasts to its latest End-of-Track (or its last event, should a track end early).
    songEndFrame = std::max<int64_t>(1, sampleAt(score.endSeconds, sampleRate) + 1);
    int64_t unmapped = 0;
    std::set<int16_t> unmappedNumbers;
    for (const TrackPlan& track : tracks) {
        songEndFrame = std::max(songEndFrame, track.plan.endSample);
        unmapped += track.plan.unmappedControllerCount;
        unmappedNumbers.insert(track.plan.unmappedControllers.begin(), track.plan.unmappedControllers.end());
    }
    PlannedParameter level;
    const bool setLevel =
        options.levelGiven && normalizedParameter(first, u"Output Level", options.level, level.id, level.normalized);
    for (TrackPlan& track : tracks) {
        endHeldNotes(track.plan, songEndFrame - 1, mapping);
        // Set from the first sample on, as a DAW user sets the knob before playing.
        if (setLevel)
            track.plan.parameters.insert(track.plan.parameters.begin(), level);
    }
    if (options.levelGiven && !setLevel)
        sessionRemarks.push_back("the plug-in has no \"Output Level\" parameter; --level ignored");
    if (unmapped > 0 && !options.quiet)
        sessionRemarks.push_back(std::to_string(unmapped) + " controller event(s) skipped (" +
                                 describeControllers(unmappedNumbers) +
                                 "): the plug-in's MIDI mapping assigns them no parameter");
    return tracks;
}

SessionResult RenderSession::prepare(const Options& options, const PresetCatalog& catalog, int32_t commandLinePreset,
                                     const std::string& bundlePath, const Score& score, std::string& error)
{
    sampleRate = options.sampleRate;
    blockSize = options.blockSize;
    tail = TailRule{!options.tailGiven, options.tailSeconds};
    soundFontPath = options.soundFontPath;

    loadedModule = host::Module::load(bundlePath, error);
    if (!loadedModule) {
        error = "cannot load \"" + bundlePath + "\": " + error;
        return SessionResult::PluginProblem;
    }
    auto createInstance = [&]() -> std::unique_ptr<host::Plugin> {
        auto plugin = host::Plugin::create(*loadedModule, error);
        if (!plugin) {
            error = "cannot create the plug-in: " + error;
            return nullptr;
        }
        if (!plugin->setup(options.sampleRate, options.blockSize, &error)) {
            error = "cannot set the plug-in up: " + error;
            return nullptr;
        }
        if (options.response != ResponseChoice::pluginDefault &&
            !restoreResponse(*plugin, options.response == ResponseChoice::soundFont204, error))
            return nullptr;
        return plugin;
    };
    std::unique_ptr<host::Plugin> first = createInstance();
    if (!first)
        return SessionResult::PluginProblem;

    std::vector<TrackPlan> tracks = planTracks(options, catalog, commandLinePreset, score, *first);
    if (tracks.empty()) {
        error = "nothing in the piece can be played with \"" + options.soundFontPath + "\"";
        for (const std::string& remark : sessionRemarks)
            error += "\n  " + remark;
        return SessionResult::SoundFontProblem;
    }
    std::string failures;
    for (TrackPlan& track : tracks) {
        if (interruptionSignal() != 0)
            return SessionResult::Interrupted;
        std::unique_ptr<host::Plugin> plugin = first ? std::move(first) : createInstance();
        if (!plugin)
            return SessionResult::PluginProblem;
        uint64_t usedMemory = 0;
        if (!loadSoundFont(*plugin, options.soundFontPath, track.firstPreset, usedMemory, error)) {
            // A DAW track whose preset has nothing to play stays silent; the others play on.
            failures += (failures.empty() ? "" : "\n  ") + error;
            if (track.channel >= 0 && !options.single)
                sessionRemarks.push_back("channel " + std::to_string(track.channel + 1) + " is left out: " + error);
            first = std::move(plugin);   // the next track's preset replaces what it holds
            continue;
        }
        const PresetEntry* entry = catalog.entry(track.firstPreset);
        presetRows.push_back("preset " + std::to_string(track.firstPreset) + (entry ? " (" + entry->row + ")" : ""));
        trackPlayers.push_back(std::make_unique<TrackPlayer>(std::move(plugin), std::move(track), options.soundFontPath,
                                                             usedMemory, sampleRate));
    }
    if (trackPlayers.empty()) {
        error = failures;
        return SessionResult::SoundFontProblem;
    }
    jobs = static_cast<int>(std::min<size_t>(static_cast<size_t>(std::max(options.jobs, 1)), trackPlayers.size()));
    return SessionResult::Ready;
}

bool RenderSession::render(AudioSink& sink, const ProgressFunction& progress, const StopRequest& stop, MixStats& stats,
                           std::string& error)
{
    std::vector<TrackPlayer*> players;
    for (const auto& player : trackPlayers)
        players.push_back(player.get());
    return renderMix(players, jobs, songEndFrame, sampleRate, tail, sink, progress, stop, stats, error);
}

std::vector<std::string> RenderSession::describeInstances() const
{
    std::vector<std::string> lines;
    uint64_t total = 0;
    for (size_t i = 0; i < trackPlayers.size(); ++i) {
        const TrackPlayer& player = *trackPlayers[i];
        total += player.usedMemory();
        const int channel = player.track().channel;
        std::string line = channel < 0 ? "playing " : "channel " + std::to_string(channel + 1) + ": ";
        line += presetRows[i] + " of " + soundFontPath + " (" + std::to_string(player.usedMemory() / 1024) +
                " K sample points)";
        if (!player.track().programs.empty())
            line += ", then " + std::to_string(player.track().programs.size()) + " preset change(s)";
        lines.push_back(line);
    }
    if (trackPlayers.size() > 1)
        lines.push_back(std::to_string(trackPlayers.size()) + " instances holding " + std::to_string(total / 1024) +
                        " K sample points in all, rendered by " + std::to_string(jobs) + " thread(s)");
    return lines;
}

std::vector<std::string> RenderSession::problems() const
{
    std::vector<std::string> all;
    for (const auto& player : trackPlayers)
        all.insert(all.end(), player->problems().begin(), player->problems().end());
    return all;
}

}   // namespace render
}   // namespace zephra

#include "RenderSession.h"

#include "ChannelPlan.h"
#include "Interruption.h"
#include "RenderPlan.h"
#include "Renderer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>

namespace zephra {
namespace render {

namespace {

// Which preset the single instance plays: the command line's choice, else the score's program
// change, else the preset the editor would load first (its top row).
int32_t singlePreset(int32_t commandLinePreset, const PresetCatalog& catalog, const RenderPlan& plan,
                     std::vector<std::string>& remarks) {
    if (commandLinePreset >= 0) {
        if (plan.program.present)
            remarks.push_back("the piece's program change on channel " + std::to_string(plan.program.channel + 1) +
                              " is overridden by the command line");
        return commandLinePreset;
    }
    if (!plan.program.present) return catalog.topRowPreset();
    int32_t preset = catalog.find(plan.program.bank, plan.program.program);
    if (preset < 0 && plan.program.bank != 0) preset = catalog.find(0, plan.program.program);
    if (preset < 0) {
        remarks.push_back("the piece asks for bank " + std::to_string(plan.program.bank) + " program " +
                          std::to_string(plan.program.program) +
                          ", which the SoundFont lacks; playing the first row's preset");
        preset = catalog.topRowPreset();
    }
    return preset;
}

// "controllers 91 (reverb), 93 (chorus)" and the like.
std::string describeControllers(const std::set<int16_t>& numbers) {
    std::string text;
    for (int16_t number : numbers) {
        text += text.empty() ? "" : ", ";
        if (number == kPitchBendController) text += "pitch bend";
        else if (number == kChannelPressureController) text += "channel pressure";
        else text += std::to_string(number);
        if (number == 10) text += " (pan)";
        if (number == 91) text += " (reverb)";
        if (number == 93) text += " (chorus)";
    }
    const size_t controllers = static_cast<size_t>(
        std::count_if(numbers.begin(), numbers.end(), [](int16_t n) { return n < kChannelPressureController; }));
    return (controllers > 1 ? "controllers " : controllers == 1 ? "controller " : "") + text;
}

void reportIgnoredPrograms(const RenderPlan& plan, std::vector<std::string>& remarks) {
    if (plan.ignoredPrograms.empty()) return;
    std::string text = std::to_string(plan.ignoredPrograms.size()) +
                       " program change(s) ignored (--single plays one preset):";
    const size_t shown = std::min<size_t>(plan.ignoredPrograms.size(), 8);
    for (size_t i = 0; i < shown; ++i) text += "\n  " + plan.ignoredPrograms[i];
    if (shown < plan.ignoredPrograms.size())
        text += "\n  ... and " + std::to_string(plan.ignoredPrograms.size() - shown) + " more";
    remarks.push_back(text);
}

} // namespace

std::vector<TrackPlan> RenderSession::planTracks(const Options& options, const PresetCatalog& catalog,
                                                 int32_t commandLinePreset, const Score& score, host::Plugin& first) {
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
        track.plan = planRender(part, sampleRate_, 0.0, mapping);
        track.firstPreset = singlePreset(commandLinePreset, catalog, track.plan, remarks_);
        reportIgnoredPrograms(track.plan, remarks_);
        tracks.push_back(std::move(track));
    } else {
        ChannelPlanning planning = planChannels(score, sampleRate_, mapping, bendRangeOf(first), catalog, options.channel);
        remarks_.insert(remarks_.end(), planning.remarks.begin(), planning.remarks.end());
        tracks = std::move(planning.tracks);
    }

    // The song lasts to its latest End-of-Track (or its last event, should a track end early).
    songEnd_ = std::max<int64_t>(1, sampleAt(score.endSeconds, sampleRate_) + 1);
    int64_t unmapped = 0;
    std::set<int16_t> unmappedNumbers;
    for (const TrackPlan& track : tracks) {
        songEnd_ = std::max(songEnd_, track.plan.endSample);
        unmapped += track.plan.unmappedControllerCount;
        unmappedNumbers.insert(track.plan.unmappedControllers.begin(), track.plan.unmappedControllers.end());
    }
    PlannedParameter level;
    const bool setLevel = options.levelGiven &&
                          normalizedParameter(first, u"Output Level", options.level, level.id, level.normalized);
    for (TrackPlan& track : tracks) {
        endHeldNotes(track.plan, songEnd_ - 1, mapping);
        // Set from the first sample on, as a DAW user sets the knob before playing.
        if (setLevel) track.plan.parameters.insert(track.plan.parameters.begin(), level);
    }
    if (options.levelGiven && !setLevel) remarks_.push_back("the plug-in has no \"Output Level\" parameter; --level ignored");
    if (unmapped > 0 && !options.quiet)
        remarks_.push_back(std::to_string(unmapped) + " controller event(s) skipped (" +
                           describeControllers(unmappedNumbers) +
                           "): the plug-in's MIDI mapping assigns them no parameter");
    return tracks;
}

namespace {

// What a track costs to render, roughly: the time its notes sound, and a little for every
// block the instance plays.
double estimatedCost(const TrackPlan& track, double sampleRate, int64_t songEnd) {
    double cost = double(songEnd) / 16.0;
    std::vector<int64_t> struck(128, -1);
    for (const PlannedNote& note : track.plan.notes) {
        int64_t& on = struck[static_cast<size_t>(note.pitch & 0x7F)];
        if (note.on) {
            on = note.sample;
        } else if (on >= 0) {
            cost += double(note.sample - on) + sampleRate / 2.0;   // and half a second of release
            on = -1;
        }
    }
    return cost;
}

} // namespace

SessionResult RenderSession::prepare(const Options& options, const PresetCatalog& catalog, int32_t commandLinePreset,
                                     const std::string& bundlePath, const Score& score, std::string& error) {
    sampleRate_ = options.sampleRate;
    blockSize_ = options.blockSize;
    tail_ = TailRule{!options.tailGiven, options.tailSeconds};
    soundFontPath_ = options.soundFontPath;

    module_ = host::Module::load(bundlePath, error);
    if (!module_) {
        error = "cannot load \"" + bundlePath + "\": " + error;
        return SessionResult::PluginProblem;
    }
    auto createInstance = [this, &options](std::string& problem) -> std::unique_ptr<host::Plugin> {
        auto plugin = host::Plugin::create(*module_, problem);
        if (!plugin) {
            problem = "cannot create the plug-in: " + problem;
            return nullptr;
        }
        if (!plugin->setup(options.sampleRate, options.blockSize, &problem)) {
            problem = "cannot set the plug-in up: " + problem;
            return nullptr;
        }
        return plugin;
    };
    // The first instance answers the planner's questions (MIDI mapping, parameters) and then
    // plays the first track, on this thread.
    std::unique_ptr<host::Plugin> first = createInstance(error);
    if (!first) return SessionResult::PluginProblem;

    std::vector<TrackPlan> tracks = planTracks(options, catalog, commandLinePreset, score, *first);
    if (tracks.empty()) {
        error = "nothing in the piece can be played with \"" + options.soundFontPath + "\"";
        for (const std::string& remark : remarks_) error += "\n  " + remark;
        return SessionResult::SoundFontProblem;
    }
    jobs_ = static_cast<int>(std::clamp<size_t>(static_cast<size_t>(std::max(options.jobs, 1)), 1, tracks.size()));
    std::vector<double> costs;
    for (const TrackPlan& track : tracks) costs.push_back(estimatedCost(track, sampleRate_, songEnd_));
    threads_ = std::make_unique<TrackThreads>(assignTracks(costs, jobs_), jobs_);

    // Every instance is made and given its first preset on the thread that will play it.
    slots_.resize(tracks.size());
    presetRows_.resize(tracks.size());
    std::vector<std::string> problems(tracks.size());
    std::vector<char> pluginProblem(tracks.size(), 0);
    threads_->run([&](size_t i) {
        try {
            if (interruptionSignal() != 0) return;
            std::unique_ptr<host::Plugin> plugin = i == 0 ? std::move(first) : createInstance(problems[i]);
            if (!plugin) {
                pluginProblem[i] = 1;
                return;
            }
            uint64_t usedMemory = 0;
            if (!loadSoundFont(*plugin, options.soundFontPath, tracks[i].firstPreset, usedMemory, problems[i])) return;
            const PresetEntry* entry = catalog.entry(tracks[i].firstPreset);
            presetRows_[i] = "preset " + std::to_string(tracks[i].firstPreset) + (entry ? " (" + entry->row + ")" : "");
            slots_[i] = std::make_unique<TrackPlayer>(std::move(plugin), std::move(tracks[i]), options.soundFontPath,
                                                      usedMemory, sampleRate_);
        } catch (const std::exception& e) {
            problems[i] = std::string("out of memory setting up an instance: ") + e.what();
            pluginProblem[i] = 1;
        }
    });
    if (interruptionSignal() != 0) return SessionResult::Interrupted;
    std::string failures;
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (pluginProblem[i]) {
            error = problems[i];
            return SessionResult::PluginProblem;
        }
        if (slots_[i]) continue;
        // A DAW track whose preset has nothing to play stays silent; the others play on.
        failures += (failures.empty() ? "" : "\n  ") + problems[i];
        if (tracks[i].channel >= 0 && !options.single)
            remarks_.push_back("channel " + std::to_string(tracks[i].channel + 1) + " is left out: " + problems[i]);
    }
    if (players().empty()) {
        error = failures;
        return SessionResult::SoundFontProblem;
    }
    return SessionResult::Ready;
}

RenderSession::~RenderSession() {
    if (threads_) threads_->run([this](size_t i) { slots_[i].reset(); });
}

std::vector<TrackPlayer*> RenderSession::players() const {
    std::vector<TrackPlayer*> playing;
    for (const auto& slot : slots_)
        if (slot) playing.push_back(slot.get());
    return playing;
}

bool RenderSession::render(AudioSink& sink, const ProgressFunction& progress, const StopRequest& stop,
                           MixStats& stats, std::string& error) {
    const std::vector<TrackPlayer*> playing = players();
    std::vector<size_t> playerOfSlot(slots_.size(), SIZE_MAX);
    for (size_t i = 0, p = 0; i < slots_.size(); ++i)
        if (slots_[i]) playerOfSlot[i] = p++;
    ForEachPlayer forEach = [&](const std::function<void(size_t)>& work) {
        threads_->run([&](size_t slot) {
            if (playerOfSlot[slot] != SIZE_MAX) work(playerOfSlot[slot]);
        });
    };
    return renderMix(playing, forEach, songEnd_, sampleRate_, tail_, sink, progress, stop, stats, error);
}

std::vector<std::string> RenderSession::describeInstances() const {
    std::vector<std::string> lines;
    uint64_t total = 0;
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i]) continue;
        const TrackPlayer& player = *slots_[i];
        total += player.usedMemory();
        const int channel = player.track().channel;
        std::string line = channel < 0 ? "playing " : "channel " + std::to_string(channel + 1) + ": ";
        line += presetRows_[i] + " of " + soundFontPath_ + " (" + std::to_string(player.usedMemory() / 1024) +
                " K sample points)";
        if (!player.track().programs.empty())
            line += ", then " + std::to_string(player.track().programs.size()) + " preset change(s)";
        lines.push_back(line);
    }
    const size_t count = players().size();
    if (count > 1)
        lines.push_back(std::to_string(count) + " instances holding " + std::to_string(total / 1024) +
                        " K sample points in all, rendered by " + std::to_string(jobs_) + " thread(s)");
    return lines;
}

std::vector<std::string> RenderSession::problems() const {
    std::vector<std::string> all;
    for (const TrackPlayer* player : players()) all.insert(all.end(), player->problems().begin(), player->problems().end());
    return all;
}

} // namespace render
} // namespace zephra

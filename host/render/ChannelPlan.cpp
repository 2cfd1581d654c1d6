#include "ChannelPlan.h"

#include "ChannelPreset.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zephra {
namespace render {

namespace {

constexpr int kChannelCount = 16;
// Controller numbers with a meaning beyond a parameter.
constexpr uint8_t kBankSelectMsb = 0, kBankSelectLsb = 32;
constexpr uint8_t kDataEntryMsb = 6, kDataEntryLsb = 38;
constexpr uint8_t kNrpnLsb = 98, kNrpnMsb = 99, kRpnLsb = 100, kRpnMsb = 101;
constexpr uint8_t kAllSoundOff = 120, kResetAllControllers = 121;
constexpr uint8_t kAllNotesOff = 123, kLastModeMessage = 127;   // 123..127 all end the held notes
constexpr uint8_t kRpnNull = 127;
constexpr uint8_t kPan = 10;
constexpr int16_t kSustainController = 64;
// Preset changes planned per channel at most: each reloads the font on that instance. Real
// songs change programs a few dozen times.
constexpr size_t kMaxPresetChanges = 1000;

// Plans one channel; its state lives here between events.
class ChannelPlanner {
public:
    ChannelPlanner(int channel, double sampleRate, const ControllerMapping& mapping,
                   const BendRangeParameter& bendRange, const PresetCatalog& catalog, std::vector<std::string>& remarks)
        : channel(channel), sampleRate(sampleRate), mapping(mapping), bendRange(bendRange), catalog(catalog),
          remarks(remarks)
    {
        track.channel = channel;
    }

    void add(const ScoreEvent& event)
    {
        const int64_t sample = sampleAt(event.seconds, sampleRate);
        switch (event.kind) {
        case ScoreEventKind::NoteOn:
            if (track.firstPreset < 0)
                track.firstPreset = currentPreset = presetForState();
            addNote(sample, true, event.number, event.value);
            break;
        case ScoreEventKind::NoteOff:
            addNote(sample, false, event.number, event.value);
            break;
        case ScoreEventKind::Program:
            programChange(sample, event.number);
            break;
        case ScoreEventKind::Controller:
            controller(sample, event.number, event.value);
            break;
        case ScoreEventKind::PitchBend:
            hasBends = true;
            mapped(sample, kPitchBendController, pitchBendToNormalized(event.value));
            break;
        case ScoreEventKind::ChannelPressure:
            mapped(sample, kChannelPressureController, std::min<uint16_t>(event.value, 127) / 127.0);
            break;
        }
    }

    bool hasNotes() const { return track.plan.noteOnCount > 0; }

    TrackPlan finish()
    {
        RenderPlan& plan = track.plan;
        // Score events are in time order; keep it so for hand-made scores too.
        auto bySample = [](const auto& a, const auto& b) { return a.sample < b.sample; };
        std::stable_sort(plan.notes.begin(), plan.notes.end(), bySample);
        std::stable_sort(plan.parameters.begin(), plan.parameters.end(), bySample);
        std::stable_sort(track.programs.begin(), track.programs.end(), bySample);
        std::stable_sort(plan.pans.begin(), plan.pans.end(), bySample);
        // A range beyond the plug-in's matters only to a channel that bends.
        if (hasBends && bendRangeBeyondReach > 0)
            remark("channel " + std::to_string(channel + 1) + " sets a pitch-bend range of " +
                   std::to_string(bendRangeBeyondReach) + " semitones; the plug-in's \"Bend Range\" reaches " +
                   std::to_string(int(bendRange.maxSemitones)));
        int64_t last = plan.notes.empty() ? 0 : plan.notes.back().sample;
        if (!plan.parameters.empty())
            last = std::max(last, plan.parameters.back().sample);
        if (!track.programs.empty())
            last = std::max(last, track.programs.back().sample);
        plan.endSample = last + 1;
        return std::move(track);
    }

private:
    void addNote(int64_t sample, bool on, uint8_t key, uint16_t velocity)
    {
        PlannedNote note;
        note.sample = sample;
        note.on = on;
        note.channel = static_cast<int16_t>(channel);
        note.pitch = key;
        note.velocity = std::min<uint16_t>(velocity, 127) / 127.0f;
        track.plan.notes.push_back(note);
        if (on) {
            ++track.plan.noteOnCount;
            ++held[key & 0x7F];
        } else if (held[key & 0x7F] > 0) {
            --held[key & 0x7F];
        }
    }

    void mapped(int64_t sample, int16_t controllerNumber, double normalized)
    {
        uint32_t id = 0;
        if (!mapping || !mapping(static_cast<int16_t>(channel), controllerNumber, id)) {
            ++track.plan.unmappedControllerCount;
            track.plan.unmappedControllers.insert(controllerNumber);
            return;
        }
        track.plan.parameters.push_back({sample, id, normalized});
    }

    void controller(int64_t sample, uint8_t number, uint16_t value)
    {
        const uint8_t v = static_cast<uint8_t>(std::min<uint16_t>(value, 127));
        switch (number) {
        case kBankSelectMsb:
            bankMsb = v;
            return;
        case kBankSelectLsb:
            bankLsb = v;
            return;
        case kRpnMsb:
            rpnMsb = v;
            return;
        case kRpnLsb:
            rpnLsb = v;
            return;
        case kNrpnMsb:
        case kNrpnLsb:
            rpnMsb = rpnLsb = kRpnNull;
            return;   // data entry now means an NRPN
        case kPan:
            track.plan.pans.push_back({sample, v});
            return;   // the track's pan in the mix
        case kDataEntryMsb:
        case kDataEntryLsb:
            if (rpnMsb == 0 && rpnLsb == 0) {
                (number == kDataEntryMsb ? bendSemitones : bendCents) = v;
                if (number == kDataEntryMsb)
                    bendCents = 0;
                setBendRange(sample);
            }
            return;
        case kResetAllControllers:
            // What "reset all controllers" resets: modulation, expression, sustain, bend.
            mapped(sample, 1, 0.0);
            mapped(sample, 11, 1.0);
            mapped(sample, 64, 0.0);
            mapped(sample, kPitchBendController, 0.5);
            rpnMsb = rpnLsb = kRpnNull;
            return;
        default:
            break;
        }
        if (number == kAllSoundOff || (number >= kAllNotesOff && number <= kLastModeMessage)) {
            for (int key = 0; key < 128; ++key)
                while (held[key] > 0)
                    addNote(sample, false, static_cast<uint8_t>(key), 0);
            return;
        }
        mapped(sample, number, v / 127.0);
    }

    void setBendRange(int64_t sample)
    {
        if (!bendRange.present || !bendRange.normalized) {
            ++track.plan.unmappedControllerCount;
            track.plan.unmappedControllers.insert(kDataEntryMsb);
            return;
        }
        const double asked = bendSemitones + bendCents / 100.0;
        const double semitones = std::min(std::round(asked), bendRange.maxSemitones);
        if (semitones < asked - 0.5)
            bendRangeBeyondReach = std::max(bendRangeBeyondReach, int(asked));
        track.plan.parameters.push_back({sample, bendRange.id, bendRange.normalized(semitones)});
    }

    void programChange(int64_t sample, uint8_t number)
    {
        program = number;
        if (track.firstPreset < 0)
            return;   // before the first note: it chooses the first preset
        const int32_t preset = presetForState();
        if (preset < 0 || preset == currentPreset)
            return;
        // Of changes with no note between them only the last is heard: it replaces the one
        // before, so a file switching programs on every tick does not reload the font as often.
        if (!track.programs.empty() && notesAtLastChange == track.plan.notes.size()) {
            track.programs.pop_back();
            currentPreset = track.programs.empty() ? track.firstPreset : track.programs.back().preset;
            if (preset == currentPreset)
                return;
        }
        if (track.programs.size() >= kMaxPresetChanges) {
            remark("channel " + std::to_string(channel + 1) + " changes its program more than " +
                   std::to_string(kMaxPresetChanges) + " times; later changes are left out");
            return;
        }
        currentPreset = preset;
        track.programs.push_back({sample, preset});
        notesAtLastChange = track.plan.notes.size();
    }

    void remark(const std::string& text)
    {
        if (std::find(remarks.begin(), remarks.end(), text) == remarks.end())
            remarks.push_back(text);
    }

    int32_t presetForState()
    {
        const ChannelPreset choice = choosePresetForChannel(catalog, channel, bankMsb, bankLsb, program);
        if (!choice.fallback.empty())
            remark(choice.fallback);
        return choice.preset;
    }

    int channel;
    double sampleRate;
    const ControllerMapping& mapping;
    const BendRangeParameter& bendRange;
    const PresetCatalog& catalog;
    std::vector<std::string>& remarks;
    TrackPlan track;
    int32_t currentPreset = -1;
    size_t notesAtLastChange = 0;   // planned notes when the last preset change was planned
    uint8_t bankMsb = 0, bankLsb = 0, program = 0;
    uint8_t rpnMsb = kRpnNull, rpnLsb = kRpnNull;
    uint8_t bendSemitones = 2, bendCents = 0;
    bool hasBends = false;
    int bendRangeBeyondReach = 0;   // the largest range asked beyond the plug-in's, in semitones
    std::array<int32_t, 128> held{};
};

}   // namespace

void endHeldNotes(RenderPlan& plan, int64_t sample, const ControllerMapping& mapping)
{
    std::vector<int32_t> held(kChannelCount * 128, 0);
    std::array<bool, kChannelCount> used{};
    for (const PlannedNote& note : plan.notes) {
        int32_t& count = held[static_cast<size_t>((note.channel & 0x0F) * 128 + (note.pitch & 0x7F))];
        used[note.channel & 0x0F] = true;
        if (note.on)
            ++count;
        else if (count > 0)
            --count;
    }
    for (size_t slot = 0; slot < held.size(); ++slot)
        for (; held[slot] > 0; --held[slot]) {
            PlannedNote off;
            off.sample = sample;
            off.on = false;
            off.channel = static_cast<int16_t>(slot / 128);
            off.pitch = static_cast<int16_t>(slot % 128);
            plan.notes.push_back(off);
        }
    uint32_t sustain = 0;
    for (int channel = 0; channel < kChannelCount; ++channel)
        if (used[channel] && mapping && mapping(static_cast<int16_t>(channel), kSustainController, sustain)) {
            plan.parameters.push_back({sample, sustain, 0.0});
            break;   // the instance has one pedal whatever the channel
        }
    plan.endSample = std::max(plan.endSample, sample + 1);
}

ChannelPlanning planChannels(const Score& score, double sampleRate, const ControllerMapping& mapping,
                             const BendRangeParameter& bendRange, const PresetCatalog& catalog, int onlyChannel)
{
    ChannelPlanning planning;
    std::vector<ChannelPlanner> planners;
    planners.reserve(kChannelCount);
    for (int channel = 0; channel < kChannelCount; ++channel)
        planners.emplace_back(channel, sampleRate, mapping, bendRange, catalog, planning.remarks);
    for (const ScoreEvent& event : score.events)
        if (onlyChannel < 0 || event.channel == onlyChannel)
            planners[event.channel & 0x0F].add(event);

    for (ChannelPlanner& planner : planners) {
        if (!planner.hasNotes())
            continue;
        TrackPlan track = planner.finish();
        if (track.firstPreset < 0)
            continue;   // a drum channel without drum kits: said in the remarks
        planning.tracks.push_back(std::move(track));
    }
    return planning;
}

}   // namespace render
}   // namespace zephra

#include "RenderPlan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zephra {
namespace render {

namespace {

std::string describeProgram(const ScoreEvent& event)
{
    char text[96];
    std::snprintf(text, sizeof text, "program %d on channel %d at %.3f s", event.number, event.channel + 1,
                  event.seconds);
    return text;
}

// GM's percussion channel (10, index 9) plays bank 128 unless the score selects a bank.
constexpr int kPercussionChannel = 9;
constexpr int kPercussionBank = 128;
constexpr uint8_t kBankSelect = 0;

}   // namespace

int64_t sampleAt(double seconds, double sampleRate)
{
    const double position = std::min(std::max(0.0, seconds) * sampleRate, 1.0e15);
    return static_cast<int64_t>(std::llround(position));
}

double pitchBendToNormalized(uint16_t value)
{
    if (value >= 16383)
        return 1.0;
    if (value <= 8192)
        return value / 16384.0;
    return 0.5 + (value - 8192) / 16382.0;
}

RenderPlan planRender(const Score& score, double sampleRate, double tailSeconds, const ControllerMapping& mapping)
{
    RenderPlan plan;
    const ScoreEvent* firstNote = nullptr;
    for (const ScoreEvent& event : score.events) {
        if (event.kind == ScoreEventKind::NoteOn) {
            firstNote = &event;
            break;
        }
    }

    // The preset: the last program change on the first note's channel before that note.
    const ScoreEvent* chosen = nullptr;
    int32_t bankOfChosen = -1;
    if (firstNote != nullptr) {
        int32_t bank = -1;
        for (const ScoreEvent* event = score.events.data(); event != firstNote; ++event) {
            if (event->channel != firstNote->channel)
                continue;
            if (event->kind == ScoreEventKind::Controller && event->number == kBankSelect)
                bank = event->value;
            if (event->kind == ScoreEventKind::Program) {
                chosen = event;
                bankOfChosen = bank;
            }
        }
    }
    if (chosen != nullptr) {
        plan.program.present = true;
        plan.program.program = chosen->number;
        plan.program.channel = chosen->channel;
        plan.program.bank = bankOfChosen >= 0                       ? bankOfChosen
                            : chosen->channel == kPercussionChannel ? kPercussionBank
                                                                    : 0;
    }

    int64_t lastNoteSample = 0;
    for (const ScoreEvent& event : score.events) {
        const int64_t sample = sampleAt(event.seconds, sampleRate);
        switch (event.kind) {
        case ScoreEventKind::NoteOn:
        case ScoreEventKind::NoteOff: {
            PlannedNote note;
            note.sample = sample;
            note.on = event.kind == ScoreEventKind::NoteOn;
            note.channel = event.channel;
            note.pitch = event.number;
            note.velocity = std::min<uint16_t>(event.value, 127) / 127.0f;
            plan.notes.push_back(note);
            if (note.on)
                ++plan.noteOnCount;
            lastNoteSample = std::max(lastNoteSample, sample);
            break;
        }
        case ScoreEventKind::Controller:
        case ScoreEventKind::ChannelPressure:
        case ScoreEventKind::PitchBend: {
            const int16_t controller = event.kind == ScoreEventKind::Controller  ? event.number
                                       : event.kind == ScoreEventKind::PitchBend ? kPitchBendController
                                                                                 : kChannelPressureController;
            uint32_t id = 0;
            if (!mapping || !mapping(event.channel, controller, id)) {
                if (!(event.kind == ScoreEventKind::Controller && event.number == kBankSelect)) {
                    ++plan.unmappedControllerCount;
                    plan.unmappedControllers.insert(controller);
                }
                break;
            }
            const double normalized = event.kind == ScoreEventKind::PitchBend
                                          ? pitchBendToNormalized(event.value)
                                          : std::min<uint16_t>(event.value, 127) / 127.0;
            plan.parameters.push_back({sample, id, normalized});
            break;
        }
        case ScoreEventKind::Program:
            if (&event != chosen)
                plan.ignoredPrograms.push_back(describeProgram(event));
            break;
        }
    }

    // Score events are in time order, so both lists are already sorted; make sure of it for
    // hand-made scores without disturbing the order of simultaneous events.
    std::stable_sort(plan.notes.begin(), plan.notes.end(),
                     [](const PlannedNote& a, const PlannedNote& b) { return a.sample < b.sample; });
    std::stable_sort(plan.parameters.begin(), plan.parameters.end(),
                     [](const PlannedParameter& a, const PlannedParameter& b) { return a.sample < b.sample; });

    // A pedal let go after the last note-off still ends notes: the tail follows the last event.
    int64_t lastEventSample = lastNoteSample;
    if (!plan.parameters.empty())
        lastEventSample = std::max(lastEventSample, plan.parameters.back().sample);
    plan.endSample = lastEventSample + 1 + sampleAt(tailSeconds, sampleRate);
    return plan;
}

}   // namespace render
}   // namespace zephra

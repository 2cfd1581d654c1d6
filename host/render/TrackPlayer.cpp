#include "TrackPlayer.h"

#include "Renderer.h"
#include "soundfont/SampleBits.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace zephra {
namespace render {

using Steinberg::Vst::kInfinityBits;
using Steinberg::Vst::magnitudeBits;

namespace {

// Notes handed over in one block at most (the host's event list holds 1024); a denser
// stretch is cut into more blocks.
constexpr size_t kMaxNotesPerBlock = 512;
constexpr const char* kVoiceCountMessage = "VOICENUM";
constexpr const char* kVoiceCountRequest = "GETVOICENUM";   // answered with "VOICENUM" inside the call

// Whether every sample is a finite number: one pass, no branch per sample.
bool allFinite(const float* samples, int32_t count)
{
    int32_t largest = 0;
    for (int32_t i = 0; i < count; ++i)
        largest = std::max(largest, magnitudeBits(samples[i]));
    return largest < kInfinityBits;
}

int64_t firstNoteOn(const RenderPlan& plan)
{
    for (const PlannedNote& note : plan.notes)
        if (note.on)
            return note.sample;
    return INT64_MAX;
}

}   // namespace

TrackPlayer::TrackPlayer(std::unique_ptr<host::Plugin> plugin, TrackPlan track, std::string soundFontPath,
                         uint64_t usedMemory, double sampleRate)
    : plugin(std::move(plugin)), trackPlan(std::move(track)), soundFontPath(std::move(soundFontPath)),
      pan(trackPlan.plan.pans, firstNoteOn(trackPlan.plan), sampleRate), usedMemoryBytes(usedMemory)
{
    changes.reserve(16);
    notes.reserve(kMaxNotesPerBlock);
}

void TrackPlayer::changePreset(int32_t preset)
{
    std::string error;
    uint64_t used = 0;
    if (loadSoundFont(*plugin, soundFontPath, preset, used, error)) {
        usedMemoryBytes = used;
        return;
    }
    usedMemoryBytes = 0;
    if (problemMessages.size() < 8)
        problemMessages.push_back("channel " + std::to_string(trackPlan.channel + 1) + ", preset change at " +
                                  std::to_string(playPosition) + " samples: " + error);
}

int32_t TrackPlayer::finish()
{
    plugin->setProcessing(false);
    plugin->setActive(false);
    readVoiceCount();
    return reportedVoiceCount;
}

void TrackPlayer::readVoiceCount()
{
    plugin->sendToProcessor(kVoiceCountRequest);
    for (const host::MessageRecord& message : plugin->messages()) {
        if (message.direction != host::MessageDirection::ToController || message.id != kVoiceCountMessage)
            continue;
        auto it = message.binaries.find("voiceNum");
        if (it == message.binaries.end() || it->second.size() < 4)
            continue;
        const auto& b = it->second;
        reportedVoiceCount = static_cast<int32_t>(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) |
                                                  (uint32_t(b[3]) << 24));
    }
    plugin->clearMessages();
}

void TrackPlayer::changeDuePreset()
{
    while (nextProgram < trackPlan.programs.size() && trackPlan.programs[nextProgram].sample <= playPosition)
        changePreset(trackPlan.programs[nextProgram++].preset);
}

int32_t TrackPlayer::render(int32_t frames, float* left, float* right, std::string& error)
{
    const RenderPlan& plan = trackPlan.plan;
    const int64_t start = playPosition, end = playPosition + frames;
    float* outLeft = left;
    float* outRight = right;
    while (playPosition < end) {
        // A preset change is the UI thread's: the stretch stops on its sample.
        if (nextProgram < trackPlan.programs.size() && trackPlan.programs[nextProgram].sample <= playPosition)
            break;

        // Parameter changes due now go at the start of this block; the last value of an ID wins.
        changes.clear();
        while (nextParameter < plan.parameters.size() && plan.parameters[nextParameter].sample <= playPosition) {
            const PlannedParameter& p = plan.parameters[nextParameter++];
            auto same = std::find_if(changes.begin(), changes.end(),
                                     [&](const host::ParameterChange& c) { return c.id == p.id; });
            if (same != changes.end())
                same->value = p.normalized;
            else
                changes.push_back({p.id, 0, p.normalized});
        }

        int64_t blockEnd = std::min<int64_t>(end, playPosition + plugin->maxBlock());
        if (nextParameter < plan.parameters.size())
            blockEnd = std::min(blockEnd, plan.parameters[nextParameter].sample);
        if (nextProgram < trackPlan.programs.size())
            blockEnd = std::min(blockEnd, trackPlan.programs[nextProgram].sample);
        if (nextNote + kMaxNotesPerBlock < plan.notes.size() &&
            plan.notes[nextNote + kMaxNotesPerBlock].sample > playPosition)
            blockEnd = std::min(blockEnd, plan.notes[nextNote + kMaxNotesPerBlock].sample);

        notes.clear();
        while (nextNote < plan.notes.size() && plan.notes[nextNote].sample < blockEnd &&
               notes.size() < kMaxNotesPerBlock) {
            const PlannedNote& n = plan.notes[nextNote++];
            const int32_t offset = static_cast<int32_t>(n.sample - playPosition);
            notes.push_back(n.on ? host::NoteEvent::on(offset, n.pitch, n.velocity, n.channel)
                                 : host::NoteEvent::off(offset, n.pitch, n.velocity, n.channel));
        }
        // More notes on this very sample than a block carries: these go in a block of no
        // samples and the rest follow on the same sample, so none is lost (a lost note-off
        // would leave its voice sounding).
        if (nextNote < plan.notes.size() && plan.notes[nextNote].sample < blockEnd)
            blockEnd = plan.notes[nextNote].sample;

        const int32_t count = static_cast<int32_t>(blockEnd - playPosition);
        // The plug-in writes straight into the stretch; non-finite output is silenced and counted.
        if (!plugin->processInto(count, changes, notes, outLeft, outRight)) {
            error = "the host could not pass a block of " + std::to_string(count) + " samples on";
            return -1;
        }
        ++processCallCount;
        if (!allFinite(outLeft, count) || !allFinite(outRight, count)) {
            for (int32_t i = 0; i < count; ++i) {
                const bool finite = std::isfinite(outLeft[i]) && std::isfinite(outRight[i]);
                if (!finite)
                    ++nonFiniteCount;
                outLeft[i] = finite ? outLeft[i] : 0.f;
                outRight[i] = finite ? outRight[i] : 0.f;
            }
        }
        outLeft += count;
        outRight += count;
        playPosition = blockEnd;
    }
    const int32_t rendered = static_cast<int32_t>(playPosition - start);
    pan.apply(start, left, right, rendered);
    return rendered;
}

}   // namespace render
}   // namespace zephra

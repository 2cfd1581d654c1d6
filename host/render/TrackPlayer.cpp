#include "TrackPlayer.h"

#include "Renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace zephra {
namespace render {

namespace {

// Notes handed over in one block at most (the host's event list holds 1024); a denser
// stretch is cut into more blocks.
constexpr size_t kMaxNotesPerBlock = 512;
constexpr const char* kVoiceCountMessage = "VOICENUM";
constexpr const char* kVoiceCountRequest = "GETVOICENUM";   // answered with "VOICENUM" inside the call

// Whether every sample is a finite number (the largest magnitude's bits stay below infinity's;
// a NaN's are above): one pass, no branch per sample.
bool allFinite(const float* samples, int32_t count)
{
    uint32_t largest = 0;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &samples[i], sizeof bits);
        largest = std::max(largest, bits & 0x7fffffffu);
    }
    return largest < 0x7f800000u;
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
    : plugin_(std::move(plugin)), track_(std::move(track)), soundFontPath_(std::move(soundFontPath)),
      pan_(track_.plan.pans, firstNoteOn(track_.plan), sampleRate), usedMemory_(usedMemory)
{
    changes_.reserve(16);
    notes_.reserve(kMaxNotesPerBlock);
}

void TrackPlayer::changePreset(int32_t preset)
{
    std::string error;
    uint64_t used = 0;
    if (loadSoundFont(*plugin_, soundFontPath_, preset, used, error)) {
        usedMemory_ = used;
        return;
    }
    usedMemory_ = 0;
    if (problems_.size() < 8)
        problems_.push_back("channel " + std::to_string(track_.channel + 1) + ", preset change at " +
                            std::to_string(position_) + " samples: " + error);
}

int32_t TrackPlayer::finish()
{
    plugin_->setProcessing(false);
    plugin_->setActive(false);
    readVoiceCount();
    return voiceCount_;
}

void TrackPlayer::readVoiceCount()
{
    plugin_->sendToProcessor(kVoiceCountRequest);
    for (const host::MessageRecord& message : plugin_->messages()) {
        if (message.direction != host::MessageDirection::ToController || message.id != kVoiceCountMessage)
            continue;
        auto it = message.binaries.find("voiceNum");
        if (it == message.binaries.end() || it->second.size() < 4)
            continue;
        const auto& b = it->second;
        voiceCount_ = static_cast<int32_t>(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) |
                                           (uint32_t(b[3]) << 24));
    }
    plugin_->clearMessages();
}

void TrackPlayer::changeDuePreset()
{
    while (nextProgram_ < track_.programs.size() && track_.programs[nextProgram_].sample <= position_)
        changePreset(track_.programs[nextProgram_++].preset);
}

int32_t TrackPlayer::render(int32_t frames, float* left, float* right, std::string& error)
{
    const RenderPlan& plan = track_.plan;
    const int64_t start = position_, end = position_ + frames;
    float* outLeft = left;
    float* outRight = right;
    while (position_ < end) {
        // A preset change is the UI thread's: the stretch stops on its sample.
        if (nextProgram_ < track_.programs.size() && track_.programs[nextProgram_].sample <= position_)
            break;

        // Parameter changes due now go at the start of this block; the last value of an ID wins.
        changes_.clear();
        while (nextParameter_ < plan.parameters.size() && plan.parameters[nextParameter_].sample <= position_) {
            const PlannedParameter& p = plan.parameters[nextParameter_++];
            auto same = std::find_if(changes_.begin(), changes_.end(),
                                     [&](const host::ParameterChange& c) { return c.id == p.id; });
            if (same != changes_.end())
                same->value = p.normalized;
            else
                changes_.push_back({p.id, 0, p.normalized});
        }

        int64_t blockEnd = std::min<int64_t>(end, position_ + plugin_->maxBlock());
        if (nextParameter_ < plan.parameters.size())
            blockEnd = std::min(blockEnd, plan.parameters[nextParameter_].sample);
        if (nextProgram_ < track_.programs.size())
            blockEnd = std::min(blockEnd, track_.programs[nextProgram_].sample);
        if (nextNote_ + kMaxNotesPerBlock < plan.notes.size() &&
            plan.notes[nextNote_ + kMaxNotesPerBlock].sample > position_)
            blockEnd = std::min(blockEnd, plan.notes[nextNote_ + kMaxNotesPerBlock].sample);

        notes_.clear();
        while (nextNote_ < plan.notes.size() && plan.notes[nextNote_].sample < blockEnd &&
               notes_.size() < kMaxNotesPerBlock) {
            const PlannedNote& n = plan.notes[nextNote_++];
            const int32_t offset = static_cast<int32_t>(n.sample - position_);
            notes_.push_back(n.on ? host::NoteEvent::on(offset, n.pitch, n.velocity, n.channel)
                                  : host::NoteEvent::off(offset, n.pitch, n.velocity, n.channel));
        }
        // More notes on this very sample than a block carries: these go in a block of no
        // samples and the rest follow on the same sample, so none is lost (a lost note-off
        // would leave its voice sounding).
        if (nextNote_ < plan.notes.size() && plan.notes[nextNote_].sample < blockEnd)
            blockEnd = plan.notes[nextNote_].sample;

        const int32_t count = static_cast<int32_t>(blockEnd - position_);
        // The plug-in writes straight into the stretch; non-finite output is silenced and counted.
        if (!plugin_->processInto(count, changes_, notes_, outLeft, outRight)) {
            error = "the host could not pass a block of " + std::to_string(count) + " samples on";
            return -1;
        }
        ++processCalls_;
        if (!allFinite(outLeft, count) || !allFinite(outRight, count)) {
            for (int32_t i = 0; i < count; ++i) {
                const bool finite = std::isfinite(outLeft[i]) && std::isfinite(outRight[i]);
                if (!finite)
                    ++nonFinite_;
                outLeft[i] = finite ? outLeft[i] : 0.f;
                outRight[i] = finite ? outRight[i] : 0.f;
            }
        }
        outLeft += count;
        outRight += count;
        position_ = blockEnd;
    }
    const int32_t rendered = static_cast<int32_t>(position_ - start);
    pan_.apply(start, left, right, rendered);
    return rendered;
}

}   // namespace render
}   // namespace zephra

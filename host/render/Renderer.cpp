#include "Renderer.h"

#include "ControllerStateBytes.h"
#include "platform/Text.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <cstring>
#include <limits.h>
#include <thread>

namespace zephra {
namespace render {

namespace {

constexpr const char* kUsedMemoryMessage = "USEDMEM";
constexpr const char* kVoiceCountMessage = "VOICENUM";
// Notes handed over in one block at most; a denser stretch is cut into more blocks.
constexpr size_t kMaxNotesPerBlock = 512;
// How often (in frames) the recorded processor messages are read and dropped.
constexpr int64_t kMessagePollFrames = 44100;

std::string absolutePath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
    return path;
}

// Reads the voice counts of the recorded "VOICENUM" messages, then forgets all records.
void collectVoiceCounts(host::Plugin& plugin, int32_t& maxVoices) {
    for (const host::MessageRecord& message : plugin.messages()) {
        if (message.direction != host::MessageDirection::ToController || message.id != kVoiceCountMessage)
            continue;
        auto it = message.binaries.find("voiceNum");
        if (it == message.binaries.end() || it->second.size() < 4) continue;
        const auto& b = it->second;
        const int32_t count = static_cast<int32_t>(uint32_t(b[0]) | (uint32_t(b[1]) << 8) |
                                                   (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24));
        maxVoices = std::max(maxVoices, count);
    }
    plugin.clearMessages();
}

} // namespace

bool loadSoundFont(host::Plugin& plugin, const std::string& path, int32_t presetIndex,
                   uint64_t& usedMemory, std::string& error) {
    std::u16string widePath;
    try {
        widePath = Steinberg::Vst::fromUtf8(absolutePath(path));
    } catch (const std::exception&) {
        error = "SoundFont path \"" + path + "\" holds characters the plug-in cannot take";
        return false;
    }
    plugin.clearMessages();
    if (plugin.setControllerState(soundFontControllerState(widePath, presetIndex)) != Steinberg::kResultOk) {
        error = "the plug-in's controller refused the state naming the SoundFont";
        return false;
    }
    // The processor adopts a received sound at the end of its next render call: an empty block
    // does that before the first note.
    plugin.process(0);

    bool sent = false;
    bool adopted = false;
    // The processor's report of the adopted sound comes from its report thread, within about
    // 100 ms of the adopting block.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (true) {
        for (const host::MessageRecord& message : plugin.messages()) {
            if (message.direction == host::MessageDirection::ToProcessor && message.id == "SF2DATA") sent = true;
            if (message.direction == host::MessageDirection::ToController && message.id == kUsedMemoryMessage) {
                auto it = message.binaries.find("usedMem");
                if (it == message.binaries.end() || it->second.size() < 8) continue;
                uint64_t value = 0;
                for (int i = 7; i >= 0; --i) value = (value << 8) | it->second[static_cast<size_t>(i)];
                usedMemory = value;
                adopted = true;
            }
        }
        if (!sent || adopted || std::chrono::steady_clock::now() >= giveUp) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    plugin.clearMessages();
    if (!sent) {
        error = "the plug-in did not load \"" + path + "\" (it takes SoundFonts only from file names "
                "ending in .sf2, .SF2, .sf3 or .SF3)";
        return false;
    }
    if (!adopted || usedMemory == 0) {
        error = "preset " + std::to_string(presetIndex) + " of \"" + path +
                "\" gave the plug-in nothing to play (it has no usable samples)";
        return false;
    }
    return true;
}

ControllerMapping midiMappingOf(host::Plugin& plugin) {
    Steinberg::Vst::IMidiMapping* mapping = plugin.midiMapping();
    if (mapping == nullptr) return {};
    return [mapping](int16_t channel, int16_t controller, uint32_t& id) {
        Steinberg::Vst::ParamID mapped = 0;
        if (mapping->getMidiControllerAssignment(0, channel, controller, mapped) != Steinberg::kResultOk)
            return false;
        id = mapped;
        return true;
    };
}

bool normalizedParameter(host::Plugin& plugin, const std::u16string& title, double plain, uint32_t& id,
                         double& normalized) {
    Steinberg::Vst::IEditController* controller = plugin.controller();
    if (controller == nullptr) return false;
    for (const Steinberg::Vst::ParameterInfo& info : plugin.parameterInfos()) {
        std::u16string name;
        for (const Steinberg::Vst::TChar* c = info.title; *c != 0 && name.size() < 128; ++c)
            name.push_back(static_cast<char16_t>(*c));
        if (name != title) continue;
        id = info.id;
        normalized = std::clamp(controller->plainParamToNormalized(info.id, plain), 0.0, 1.0);
        return true;
    }
    return false;
}

bool renderPlan(host::Plugin& plugin, const RenderPlan& plan, int32_t blockSize, AudioSink& sink,
                const ProgressFunction& progress, RenderStats& stats, std::string& error) {
    stats = RenderStats{};
    if (blockSize < 1 || blockSize > plugin.maxBlock()) {
        error = "block size " + std::to_string(blockSize) + " does not fit the plug-in's set-up";
        return false;
    }
    std::vector<host::ParameterChange> changes;
    std::vector<host::NoteEvent> notes;
    changes.reserve(16);
    notes.reserve(kMaxNotesPerBlock);
    size_t nextParameter = 0;
    size_t nextNote = 0;
    int64_t position = 0;
    int64_t lastPoll = 0;

    const auto started = std::chrono::steady_clock::now();
    const std::clock_t cpuStarted = std::clock();
    while (position < plan.endSample) {
        // Parameter changes due now go at the start of this block; the last value of an ID wins.
        changes.clear();
        while (nextParameter < plan.parameters.size() && plan.parameters[nextParameter].sample <= position) {
            const PlannedParameter& p = plan.parameters[nextParameter++];
            auto same = std::find_if(changes.begin(), changes.end(),
                                     [&](const host::ParameterChange& c) { return c.id == p.id; });
            if (same != changes.end()) same->value = p.normalized;
            else changes.push_back({p.id, 0, p.normalized});
        }

        int64_t blockEnd = std::min<int64_t>(position + blockSize, plan.endSample);
        if (nextParameter < plan.parameters.size())
            blockEnd = std::min(blockEnd, plan.parameters[nextParameter].sample);
        if (nextNote + kMaxNotesPerBlock < plan.notes.size() &&
            plan.notes[nextNote + kMaxNotesPerBlock].sample > position)
            blockEnd = std::min(blockEnd, plan.notes[nextNote + kMaxNotesPerBlock].sample);

        notes.clear();
        while (nextNote < plan.notes.size() && plan.notes[nextNote].sample < blockEnd) {
            const PlannedNote& n = plan.notes[nextNote++];
            const int32_t offset = static_cast<int32_t>(n.sample - position);
            notes.push_back(n.on ? host::NoteEvent::on(offset, n.pitch, n.velocity, n.channel)
                                 : host::NoteEvent::off(offset, n.pitch, n.velocity, n.channel));
        }

        const int32_t frames = static_cast<int32_t>(blockEnd - position);
        const host::StereoBuffer& out = plugin.process(frames, changes, notes);
        if (out.left.size() < static_cast<size_t>(frames) || out.right.size() < static_cast<size_t>(frames)) {
            error = "the host returned fewer samples than asked for";
            return false;
        }
        for (int32_t i = 0; i < frames; ++i) {
            if (!std::isfinite(out.left[i]) || !std::isfinite(out.right[i])) {
                ++stats.nonFiniteSamples;
                continue;
            }
            stats.peak = std::max(stats.peak, std::max(std::fabs(out.left[i]), std::fabs(out.right[i])));
        }
        if (!sink.consume(out.left.data(), out.right.data(), frames, error)) return false;

        position = blockEnd;
        stats.frames = position;
        ++stats.blocks;
        if (position - lastPoll >= kMessagePollFrames) {
            collectVoiceCounts(plugin, stats.maxVoices);
            lastPoll = position;
        }
        if (progress) progress(position);
    }
    // The render is over: deactivating sends the processor's last reports at once.
    plugin.setProcessing(false);
    plugin.setActive(false);
    collectVoiceCounts(plugin, stats.maxVoices);
    stats.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    stats.cpuSeconds = double(std::clock() - cpuStarted) / CLOCKS_PER_SEC;
    return true;
}

} // namespace render
} // namespace zephra

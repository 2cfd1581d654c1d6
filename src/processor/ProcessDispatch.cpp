#include "processor/MyVSTProcessor.h"

#include "platform/FloatingPointMode.h"
#include "processor/ClockTicks.h"
#include "shell/ParameterConversion.h"
#include "shell/PluginDescription.h"

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Steinberg {
namespace Vst {

tresult PLUGIN_API MyVSTProcessor::process(ProcessData& data) noexcept
{
    // Subnormal numbers cost the engine many times their weight: flushed to zero for this
    // call, the host's own mode restored on return.
    const DenormalsOff denormalsOff;
    applyStagedState();
    // A block longer than the set-up maximum or with a negative length is refused: the engine
    // is not run, and the host gets silence rather than whatever its buffers held.
    if (data.numSamples < 0 || data.numSamples > processSetup.maxSamplesPerBlock) {
        silenceOutputs(data);
        return kInvalidArgument;
    }
    processParameterChanges(data);
    processEvents(data);
    processClock(data);
    processAudio(data);
    // A bypassed block carries the host's input, which no engine has checked.
    if (bypass || !rendersOnlyFiniteSamples())
        replaceNonFiniteOutput(data);
    return kResultOk;
}

void MyVSTProcessor::replaceNonFiniteOutput(ProcessData& data) noexcept
{
    // The last guard: whatever went wrong above, no NaN or infinity reaches the host's mix.
    if (!data.outputs || data.numSamples <= 0 || data.symbolicSampleSize != kSample32)
        return;
    for (int32 bus = 0; bus < data.numOutputs; ++bus) {
        AudioBusBuffers& buffers = data.outputs[bus];
        if (!buffers.channelBuffers32)
            continue;
        for (int32 c = 0; c < buffers.numChannels; ++c) {
            float* samples = buffers.channelBuffers32[c];
            if (!samples)
                continue;
            for (int32 i = 0; i < data.numSamples; ++i)
                if (!std::isfinite(samples[i]))
                    samples[i] = 0.0f;
        }
    }
}

tresult MyVSTProcessor::processParameterChanges(ProcessData& data) noexcept
{
    IParameterChanges* changes = data.inputParameterChanges;
    if (!changes)
        return kResultOk;
    changedIds.clear();
    const int32 queueCount = changes->getParameterCount();
    for (int32 i = 0; i < queueCount; ++i) {
        IParamValueQueue* queue = changes->getParameterData(i);
        if (!queue)
            continue;
        const ParamID id = queue->getParameterId();
        // Never grow the list here: that would allocate on the audio thread.
        if (changedIds.size() < changedIds.capacity())
            changedIds.push_back(static_cast<int32>(id));
        int32 offset = 0;
        ParamValue value = 0.0;
        if (queue->getPoint(queue->getPointCount() - 1, offset, value) != kResultOk)
            continue;
        if (static_cast<int32>(id) == kBypassParameterId)
            bypass = value > 0.5;
        else
            setParameter(static_cast<int32>(id), value);
    }
    publishedBypass.store(bypass, std::memory_order_relaxed);
    parametersChanged(changedIds);
    return kResultOk;
}

tresult MyVSTProcessor::setParameter(int32 id, double normalised) noexcept
{
    // A value outside 0..1 is a host fault; NaN would poison the engine.
    if (std::isnan(normalised))
        return kInvalidArgument;
    normalised = std::clamp(normalised, 0.0, 1.0);
    if (id == kBypassParameterId) {
        bypass = normalised > 0.5;
        publishedBypass.store(bypass, std::memory_order_relaxed);
        return kResultOk;
    }
    const auto& parameters = pluginDescription().parameters;
    const auto entry = parameters.find(id);
    if (entry == parameters.end())
        return kResultOk;
    paramValues.assign(id, plainFromNormalised(entry->second, normalised));
    return kResultOk;
}

double MyVSTProcessor::paramValueInRange(int32 id) const noexcept
{
    const double value = paramValues.get(id);
    const auto& parameters = pluginDescription().parameters;
    const auto entry = parameters.find(id);
    if (entry == parameters.end())
        return value;
    return std::clamp(value, entry->second.minPlain, entry->second.maxPlain);
}

tresult MyVSTProcessor::processEvents(ProcessData& data) noexcept
{
    IEventList* events = data.inputEvents;
    if (!events)
        return kResultOk;
    const int32 count = events->getEventCount();
    for (int32 i = 0; i < count; ++i) {
        Event event{};
        if (events->getEvent(i, event) != kResultOk)
            continue;
        TimedEvent timed;
        timed.sampleOffset = std::max(event.sampleOffset, 0);
        int16 channel = 0;
        int16 pitch = 0;
        float velocity = 0.0f;
        if (event.type == Event::kNoteOnEvent) {
            timed.kind = NoteOn;
            channel = event.noteOn.channel;
            pitch = event.noteOn.pitch;
            velocity = event.noteOn.velocity;
        } else if (event.type == Event::kNoteOffEvent) {
            timed.kind = NoteOff;
            channel = event.noteOff.channel;
            pitch = event.noteOff.pitch;
            velocity = event.noteOff.velocity;
        } else {
            continue;
        }
        // Keys and channels outside MIDI's range are host faults; the engine indexes by key.
        if (channel < 0 || channel > 15 || pitch < 0 || pitch > 127)
            continue;
        // A note-on without a velocity has nothing to play; a note-off still ends its key,
        // or the key would hang.
        if (std::isnan(velocity)) {
            if (timed.kind == NoteOn)
                continue;
            velocity = 0.0f;
        }
        timed.channel = channel;
        timed.pitch = pitch;
        timed.value = static_cast<double>(std::clamp(velocity, 0.0f, 1.0f));
        if (timed.kind == NoteOn)
            noteOnReceived(timed);
        else
            noteOffReceived(timed);
    }
    return kResultOk;
}

tresult MyVSTProcessor::processClock(ProcessData& data) noexcept
{
    const ProcessContext* context = data.processContext;
    // Without a context there is no transport to follow: the clock step is skipped and its
    // members keep their values; the queue is still put in order.
    if (context) {
        const bool playing = (context->state & ProcessContext::kPlaying) != 0;
        double tempo = lastTempo;
        if ((context->state & ProcessContext::kTempoValid) && std::isfinite(context->tempo) &&
            context->tempo > 0.0) {
            tempo = context->tempo;
            lastTempo = tempo;
        }
        const double samplesPerBeat = processSetup.sampleRate * 60.0 / tempo;
        const bool rateKnown = std::isfinite(samplesPerBeat) && samplesPerBeat > 0.0;

        double position = beatPosition;
        if (playing && (context->state & ProcessContext::kProjectTimeMusicValid)) {
            position = context->projectTimeMusic;
        } else if (rateKnown) {
            beatPosition += data.numSamples / samplesPerBeat;
        }

        if (!wasPlaying && playing) {
            beatPosition = 0.0;
            transportStarted(position);
        } else if (wasPlaying && !playing) {
            beatPosition = 0.0;
            transportStopped(position);
        }
        wasPlaying = playing;

        if (rateKnown) {
            const TickPlan plan =
                planClockTicks(position, samplesPerBeat, ticksPerBeat, data.numSamples);
            for (int32 k = 0; k < plan.count; ++k) {
                TimedEvent tick;
                tick.sampleOffset = plan.first + k * plan.spacing;
                tick.kind = ClockTick;
                tick.value = position + tick.sampleOffset / samplesPerBeat;
                if (!eventQueue.push_back(tick))
                    break;
            }
        }
    }
    eventQueue.sortByOffset();
    return kResultOk;
}

void MyVSTProcessor::takeDueEvents(int32 count) noexcept
{
    dueEvents.clear();
    while (!eventQueue.empty() && eventQueue.front().sampleOffset < count) {
        dueEvents.push_back(eventQueue.front());
        eventQueue.pop_front();
    }
    for (TimedEvent& event : eventQueue)
        event.sampleOffset = std::max(event.sampleOffset - count, 0);
}

void MyVSTProcessor::dispatchEvent(const TimedEvent& event) noexcept
{
    switch (event.kind) {
    case NoteOn:
        noteOn(event.channel, event.pitch, static_cast<float>(event.value));
        break;
    case NoteOff:
        noteOff(event.channel, event.pitch, static_cast<float>(event.value));
        break;
    case ClockTick:
        clockTick(event.value);
        break;
    default:
        break;
    }
}

tresult MyVSTProcessor::processAudio(ProcessData& data) noexcept
{
    const bool stereoInOut = data.symbolicSampleSize == kSample32 && data.numInputs == 1 &&
                             data.numOutputs == 1 && data.inputs && data.outputs &&
                             data.inputs[0].numChannels == 2 &&
                             data.outputs[0].numChannels == 2 &&
                             data.inputs[0].channelBuffers32 && data.outputs[0].channelBuffers32 &&
                             data.inputs[0].channelBuffers32[0] &&
                             data.inputs[0].channelBuffers32[1] &&
                             data.outputs[0].channelBuffers32[0] &&
                             data.outputs[0].channelBuffers32[1];
    if (!stereoInOut) {
        // Nothing is rendered, but the due notes still reach the engine, so a note-off in such
        // a block does not leave its key hanging once normal blocks resume.
        takeDueEvents(data.numSamples);
        for (const TimedEvent& event : dueEvents)
            dispatchEvent(event);
        // The host's output buffers may hold anything: hand back silence, not garbage.
        silenceOutputs(data);
        return kResultOk;
    }
    // A host that reuses its buffers keeps the flags of an earlier silenced block: this one
    // is not silent.
    data.outputs[0].silenceFlags = 0;
    float* inL = data.inputs[0].channelBuffers32[0];
    float* inR = data.inputs[0].channelBuffers32[1];
    float* outL = data.outputs[0].channelBuffers32[0];
    float* outR = data.outputs[0].channelBuffers32[1];
    if (bypass)
        return processBypass(inL, inR, outL, outR, data.numSamples);

    takeDueEvents(data.numSamples);
    int32 done = 0;
    for (const TimedEvent& event : dueEvents) {
        const int32 stretch = std::max(event.sampleOffset - done, 0);
        render(inL, inR, outL, outR, stretch);
        inL += stretch;
        inR += stretch;
        outL += stretch;
        outR += stretch;
        done += stretch;
        dispatchEvent(event);
    }
    render(inL, inR, outL, outR, data.numSamples - done);
    return kResultOk;
}

void MyVSTProcessor::silenceOutputs(ProcessData& data) noexcept
{
    // 64-bit blocks were refused at set-up; their buffers are not ours to guess at.
    if (!data.outputs || data.numSamples <= 0 || data.symbolicSampleSize != kSample32)
        return;
    const size_t samples = static_cast<size_t>(data.numSamples);
    for (int32 bus = 0; bus < data.numOutputs; ++bus) {
        AudioBusBuffers& buffers = data.outputs[bus];
        if (buffers.channelBuffers32) {
            for (int32 c = 0; c < buffers.numChannels; ++c)
                if (buffers.channelBuffers32[c])
                    std::memset(buffers.channelBuffers32[c], 0, samples * sizeof(float));
        }
        const int32 channels = buffers.numChannels;
        buffers.silenceFlags = channels <= 0   ? 0
                               : channels >= 64 ? ~uint64(0)
                                                : (uint64(1) << channels) - 1;
    }
}

tresult MyVSTProcessor::processBypass(float* inL, float* inR, float* outL, float* outR,
                                      int32 count) noexcept
{
    const size_t bytes = static_cast<size_t>(std::max(count, 0)) * sizeof(float);
    if (inL != outL)
        std::memmove(outL, inL, bytes);
    if (inR != outR)
        std::memmove(outR, inR, bytes);
    takeDueEvents(count);
    for (const TimedEvent& event : dueEvents)
        dispatchEvent(event);
    bypassed();
    return kResultOk;
}

} // namespace Vst
} // namespace Steinberg

#include "processor/MyVSTProcessor.h"

#include "sdk/TextMessage.h"
#include "soundfont/InFlightSynthLists.h"

#include "pluginterfaces/vst/ivstmessage.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace {

// A byte-block attribute of at least minSize bytes; false when absent or shorter.
bool binaryAttribute(IAttributeList* attributes, const char* key, const void*& data,
                     uint32& size, uint32 minSize)
{
    data = nullptr;
    size = 0;
    if (attributes->getBinary(key, data, size) != kResultOk)
        return false;
    if (size < minSize || (size > 0 && !data))
        return false;
    return true;
}

int32 readInt32(const void* data)
{
    int32 value = 0;
    std::memcpy(&value, data, sizeof(value));
    return value;
}

// Samples as the engine's float pointer: used in place when aligned, otherwise copied.
const float* floatSamples(const void* data, uint32 frames, std::vector<float>& copy)
{
    if (reinterpret_cast<uintptr_t>(data) % alignof(float) == 0)
        return static_cast<const float*>(data);
    copy.resize(frames);
    if (frames > 0)
        std::memcpy(copy.data(), data, frames * sizeof(float));
    return copy.data();
}

} // namespace

tresult PLUGIN_API MyVSTProcessor::notify(IMessage* message)
{
    if (!message)
        return kInvalidArgument;
    const char* messageId = message->getMessageID();
    if (!messageId)
        return AudioEffect::notify(message);

    if (std::strcmp(messageId, "WAVDATA") == 0) {
        IAttributeList* attributes = message->getAttributes();
        const void* idData;
        const void* leftData;
        const void* rightData;
        const void* rateData;
        uint32 idSize, leftSize, rightSize, rateSize;
        if (!attributes || !binaryAttribute(attributes, "wavID", idData, idSize, 4) ||
            !binaryAttribute(attributes, "wavL", leftData, leftSize, 0) ||
            !binaryAttribute(attributes, "wavR", rightData, rightSize, 0) ||
            !binaryAttribute(attributes, "samplerate", rateData, rateSize, 4))
            return kResultFalse;   // incomplete message: ignored
        const uint32 frames = rightSize / 4;
        // The left channel must hold as many samples as the right one says.
        if (leftSize / 4 < frames)
            return kResultFalse;
        try {   // an unaligned block is copied: running out of memory refuses the message
            std::vector<float> leftCopy, rightCopy;
            wavDataReceived(readInt32(idData), floatSamples(leftData, frames, leftCopy),
                            floatSamples(rightData, frames, rightCopy), frames, readInt32(rateData));
        } catch (const std::bad_alloc&) {
            return kResultFalse;
        }
        return kResultOk;
    }

    if (std::strcmp(messageId, "SF2DATA") == 0) {
        IAttributeList* attributes = message->getAttributes();
        const void* idData;
        const void* listData;
        uint32 idSize, listSize;
        if (!attributes || !binaryAttribute(attributes, "fileID", idData, idSize, 4) ||
            !binaryAttribute(attributes, "SFSynthList", listData, listSize, 16))
            return kResultFalse;   // incomplete message: ignored
        uint64_t addresses[2];
        std::memcpy(addresses, listData, sizeof(addresses));
        const auto* first = reinterpret_cast<const SFSynth*>(static_cast<uintptr_t>(addresses[0]));
        const auto* last = reinterpret_cast<const SFSynth*>(static_cast<uintptr_t>(addresses[1]));
        // Only a list the controller is sending right now is read; anything else (stale,
        // foreign or delivered late) is refused without touching the addresses.
        // Running out of memory while copying or taking over the records refuses the list; the
        // sound playing now stays, and nothing is thrown into the host.
        try {
            SFSynthList records;
            if (!InFlightSynthLists::copyIfInFlight(first, last, records))
                return kResultFalse;
            soundFontReceived(readInt32(idData), records);
        } catch (const std::bad_alloc&) {
            return kResultFalse;
        }
        return kResultOk;
    }

    if (isTextMessage(message)) {
        std::string text;
        return readTextMessage(message, text) ? receiveText(text.c_str()) : kResultFalse;
    }

    if (std::strcmp(messageId, "GETVOICENUM") == 0) {
        // The controller asks on its UI thread (the editor's timer); the answer goes back inside
        // this call. Nothing counted since the last answer: nothing to say.
        int32_t voices = 0;
        if (reports.takeVoiceCount(voices))
            sendVoiceCount(voices);
        return kResultOk;
    }

    return AudioEffect::notify(message);
}

void MyVSTProcessor::wavDataReceived(int32, const float*, const float*, uint32, int32)
{
}

void MyVSTProcessor::soundFontReceived(int32, SFSynthList& list)
{
    SFSynthList().swap(list);
}

tresult MyVSTProcessor::sendReport(const char* messageId, const char* key, const void* value, uint32 size)
{
    IMessage* message = allocateMessage();
    if (!message)
        return kResultFalse;   // no host message object: nothing is sent
    tresult result = kResultFalse;
    message->setMessageID(messageId);
    if (IAttributeList* attributes = message->getAttributes()) {
        attributes->setBinary(key, value, size);
        result = sendMessage(message);
    }
    message->release();
    return result;
}

tresult MyVSTProcessor::sendVoiceCount(int32 count)
{
    return sendReport("VOICENUM", "voiceNum", &count, sizeof(count));
}

tresult PLUGIN_API MyVSTProcessor::setActive(TBool state)
{
    // Sends nothing: a host may (de)activate from its audio thread during an offline export,
    // where no message may leave. What was loaded stays; only memory handed back is freed.
    if (state)
        reclaimThread.start();
    else
        reclaimThread.stop();
    return AudioEffect::setActive(state);
}

tresult PLUGIN_API MyVSTProcessor::terminate()
{
    reclaimThread.halt();
    return AudioEffect::terminate();
}

tresult MyVSTProcessor::sendUsedMemory(int64 amount)
{
    return sendReport("USEDMEM", "usedMem", &amount, sizeof(amount));
}

} // namespace Vst
} // namespace Steinberg

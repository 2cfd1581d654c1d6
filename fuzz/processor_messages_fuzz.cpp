// libFuzzer target: messages into the processor's notify, each with a known ID or any text and
// attributes of any type, key, size and content. "SF2DATA" carries record addresses, honoured
// only for the list registered for the send; an attribute may name that list, a stretch around
// it or any other address. Answers come only inside the call, in their formats ("USEDMEM", 8
// bytes, to "SF2DATA"; "VOICENUM", 4 bytes, to "GETVOICENUM"). Input, per message: an ID byte
// (below 6 a known ID, else the text up to a zero byte), an attribute count, then per attribute
// a kind (int, string, bytes, or the registered list moved by two signed record counts), a key
// length and key, a two-byte value length and value.
#include "PluginUnderTest.h"
#include "host/MessageObjects.h"
#include "soundfont/InFlightSynthLists.h"

#include <cstdlib>
#include <cstring>
#include <string>

using namespace zephra::fuzz;

namespace {

const char* const kIds[] = {"SF2DATA", "WAVDATA", "GETVOICENUM", "TextMessage", "USEDMEM", "VOICENUM"};

// The controller's end: an answer must be the one the message in flight asks for.
struct AnswerCheck : IConnectionPoint {
    std::string expected;
    tresult PLUGIN_API notify(IMessage* message) override
    {
        const void* data = nullptr;
        uint32 size = 0;
        const bool memory = expected == "USEDMEM";
        if (expected.empty() || expected != message->getMessageID() ||
            message->getAttributes()->getBinary(memory ? "usedMem" : "voiceNum", data, size) != kResultOk ||
            size != (memory ? 8u : 4u))
            std::abort();
        return kResultOk;
    }
    tresult PLUGIN_API connect(IConnectionPoint*) override { return kResultOk; }
    tresult PLUGIN_API disconnect(IConnectionPoint*) override { return kResultOk; }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

struct Reader {
    const uint8_t* at;
    const uint8_t* end;
    uint8_t byte() { return at < end ? *at++ : 0; }
    const uint8_t* take(size_t& n) { return n = std::min<size_t>(n, size_t(end - at)), at += n, at - n; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AnswerCheck answers;
    PluginUnderTest plugin(&answers);
    SFSynth looped;   // a 64-point loop and its guard point, as the controller sends one
    looped.samples = SharedSamples(std::vector<float>(65, 0.25f));
    looped.loopStart = 8, looped.loopEnd = 56, looped.sampleModes = 1;
    const SFSynthList records{looped, looped};
    const SFSynth* list = records.data();
    float left[64], right[64];
    for (Reader in{data, data + size}; in.at < in.end;) {
        const uint8_t idChoice = in.byte();
        std::string id = idChoice < 6 ? kIds[idChoice] : "";
        while (idChoice >= 6 && in.at < in.end && *in.at)
            id += char(*in.at++);
        auto message = owned(new zephra::host::Message);
        message->setMessageID(id.c_str());
        for (int count = in.byte(); count > 0 && in.at < in.end; --count) {
            const uint8_t kind = in.byte() % 4;
            size_t keyLength = in.byte();
            const uint8_t* keyStart = in.take(keyLength);
            const std::string key(reinterpret_cast<const char*>(keyStart), keyLength);
            size_t length = in.byte();
            length |= size_t(in.byte()) << 8;
            const uint8_t* value = in.take(length);
            int64 number = 0;
            std::memcpy(&number, value, std::min<size_t>(length, 8));
            std::u16string text(length / 2, u'\0');
            std::memcpy(&text[0], value, text.size() * 2);
            const auto address = [&](size_t i, int64_t record) {   // list + record + the value's move
                return uint64_t(uintptr_t(list)) + uint64_t((record + (length > i ? int8_t(value[i]) : 0)) * int64_t(sizeof(SFSynth)));
            };
            const uint64_t triple[3] = {address(0, 0), address(1, 2), address(9, 2)};
            IAttributeList* attributes = message->getAttributes();
            if (kind == 0)
                attributes->setInt(key.c_str(), number);
            else if (kind == 1)
                attributes->setString(key.c_str(), text.c_str());
            else
                kind == 2 ? attributes->setBinary(key.c_str(), value, uint32(length))
                          : attributes->setBinary(key.c_str(), triple, sizeof triple);
        }
        // Voices sound and are counted (every 4410 samples) before a request.
        plugin.processor->noteOn(0, 60, 1.0f);
        for (int block = id == "GETVOICENUM" ? 70 : 1; block > 0; --block)
            plugin.processor->render(nullptr, nullptr, left, right, 64);
        answers.expected = id == "SF2DATA" ? "USEDMEM" : id == "GETVOICENUM" ? "VOICENUM" : "";
        InFlightSynthLists::Scope sending(list, list + 2);
        plugin.processor->notify(message);
    }
    return 0;
}

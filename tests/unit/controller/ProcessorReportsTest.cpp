// The processor's reports ("USEDMEM", "VOICENUM") and the hand-off of other messages to the
// editor, including reports that arrive on another thread while the editor opens and closes.
#include "ControllerTestSupport.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace zephra::test;

namespace {
IPtr<IMessage> makeMessage(HostApplication&, const char* id, const char* key,
                           const std::vector<uint8_t>& value)
{
    IPtr<IMessage> message = owned(static_cast<IMessage*>(new HostMessage));
    message->setMessageID(id);
    if (key) message->getAttributes()->setBinary(key, value.data(), static_cast<uint32>(value.size()));
    return message;
}

std::vector<uint8_t> le(uint64_t value, int bytes)
{
    std::vector<uint8_t> out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return out;
}

class CountingEditor : public ControllerEditor {
public:
    tresult onControllerMessage(IMessage* message) override
    {
        ++calls;
        lastThread = std::this_thread::get_id();
        return std::strcmp(message->getMessageID(), "HELLO") == 0 ? kResultOk : kNotImplemented;
    }
    std::atomic<int> calls{0};
    std::thread::id lastThread;
};
} // namespace

TEST(UsedMemoryReport, StoresTheSixtyFourBitFigure)
{
    ControllerFixture fixture;
    auto message = makeMessage(*fixture.context, "USEDMEM", "usedMem", le(1048576, 8));
    EXPECT_EQ(fixture.controller->notify(message), kResultOk);
    EXPECT_EQ(fixture.controller->usedMemory.load(), 1048576u);
    auto big = makeMessage(*fixture.context, "USEDMEM", "usedMem", le(0xFFFFFFFF00000001ull, 8));
    fixture.controller->notify(big);
    EXPECT_EQ(fixture.controller->usedMemory.load(), 0xFFFFFFFF00000001ull);
}

TEST(UsedMemoryReportBadInput, MissingOrShortAttributeLeavesTheFigure)
{
    ControllerFixture fixture;
    fixture.controller->notify(makeMessage(*fixture.context, "USEDMEM", "usedMem", le(77, 8)));
    EXPECT_EQ(fixture.controller->notify(makeMessage(*fixture.context, "USEDMEM", nullptr, {})), kResultOk);
    EXPECT_EQ(fixture.controller->notify(makeMessage(*fixture.context, "USEDMEM", "usedMem", le(5, 7))), kResultOk);
    EXPECT_EQ(fixture.controller->usedMemory.load(), 77u);
}

TEST(UsedMemoryReport, DoesNotReachTheEditor)
{
    ControllerFixture fixture;
    CountingEditor editor;
    fixture.controller->editorOpened(&editor);
    fixture.controller->notify(makeMessage(*fixture.context, "USEDMEM", "usedMem", le(3, 8)));
    EXPECT_EQ(editor.calls.load(), 0);
    fixture.controller->editorClosed(&editor);
}

TEST(VoiceCountReport, WithoutEditorAnswersLikeTheSdkBaseButKeepsTheCount)
{
    ControllerFixture fixture;
    EXPECT_EQ(fixture.controller->notify(makeMessage(*fixture.context, "VOICENUM", "voiceNum", le(5, 4))), kResultFalse);
    EXPECT_EQ(fixture.controller->voiceCount.load(), 5);
    EXPECT_EQ(fixture.controller->voiceReports.load(), 1u);
}

TEST(VoiceCountReport, WithEditorOpenIsHandledAndNegativeCountsKeepTheirSign)
{
    ControllerFixture fixture;
    CountingEditor editor;
    fixture.controller->editorOpened(&editor);
    EXPECT_EQ(fixture.controller->notify(makeMessage(*fixture.context, "VOICENUM", "voiceNum", le(static_cast<uint32_t>(-3), 4))), kResultOk);
    EXPECT_EQ(fixture.controller->voiceCount.load(), -3);
    EXPECT_EQ(editor.calls.load(), 0);   // the editor shows the figure on its own timer
    fixture.controller->editorClosed(&editor);
    EXPECT_EQ(fixture.controller->notify(makeMessage(*fixture.context, "VOICENUM", "voiceNum", le(0, 4))), kResultFalse);
}

TEST(VoiceCountReportBadInput, ShortAttributeLeavesTheCount)
{
    ControllerFixture fixture;
    fixture.controller->notify(makeMessage(*fixture.context, "VOICENUM", "voiceNum", le(9, 4)));
    fixture.controller->notify(makeMessage(*fixture.context, "VOICENUM", "voiceNum", le(1, 2)));
    fixture.controller->notify(makeMessage(*fixture.context, "VOICENUM", nullptr, {}));
    EXPECT_EQ(fixture.controller->voiceCount.load(), 9);
    EXPECT_EQ(fixture.controller->voiceReports.load(), 1u);
}

TEST(ControllerMessages, NullMessageIsAnInvalidArgument)
{
    ControllerFixture fixture;
    EXPECT_EQ(fixture.controller->notify(nullptr), kInvalidArgument);
}

// The SDK's base would read a full "Text" past its buffer and throw on text that is no UTF-16.
TEST(ControllerMessagesBadInput, TextMessagesAreReadWithinTheirBufferAndBadTextIsRefused)
{
    ControllerFixture fixture;
    IPtr<IMessage> m = makeMessage(*fixture.context, "TextMessage", nullptr, {});
    m->getAttributes()->setString("Text", std::basic_string<TChar>(300, TChar('x')).c_str());
    EXPECT_EQ(fixture.controller->notify(m), kResultOk);
    m->getAttributes()->setString("Text", std::basic_string<TChar>(3, TChar(0xDFDF)).c_str());
    EXPECT_EQ(fixture.controller->notify(m), kResultFalse);
}

TEST(ControllerMessages, OtherMessagesReachTheOpenEditorOnTheUiThread)
{
    ControllerFixture fixture;
    CountingEditor editor;
    fixture.controller->editorOpened(&editor);
    EXPECT_EQ(fixture.controller->notify(makeMessage(*fixture.context, "HELLO", nullptr, {})), kResultOk);
    // The editor does not handle this one: the SDK base answers.
    EXPECT_EQ(fixture.controller->notify(makeMessage(*fixture.context, "OTHER", nullptr, {})), kResultFalse);
    EXPECT_EQ(editor.calls.load(), 2);
    fixture.controller->editorClosed(&editor);
    EXPECT_EQ(fixture.controller->notify(makeMessage(*fixture.context, "HELLO", nullptr, {})), kResultFalse);
    EXPECT_EQ(editor.calls.load(), 2);
}

TEST(ControllerMessages, ClosingAnOlderEditorKeepsTheNewerOne)
{
    ControllerFixture fixture;
    CountingEditor older;
    CountingEditor newer;
    fixture.controller->editorOpened(&older);
    fixture.controller->editorOpened(&newer);
    fixture.controller->editorClosed(&older);
    EXPECT_EQ(fixture.controller->editor.load(), &newer);
    fixture.controller->editorClosed(&newer);
    EXPECT_EQ(fixture.controller->editor.load(), nullptr);
}

TEST(ControllerMessagesOffTheUiThread, NeverCallTheEditor)
{
    ControllerFixture fixture;
    CountingEditor editor;
    fixture.controller->editorOpened(&editor);
    auto message = makeMessage(*fixture.context, "HELLO", nullptr, {});
    tresult answer = kResultOk;
    std::thread audio([&] { answer = fixture.controller->notify(message); });
    audio.join();
    EXPECT_EQ(answer, kResultFalse);
    EXPECT_EQ(editor.calls.load(), 0);
    fixture.controller->editorClosed(&editor);
}

TEST(ControllerMessagesOffTheUiThread, ReportsWhileTheEditorOpensAndClosesKeepTheLatestFigures)
{
    // Guards against the audio thread using an editor that the UI thread is closing: the
    // reports only store figures, which the last report leaves behind.
    ControllerFixture fixture;
    auto memory = makeMessage(*fixture.context, "USEDMEM", "usedMem", le(4096, 8));
    auto voices = makeMessage(*fixture.context, "VOICENUM", "voiceNum", le(12, 4));
    std::atomic<bool> stop{false};
    std::atomic<int> unexpected{0};
    std::thread audio([&] {
        while (!stop.load()) {
            if (fixture.controller->notify(memory) != kResultOk) ++unexpected;
            const tresult answer = fixture.controller->notify(voices);
            if (answer != kResultOk && answer != kResultFalse) ++unexpected;
        }
    });
    for (int round = 0; round < 2000 || fixture.controller->voiceReports.load() < 2000; ++round) {
        auto editor = std::make_unique<CountingEditor>();
        fixture.controller->editorOpened(editor.get());
        EXPECT_EQ(fixture.controller->voiceCount.load() == 0 || fixture.controller->voiceCount.load() == 12, true);
        fixture.controller->editorClosed(editor.get());
        EXPECT_EQ(editor->calls.load(), 0);
    }
    stop = true;
    audio.join();
    EXPECT_EQ(unexpected.load(), 0);
    EXPECT_EQ(fixture.controller->usedMemory.load(), 4096u);
    EXPECT_EQ(fixture.controller->voiceCount.load(), 12);
}

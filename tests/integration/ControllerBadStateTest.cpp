// Damaged state streams through the bundle: truncated at every length, with huge counts or
// corrupted bytes, they are refused without a crash and the state held before stays whole.
#include "support/BundleSupport.h"
#include "unit/controller/TestFonts.h"

#include <gtest/gtest.h>

#include <limits>

using namespace zephra::test;
using namespace Steinberg;

namespace {
constexpr double sampleRate = 44100.0;

std::vector<double> parameterValues(zephra::host::Plugin& plugin)
{
    std::vector<double> values;
    for (Vst::ParamID id : {0x7FFFFFFFu, 1u, 7u, 11u, 64u, 129u, 1000u, 1001u})
        values.push_back(plugin.controller()->getParamNormalized(id));
    return values;
}

class BadStateThroughBundle : public BundleFixture {
protected:
    // An instance with a remembered SoundFont (preset 1) and moved parameters.
    void SetUp() override
    {
        BundleFixture::SetUp();
        if (HasFatalFailure())
            return;
        font = std::make_unique<TempFile>("tones.sf2", makePitchedPresetsFont(3));
        const int32_t preset = 1;
        ASSERT_EQ(plugin->setControllerState(controllerStateNaming(font->path, &preset)), kResultOk);
        ASSERT_TRUE(plugin->setup(sampleRate, 512));
        plugin->process(512, {{7, 0, 0.5}, {1001, 0, 0.6}});
        plugin->controller()->setParamNormalized(7, 0.5);
        plugin->controller()->setParamNormalized(1001, 0.6);
        controllerBefore = plugin->controllerState();
        processorBefore = plugin->processorState();
        valuesBefore = parameterValues(*plugin);
        plugin->clearMessages();
    }
    void expectStateKept(const std::string& what)
    {
        EXPECT_EQ(plugin->controllerState(), controllerBefore) << what;
        EXPECT_EQ(plugin->processorState(), processorBefore) << what;
        EXPECT_EQ(parameterValues(*plugin), valuesBefore) << what;
    }
    std::vector<uint8_t> stateWithProcessorFields()
    {
        // A well-formed processor state with other values, used as the base of damage.
        std::vector<uint8_t> bytes(processorBefore.begin(), processorBefore.begin() + 15);
        bytes.push_back(1);
        appendInt32(bytes, 2);
        for (int32_t id : {7, 1001}) {
            appendInt32(bytes, id);
            const double value = 0.25;
            const auto* raw = reinterpret_cast<const uint8_t*>(&value);
            bytes.insert(bytes.end(), raw, raw + 8);
        }
        return bytes;
    }

    std::unique_ptr<TempFile> font;
    std::vector<uint8_t> controllerBefore;
    std::vector<uint8_t> processorBefore;
    std::vector<double> valuesBefore;
};
} // namespace

TEST_F(BadStateThroughBundle, ControllerStateCutAtEveryLengthIsRefused)
{
    TempFile other("other.sf2", makePitchedPresetsFont(2));
    const int32_t preset = 0;
    const std::vector<uint8_t> full = controllerStateNaming(other.path, &preset);
    for (size_t length = 0; length < full.size(); ++length) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(length));
        EXPECT_EQ(plugin->setControllerState(cut), kResultFalse) << length;
    }
    EXPECT_TRUE(plugin->messages().empty());
    expectStateKept("controller state cuts");
}

TEST_F(BadStateThroughBundle, ControllerStateWithHugeCountsAndLengthsIsRefused)
{
    for (int32_t huge : {std::numeric_limits<int32_t>::max(), -1, std::numeric_limits<int32_t>::min()}) {
        std::vector<uint8_t> count(controllerBefore.begin(), controllerBefore.begin() + 15);
        appendInt32(count, huge);
        appendInt32(count, 1);
        EXPECT_EQ(plugin->setControllerState(count), kResultFalse) << huge;

        std::vector<uint8_t> length(controllerBefore.begin(), controllerBefore.begin() + 15);
        appendInt32(length, 1);
        appendInt32(length, 1);
        appendInt32(length, huge);
        length.insert(length.end(), 64, 'a');
        EXPECT_EQ(plugin->setControllerState(length), kResultFalse) << huge;

        std::vector<uint8_t> header;
        appendInt32(header, huge);
        header.insert(header.end(), 64, 'a');
        EXPECT_EQ(plugin->setControllerState(header), kResultFalse) << huge;
    }
    expectStateKept("huge counts");
}

TEST_F(BadStateThroughBundle, ProcessorStateCutAtEveryLengthIsRefusedByBothSides)
{
    const std::vector<uint8_t> full = stateWithProcessorFields();
    for (size_t length = 0; length < full.size(); ++length) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(length));
        EXPECT_EQ(plugin->setProcessorState(cut), kResultFalse) << length;
        EXPECT_EQ(plugin->setControllerComponentState(cut), kResultFalse) << length;
    }
    plugin->process(512);
    expectStateKept("processor state cuts");
}

TEST_F(BadStateThroughBundle, ProcessorStateWithHugeCountsIsRefusedByBothSides)
{
    for (int32_t huge : {std::numeric_limits<int32_t>::max(), -1, std::numeric_limits<int32_t>::min()}) {
        std::vector<uint8_t> bytes(processorBefore.begin(), processorBefore.begin() + 16);
        appendInt32(bytes, huge);
        bytes.insert(bytes.end(), processorBefore.begin() + 20, processorBefore.end());
        EXPECT_EQ(plugin->setProcessorState(bytes), kResultFalse) << huge;
        EXPECT_EQ(plugin->setControllerComponentState(bytes), kResultFalse) << huge;
        std::vector<uint8_t> header;
        appendInt32(header, huge);
        header.insert(header.end(), 40, 'x');
        EXPECT_EQ(plugin->setProcessorState(header), kResultFalse) << huge;
        EXPECT_EQ(plugin->setControllerComponentState(header), kResultFalse) << huge;
    }
    plugin->process(512);
    expectStateKept("processor huge counts");
}

TEST_F(BadStateThroughBundle, CorruptedStreamsNeverCrashAndRefusalsKeepTheState)
{
    uint32_t seed = 99;
    auto next = [&seed] { seed = seed * 1664525u + 1013904223u; return seed >> 8; };
    const std::vector<uint8_t> processorBase = stateWithProcessorFields();
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> controllerBytes = controllerBefore;
        std::vector<uint8_t> processorBytes = processorBase;
        for (int f = 0; f < 3; ++f) {
            controllerBytes[next() % controllerBytes.size()] = static_cast<uint8_t>(next());
            processorBytes[next() % processorBytes.size()] = static_cast<uint8_t>(next());
        }
        const std::vector<uint8_t> controllerHeld = plugin->controllerState();
        if (plugin->setControllerState(controllerBytes) == kResultFalse) {
            EXPECT_EQ(plugin->controllerState(), controllerHeld) << round;
        }
        const std::vector<double> valuesHeld = parameterValues(*plugin);
        if (plugin->setControllerComponentState(processorBytes) == kResultFalse) {
            EXPECT_EQ(parameterValues(*plugin), valuesHeld) << round;
        }
        const std::vector<uint8_t> processorHeld = plugin->processorState();
        if (plugin->setProcessorState(processorBytes) == kResultFalse) {
            plugin->process(64);
            EXPECT_EQ(plugin->processorState(), processorHeld) << round;
        }
    }
    plugin->process(512);
}

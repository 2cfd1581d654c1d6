// setState on one thread while another thread processes: values arrive whole, never torn.
#include "ProcessorTestSupport.h"
#include "processor/StateHandOver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <thread>

using namespace zephra::test;

namespace {

// A state whose seven values all equal v (and bypass as given).
std::vector<uint8_t> uniformState(double v, bool bypassed)
{
    auto bytes = defaultStateBytes();
    bytes[15] = bypassed ? 1 : 0;
    for (size_t entry = 0; entry < 7; ++entry)
        std::memcpy(bytes.data() + 20 + entry * 12 + 4, &v, 8);
    return bytes;
}

// Checks, on the audio thread, that every parametersChanged sees one whole published state.
class CheckingProcessor : public RecordingProcessor {
public:
    std::atomic<int> torn{0};
    std::atomic<int> foreign{0};
    std::atomic<int> applied{0};
    const std::set<double>* published = nullptr;

    void parametersChanged(const std::vector<int32>& ids) noexcept override
    {
        if (!published || ids.size() != 7)
            return;   // the defaults from initialize are not one of the test's states
        const double first = paramValue(ids[0]);
        for (int32 id : ids)
            if (paramValue(id) != first)
                ++torn;
        if (published->count(first) == 0)
            ++foreign;
        // Even values were stored with bypass on.
        if (isBypassed() != (static_cast<int>(first) % 2 == 0))
            ++torn;
        ++applied;
    }
    void render(float*, float*, float*, float*, int32) noexcept override {}
};

} // namespace

TEST(StateHandOver, ConcurrentSetStateNeverTearsTheValueMap)
{
    useFilledDescription();
    IPtr<CheckingProcessor> processor = owned(new CheckingProcessor);
    initializeAndSetUp(*processor, 48000.0, 256);
    constexpr int kStates = 400;
    std::set<double> published;
    for (int i = 1; i <= kStates; ++i)
        published.insert(static_cast<double>(i));
    processor->published = &published;

    std::atomic<bool> done{false};
    std::thread audio([&] {
        StereoBlock block(256);
        while (!done.load())
            processor->process(block.data);
        processor->process(block.data);   // the last state lands too
    });
    int refused = 0;
    for (int i = 1; i <= kStates; ++i) {
        if (setStateBytes(*processor, uniformState(i, i % 2 == 0)) != kResultOk)
            ++refused;
        // getState on this thread gives either the state just set or a later one.
        const auto bytes = stateBytes(*processor);
        double read = 0.0;
        std::memcpy(&read, bytes.data() + 24, 8);
        EXPECT_GE(read, static_cast<double>(i));
    }
    done.store(true);
    audio.join();

    EXPECT_EQ(refused, 0);
    EXPECT_EQ(processor->torn.load(), 0);
    EXPECT_EQ(processor->foreign.load(), 0);
    EXPECT_GT(processor->applied.load(), 0);
    EXPECT_EQ(stateBytes(*processor), uniformState(kStates, kStates % 2 == 0));
}

TEST(StateHandOver, ApplyingInTurnFreesEveryStateExactlyOnce)
{
    StateHandOver handOver;
    EXPECT_TRUE(handOver.isApplied());
    for (int round = 0; round < 5; ++round) {
        handOver.publish(std::make_unique<StagedState>());
        EXPECT_FALSE(handOver.isApplied());
        StagedState* taken = handOver.take();
        ASSERT_NE(taken, nullptr);
        EXPECT_EQ(handOver.take(), nullptr);
        handOver.retire(taken);
        EXPECT_TRUE(handOver.isApplied());
    }
    // Two applications without the UI thread reclaiming in between: the second waits its turn.
    handOver.publish(std::make_unique<StagedState>());
    handOver.retire(handOver.take());
    handOver.publish(std::make_unique<StagedState>());
    StagedState* second = handOver.take();
    ASSERT_NE(second, nullptr);
    handOver.retire(second);
    EXPECT_TRUE(handOver.isApplied());
    handOver.reclaim();
}

TEST(StateHandOver, NewerStateReplacesAnUntakenOne)
{
    StateHandOver handOver;
    auto first = std::make_unique<StagedState>();
    first->bypass = true;
    handOver.publish(std::move(first));
    handOver.publish(std::make_unique<StagedState>());
    StagedState* taken = handOver.take();
    ASSERT_NE(taken, nullptr);
    EXPECT_FALSE(taken->bypass);
    EXPECT_EQ(taken->serial, 2u);
    handOver.retire(taken);
}

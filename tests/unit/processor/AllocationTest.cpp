// The audio thread's path allocates nothing in steady state, also when it applies a state
// restored by setState. Counted with replaced global allocation functions.
#include "ProcessorTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {
thread_local bool counting = false;
thread_local int allocations = 0;

void* countedAllocate(std::size_t size)
{
    if (counting)
        ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void countedFree(void* p) noexcept
{
    if (counting && p)
        ++allocations;
    std::free(p);
}
} // namespace

void* operator new(std::size_t size) { return countedAllocate(size); }
void* operator new[](std::size_t size) { return countedAllocate(size); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }

using namespace zephra::test;

namespace {

// An engine that does nothing, so only the framework's own work is counted.
class QuietProcessor : public MyVSTProcessor {
public:
    void parametersChanged(const std::vector<int32>&) noexcept override {}
    void transportStarted(double) noexcept override {}
    void transportStopped(double) noexcept override {}
    void clockTick(double) noexcept override {}
    void noteOnReceived(const TimedEvent& event) noexcept override { eventQueue.push_back(event); }
    void noteOffReceived(const TimedEvent& event) noexcept override { eventQueue.push_back(event); }
    void noteOn(int16, int16, float) noexcept override {}
    void noteOff(int16, int16, float) noexcept override {}
    void render(float*, float*, float* outL, float* outR, int32 count) noexcept override
    {
        for (int32 i = 0; i < count; ++i)
            outL[i] = outR[i] = 0.0f;
    }
    void writeExtraState(IBStream*) override {}
    void readExtraState(IBStream*) override {}
};

struct BusyBlock {
    BusyBlock() : block(512)
    {
        events.noteOn(100, 60);
        events.noteOff(300, 60);
        events.noteOn(700, 62);
        changes.add(7, {{0, 0.5}});
        changes.add(1001, {{0, 0.2}, {128, 0.4}});
        changes.add(kBypassParameterId, {{0, 0.0}});
        context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid |
                        ProcessContext::kProjectTimeMusicValid;
        context.tempo = 140.0;
        block.data.inputEvents = &events;
        block.data.inputParameterChanges = &changes;
        block.data.processContext = &context;
    }
    StereoBlock block;
    FakeEventList events;
    FakeParameterChanges changes;
    ProcessContext context{};
};

} // namespace

TEST(AudioThread, CounterSeesAllocations)
{
    allocations = 0;
    counting = true;
    std::vector<int>* volatile list = new std::vector<int>(100);
    delete list;
    counting = false;
    EXPECT_EQ(allocations, 4);
}

TEST(AudioThread, ProcessAllocatesNothingInSteadyState)
{
    useFilledDescription();
    IPtr<QuietProcessor> processor = owned(new QuietProcessor);
    initializeAndSetUp(*processor, 48000.0, 1024);
    BusyBlock busy;
    processor->process(busy.block.data);

    allocations = 0;
    counting = true;
    for (int i = 0; i < 20; ++i) {
        busy.context.projectTimeMusic += 0.25;
        processor->process(busy.block.data);
    }
    counting = false;
    EXPECT_EQ(allocations, 0);
}

TEST(AudioThread, ApplyingARestoredStateAllocatesNothing)
{
    useFilledDescription();
    IPtr<QuietProcessor> processor = owned(new QuietProcessor);
    initializeAndSetUp(*processor, 48000.0, 1024);
    BusyBlock busy;
    processor->process(busy.block.data);

    auto bytes = defaultStateBytes();
    bytes[15] = 1;
    ASSERT_EQ(setStateBytes(*processor, bytes), kResultOk);
    allocations = 0;
    counting = true;
    processor->process(busy.block.data);
    counting = false;
    EXPECT_EQ(allocations, 0);
}

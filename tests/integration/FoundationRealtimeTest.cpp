// The audio thread's promises, through the bundle: no allocation in steady-state processing,
// and a state restored on the UI thread while the audio thread processes is taken over whole.
#include "controller/ControllerState.h"
#include "host/PluginHost.h"
#include "support/SoundFontWriter.h"
#include "support/StateBytes.h"
#include "support/BundleFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <unistd.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::host;

// Counting allocation hooks. The test binary exports them (-rdynamic), so they also serve the
// plug-in's allocations. Only the thread named in countingThread is counted, and not while the
// host library allocates on the plug-in's behalf (messages, records).
namespace {

using zephra::test::appendInt32;
using zephra::test::controllerStateNaming;
std::atomic<bool> counting{false};
std::atomic<std::thread::id> countingThread{};
std::atomic<long> allocations{0};

void noteAllocation() noexcept {
    if (counting.load(std::memory_order_relaxed) && std::this_thread::get_id() == countingThread.load() &&
        !HostAllocationScope::active())
        allocations.fetch_add(1, std::memory_order_relaxed);
}

void* allocate(std::size_t size) {
    noteAllocation();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    noteAllocation();
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    noteAllocation();
    return std::malloc(size ? size : 1);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

std::vector<uint8_t> processorState(uint8_t bypass, double value) {
    std::vector<std::pair<int32_t, double>> entries;
    for (int32_t id : {1, 7, 11, 64, 129, 1000, 1001})
        entries.emplace_back(id, value);
    return zephra::test::processorStateBytes(kStateHeader, bypass, entries);
}

class BundleRealtime : public zephra::test::BundleFixture {
protected:
    void SetUp() override {
        setUpProcessing(44100.0, 512);
        if (HasFatalFailure())
            return;
        fontPath = ::testing::TempDir() + "zephra_realtime_" + std::to_string(getpid()) + ".sf2";
        zephra::test::SineFontOptions options;
        options.presetCount = 2;
        ASSERT_TRUE(zephra::test::writeFile(fontPath, zephra::test::makeSineSoundFont(options)));
    }

    void TearDown() override { std::remove(fontPath.c_str()); }

    // Inputs of musically busy blocks, made before measuring (the test's own vectors must not
    // be counted): notes on the grid and at the block's edges, controller movement, a running
    // transport, some blocks without a context.
    struct BlockInput {
        std::vector<NoteEvent> notes;
        std::vector<ParameterChange> changes;
        ProcessContext context{};
    };

    static std::vector<BlockInput> busyBlocks(int count) {
        std::vector<BlockInput> blocks(static_cast<size_t>(count));
        for (int index = 0; index < count; ++index) {
            BlockInput& block = blocks[static_cast<size_t>(index)];
            block.context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid |
                                  ProcessContext::kProjectTimeMusicValid;
            block.context.tempo = 120.0;
            block.context.sampleRate = 44100.0;
            block.context.projectTimeMusic = index * 512.0 / 22050.0;
            const auto pitch = static_cast<int16_t>(48 + index % 24);
            block.notes = {NoteEvent::on(0, pitch, 0.8f), NoteEvent::on(16, static_cast<int16_t>(pitch + 4)),
                           NoteEvent::off(255, static_cast<int16_t>(pitch - 1)), NoteEvent::on(511, 90),
                           NoteEvent::off(700, 90)};
            block.changes = {{1, 0, (index % 10) / 10.0}, {129, 100, (index % 7) / 7.0}, {7, 0, 0.8},
                             {64, 0, index % 2 ? 1.0 : 0.0}};
        }
        return blocks;
    }

    void process(const BlockInput& block, int index) {
        plugin->process(512, block.changes, block.notes, index % 5 ? &block.context : nullptr);
    }

    std::string fontPath;
};

TEST_F(BundleRealtime, SteadyStateProcessingAllocatesNothing) {
    ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, 0)), kResultOk);
    const std::vector<BlockInput> blocks = busyBlocks(220);
    long measured = -1;
    std::thread audio([&] {
        for (int i = 0; i < 20; ++i)   // adopt the sound, fill voices, reach steady state
            process(blocks[static_cast<size_t>(i)], i);
        countingThread.store(std::this_thread::get_id());
        allocations.store(0);
        counting.store(true);
        for (int i = 20; i < 220; ++i)
            process(blocks[static_cast<size_t>(i)], i);
        counting.store(false);
        measured = allocations.load();
    });
    audio.join();
    EXPECT_EQ(measured, 0) << "allocations by the plug-in on the audio thread in 200 blocks";
    bool heard = false;
    for (float sample : plugin->process(512, {}, {NoteEvent::on(0, 69)}).left)
        heard = heard || sample != 0.0f;
    EXPECT_TRUE(heard) << "the sound was adopted, so the measured blocks did real work";
}

TEST_F(BundleRealtime, BypassedAndBufferlessBlocksAllocateNothingEither) {
    const std::vector<ParameterChange> bypassOn = {{0x7FFFFFFF, 0, 1.0}};
    const std::vector<NoteEvent> notes = {NoteEvent::on(3, 60), NoteEvent::off(600, 60), NoteEvent::on(511, 62)};
    const std::vector<ParameterChange> none;
    ProcessOptions noBuffers;
    noBuffers.layout = BusLayout::NoBuses;
    long measured = -1;
    std::thread audio([&] {
        plugin->process(512, bypassOn, notes);
        plugin->process(512, none, notes, nullptr, noBuffers);
        countingThread.store(std::this_thread::get_id());
        allocations.store(0);
        counting.store(true);
        for (int i = 0; i < 50; ++i) {
            plugin->process(512, bypassOn, notes);
            plugin->process(512, none, notes, nullptr, noBuffers);
        }
        counting.store(false);
        measured = allocations.load();
    });
    audio.join();
    EXPECT_EQ(measured, 0);
}

// A host restores a project while the audio thread already runs. Every state read back must
// be one of the states written, never a mixture of two.
TEST_F(BundleRealtime, StatesRestoredDuringProcessingAreTakenOverWhole) {
    const std::vector<uint8_t> first = processorState(0, 0.25);
    const std::vector<uint8_t> second = processorState(1, 0.75);
    const std::vector<BlockInput> inputs = busyBlocks(64);
    std::atomic<bool> running{true};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        int index = 0;
        while (running.load()) {
            process(inputs[static_cast<size_t>(index % 64)], index);
            ++index;
            ++blocks;
        }
    });
    int torn = 0;
    for (int round = 0; round < 400; ++round) {
        const std::vector<uint8_t>& written = round % 2 ? second : first;
        ASSERT_EQ(plugin->setProcessorState(written), kResultOk);
        const std::vector<uint8_t> read = plugin->processorState();
        // Blocks may change the parameters they carry (1, 7, 64, 129) after the restore; the
        // header, the bypass byte and the entries of 11, 1000 and 1001 must be the written ones.
        if (read.size() != written.size() || !std::equal(written.begin(), written.begin() + 16, read.begin())) {
            ++torn;
            continue;
        }
        for (size_t entry : {2u, 5u, 6u}) {
            const size_t offset = 20 + entry * 12;
            if (!std::equal(written.begin() + static_cast<long>(offset), written.begin() + static_cast<long>(offset + 12),
                            read.begin() + static_cast<long>(offset)))
                ++torn;
        }
    }
    // Let the audio thread take the last state over.
    const int seen = blocks.load();
    while (blocks.load() < seen + 2)
        std::this_thread::yield();
    running.store(false);
    audio.join();
    EXPECT_EQ(torn, 0);
    // With processing stopped the last restored state is what the processor reports, except for
    // the parameters the blocks themselves changed afterwards.
    const std::vector<uint8_t> last = plugin->processorState();
    ASSERT_EQ(last.size(), second.size());
    EXPECT_EQ(last[15], 1);
}

} // namespace

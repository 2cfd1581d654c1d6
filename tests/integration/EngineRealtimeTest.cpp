// The engine never allocates or frees memory inside process, neither in steady state (notes,
// stealing, controllers, voice reports) nor while it adopts a newly loaded font. Every heap call
// the plug-in makes on the processing thread is counted through interposed allocation functions
// (the test binary exports them), including what the host library does on the plug-in's behalf
// (message objects): the reports leave only inside the controller's sends on the UI thread, so
// the processing thread makes no host allocation either.
#include "host/PluginHost.h"
#include "support/SoundFontWriter.h"
#include "support/StateBytes.h"
#include "support/BundleFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <thread>
#include <unistd.h>

using namespace Steinberg;
using namespace zephra::host;

namespace {

using zephra::test::appendInt32;
using zephra::test::controllerStateNaming;

std::atomic<bool> counting{false};
std::atomic<std::thread::id> countingThread{};
std::atomic<long> heapCalls{0};

void noteHeapCall() noexcept
{
    if (counting.load(std::memory_order_relaxed) && std::this_thread::get_id() == countingThread.load())
        heapCalls.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

#if !defined(__SANITIZE_ADDRESS__)
// The C allocation functions, forwarded to glibc's own (the sanitizer builds bring their own
// allocator, so there only the C++ operators are counted).
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);

void* malloc(size_t size)
{
    noteHeapCall();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
    noteHeapCall();
    return __libc_calloc(count, size);
}
void* realloc(void* memory, size_t size)
{
    noteHeapCall();
    return __libc_realloc(memory, size);
}
void free(void* memory)
{
    if (memory)
        noteHeapCall();
    __libc_free(memory);
}
}
#endif

namespace {
void* allocate(std::size_t size)
{
    noteHeapCall();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void release(void* memory) noexcept
{
    if (memory)
        noteHeapCall();
    std::free(memory);
}
} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    noteHeapCall();
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    noteHeapCall();
    return std::malloc(size ? size : 1);
}
void operator delete(void* memory) noexcept { release(memory); }
void operator delete[](void* memory) noexcept { release(memory); }
void operator delete(void* memory, std::size_t) noexcept { release(memory); }
void operator delete[](void* memory, std::size_t) noexcept { release(memory); }

namespace {

constexpr int32_t kBlock = 256;

// Counts the plug-in's heap calls on this thread while `work` runs.
template <typename Work>
long heapCallsDuring(Work&& work)
{
    heapCalls = 0;
    countingThread = std::this_thread::get_id();
    counting = true;
    work();
    counting = false;
    return heapCalls.load();
}

class EngineRealtime : public zephra::test::BundleFixture {
protected:
    void SetUp() override
    {
        BundleFixture::SetUp();
        if (HasFatalFailure())
            return;
        std::string error;
        fontPath = std::string(ZEPHRA_BINARY_DIR) + "/engine_realtime_" + std::to_string(getpid()) + ".sf2";
        zephra::test::SineFontOptions options;
        options.presetCount = 3;
        options.volEnvReleaseTimecents = 0;   // one-second releases keep voices busy
        ASSERT_TRUE(zephra::test::writeFile(fontPath, zephra::test::makeSineSoundFont(options)));
        ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, 0)), kResultOk);
        ASSERT_TRUE(plugin->setup(44100.0, kBlock, &error)) << error;
        // Warm up: adoption, a first voice report, every code path once.
        for (int b = 0; b < 40; ++b)
            plugin->process(kBlock, {}, {NoteEvent::on(b % kBlock, int16_t(40 + b), 0.8f)});
    }

    void TearDown() override
    {
        plugin.reset();
        module.reset();
        std::remove(fontPath.c_str());
    }

    std::string fontPath;
};

} // namespace

TEST_F(EngineRealtime, SteadyStateProcessingNeitherAllocatesNorFrees)
{
    // The event lists are prepared before counting; process is the only call counted.
    std::vector<std::vector<NoteEvent>> notes(300);
    std::vector<std::vector<ParameterChange>> changes(300);
    for (int b = 0; b < 300; ++b) {
        for (int k = 0; k < 5; ++k)   // 1500 notes over 64 voices: releases and stealing
            notes[size_t(b)].push_back(NoteEvent::on((b * 37 + k * 50) % kBlock, int16_t(30 + (b * 7 + k * 13) % 70), 0.9f));
        notes[size_t(b)].push_back(NoteEvent::off((b * 11) % kBlock, int16_t(30 + (b * 5) % 70)));
        if (b % 10 == 0)
            changes[size_t(b)] = {{129, 0, (b % 20) / 20.0}, {1, 0, 0.5}, {64, 0, (b % 40 < 20) ? 1.0 : 0.0}};
    }
    plugin->clearMessages();
    long processCalls = 0;
    for (int b = 0; b < 300; ++b)
        processCalls += heapCallsDuring([&] { plugin->process(kBlock, changes[size_t(b)], notes[size_t(b)]); });
    EXPECT_EQ(processCalls, 0) << "process allocated or freed memory (host allocations included)";
    plugin->sendToProcessor("GETVOICENUM");
    EXPECT_EQ(plugin->messages().back().id, "VOICENUM") << "the voice counts were not kept for the controller";
}

TEST_F(EngineRealtime, AdoptingANewFontInsideProcessNeitherAllocatesNorFrees)
{
    for (int round = 1; round <= 4; ++round) {
        // The controller sends the records now (UI thread: allocation is fine there).
        ASSERT_EQ(plugin->setControllerState(controllerStateNaming(fontPath, round % 3)), kResultOk);
        const std::vector<NoteEvent> chord{NoteEvent::on(10, 60, 1.0f), NoteEvent::on(20, 64, 1.0f)};
        const long calls = heapCallsDuring([&] {
            plugin->process(kBlock, {}, chord);   // adopts at the end of its last render call
            plugin->process(kBlock);
            plugin->process(kBlock, {}, chord);
        });
        EXPECT_EQ(calls, 0) << "adoption round " << round;
    }
}

// Guards against a hook that counts nothing: loading a font allocates inside the plug-in, and
// that must be seen, or the zero counts above would prove nothing.
TEST_F(EngineRealtime, CountingSeesThePlugInsOwnAllocations)
{
    const long calls = heapCallsDuring([&] { plugin->setControllerState(controllerStateNaming(fontPath, 1)); });
    EXPECT_GT(calls, 0);
}

// The processor's reports are handled on the audio thread: handling them must not allocate.
#include "ControllerTestSupport.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>

using namespace zephra::test;

namespace {
// Counts allocations made by this thread while counting is on.
thread_local bool countingAllocations = false;
thread_local int allocationCount = 0;

void* allocate(std::size_t size)
{
    if (countingAllocations) ++allocationCount;
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}
} // namespace

// Every replaceable form goes through malloc/free, so allocation and release always match.
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (countingAllocations) ++allocationCount;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void* operator new(std::size_t size, std::align_val_t alignment)
{
    if (countingAllocations) ++allocationCount;
    const auto align = static_cast<std::size_t>(alignment);
    if (void* memory = std::aligned_alloc(align, (size + align - 1) / align * align)) return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment) { return operator new(size, alignment); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }

namespace {
IPtr<IMessage> report(const char* id, const char* key, uint64_t value, uint32 size)
{
    IPtr<IMessage> message = owned(static_cast<IMessage*>(new HostMessage));
    message->setMessageID(id);
    message->getAttributes()->setBinary(key, &value, size);
    return message;
}

class NoEditorCalls : public ControllerEditor {
public:
    tresult onControllerMessage(IMessage*) override { return kNotImplemented; }
};
} // namespace

TEST(ReportsOnTheAudioThread, AreHandledWithoutAllocating)
{
    ControllerFixture fixture;
    NoEditorCalls editor;
    auto memory = report("USEDMEM", "usedMem", 123456, 8);
    auto voices = report("VOICENUM", "voiceNum", 7, 4);
    int counted = -1;
    std::thread audio([&] {
        countingAllocations = true;
        for (int i = 0; i < 100; ++i) {
            fixture.controller->notify(memory);
            fixture.controller->notify(voices);
        }
        countingAllocations = false;
        counted = allocationCount;
    });
    audio.join();
    fixture.controller->editorOpened(&editor);
    std::thread audioWithEditor([&] {
        allocationCount = 0;
        countingAllocations = true;
        fixture.controller->notify(voices);
        countingAllocations = false;
        counted += allocationCount;
    });
    audioWithEditor.join();
    fixture.controller->editorClosed(&editor);
    EXPECT_EQ(counted, 0);
    EXPECT_EQ(fixture.controller->usedMemory.load(), 123456u);
    EXPECT_EQ(fixture.controller->voiceCount.load(), 7);
}

#pragma once
// Fixed-capacity, allocation-free double-ended queue of TimedEvent records: the processor's
// queue of events waiting for their sample offset. The storage is allocated once at
// construction; a push onto a full queue is refused (returns false) and the event is dropped.
// Records are contiguous between begin() and end(), so they can be adjusted and sorted in place.
//
// Threads: constructed on any thread; used by the audio thread only. Every member except the
// constructor is noexcept and real-time safe.
#include "processor/TimedEvent.h"

#include <cstddef>
#include <memory>

namespace Steinberg {
namespace Vst {

class EventQueue {
public:
    static constexpr size_t kDefaultCapacity = 4096;

    explicit EventQueue(size_t capacity = kDefaultCapacity);

    // Appends at the back; false (and nothing stored) when the queue is full.
    bool push_back(const TimedEvent& event) noexcept;
    // Appends a record that must not be lost (a note-off, so no key hangs): a full queue makes
    // room by dropping its newest record that is not a note-off. False only when every record
    // is a note-off.
    bool pushKeeping(const TimedEvent& event) noexcept;
    // Front record; only valid when !empty().
    const TimedEvent& front() const noexcept { return storage[head]; }
    void pop_front() noexcept;
    void clear() noexcept { head = tail = 0; }

    size_t size() const noexcept { return tail - head; }
    bool empty() const noexcept { return head == tail; }
    size_t capacity() const noexcept { return slots; }

    TimedEvent* begin() noexcept { return storage.get() + head; }
    TimedEvent* end() noexcept { return storage.get() + tail; }
    const TimedEvent* begin() const noexcept { return storage.get() + head; }
    const TimedEvent* end() const noexcept { return storage.get() + tail; }

    // Stable ascending sort by sampleOffset (records with equal offsets keep their order).
    void sortByOffset() noexcept;

private:
    std::unique_ptr<TimedEvent[]> storage;
    size_t slots;
    size_t head = 0;   // index of the front record
    size_t tail = 0;   // one past the last record
};

} // namespace Vst
} // namespace Steinberg

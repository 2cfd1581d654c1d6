#include "processor/EventQueue.h"

#include <algorithm>
#include <cstring>

namespace Steinberg {
namespace Vst {

EventQueue::EventQueue(size_t capacity)
    // Twice the capacity: the second half is the merge sort's scratch space, so sorting
    // never allocates.
    : storage(new TimedEvent[capacity * 2]), slots(capacity)
{
}

bool EventQueue::push_back(const TimedEvent& event) noexcept
{
    if (size() >= slots)
        return false;
    if (tail == slots) {
        // Records drifted to the end of the storage: move them back to its start.
        std::memmove(storage.get(), storage.get() + head, size() * sizeof(TimedEvent));
        tail -= head;
        head = 0;
    }
    storage[tail++] = event;
    return true;
}

bool EventQueue::pushKeeping(const TimedEvent& event) noexcept
{
    if (size() >= slots) {
        TimedEvent* victim = end();
        while (victim != begin() && (victim - 1)->kind == NoteOff)
            --victim;
        if (victim == begin())
            return false;
        --victim;
        std::memmove(victim, victim + 1, size_t(end() - victim - 1) * sizeof(TimedEvent));
        --tail;
    }
    return push_back(event);
}

void EventQueue::pop_front() noexcept
{
    if (head == tail)
        return;
    ++head;
    if (head == tail)
        head = tail = 0;
}

void EventQueue::sortByOffset() noexcept
{
    TimedEvent* first = begin();
    const size_t count = size();
    auto earlier = [](const TimedEvent& a, const TimedEvent& b) {
        return a.sampleOffset < b.sampleOffset;
    };
    if (std::is_sorted(first, first + count, earlier))
        return;

    // Bottom-up merge sort between the records and the scratch half: stable, O(n log n),
    // and without the temporary buffer std::stable_sort would allocate.
    TimedEvent* from = first;
    TimedEvent* to = storage.get() + slots;
    for (size_t width = 1; width < count; width *= 2) {
        for (size_t lo = 0; lo < count; lo += 2 * width) {
            const size_t mid = std::min(lo + width, count);
            const size_t hi = std::min(lo + 2 * width, count);
            std::merge(from + lo, from + mid, from + mid, from + hi, to + lo, earlier);
        }
        std::swap(from, to);
    }
    if (from != first)
        std::copy(from, from + count, first);
}

} // namespace Vst
} // namespace Steinberg

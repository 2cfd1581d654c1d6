// The allocation-free event queue and the parameter value map.
#include "processor/EventQueue.h"
#include "processor/ParameterValues.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
TimedEvent at(int32 offset, int16 pitch = 0)
{
    TimedEvent e;
    e.sampleOffset = offset;
    e.pitch = pitch;
    return e;
}
} // namespace

TEST(EventQueue, KeepsOrderAcrossWrapAndRefusesWhenFull)
{
    EventQueue queue(4);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(queue.push_back(at(i)));
    EXPECT_FALSE(queue.push_back(at(9)));
    queue.pop_front();
    queue.pop_front();
    ASSERT_TRUE(queue.push_back(at(4)));   // storage end reached: records move to the front
    ASSERT_TRUE(queue.push_back(at(5)));
    std::vector<int32> offsets;
    for (const TimedEvent& e : queue)
        offsets.push_back(e.sampleOffset);
    EXPECT_EQ(offsets, (std::vector<int32>{2, 3, 4, 5}));
    EXPECT_EQ(queue.front().sampleOffset, 2);
}

TEST(EventQueue, SortIsStableAndByOffsetOnly)
{
    EventQueue queue(64);
    int16 tag = 0;
    for (int32 offset : {5, 3, 5, 1, 3, 5, 0, 1, 9, 3, 2, 5, 7, 7, 0, 4, 6, 8, 2, 1})
        queue.push_back(at(offset, tag++));
    queue.sortByOffset();
    const TimedEvent* previous = nullptr;
    for (const TimedEvent& e : queue) {
        if (previous) {
            ASSERT_LE(previous->sampleOffset, e.sampleOffset);
            if (previous->sampleOffset == e.sampleOffset) {
                ASSERT_LT(previous->pitch, e.pitch);
            }
        }
        previous = &e;
    }
    EXPECT_EQ(queue.size(), 20u);
}

TEST(EventQueue, PopOnEmptyQueueDoesNothing)
{
    EventQueue queue(2);
    queue.pop_front();
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(queue.begin(), queue.end());
}

TEST(ParameterValues, KeepsAscendingIdsAndAnswersZeroForAbsentOnes)
{
    ParameterValues values;
    values.set(1001, 12.0);
    values.set(1, 0.0);
    values.set(64, 2.0);
    values.set(1, 0.5);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values.idAt(0), 1);
    EXPECT_EQ(values.idAt(1), 64);
    EXPECT_EQ(values.idAt(2), 1001);
    EXPECT_DOUBLE_EQ(values.get(1), 0.5);
    EXPECT_DOUBLE_EQ(values.get(7), 0.0);
    EXPECT_FALSE(values.assign(7, 1.0));
    EXPECT_FALSE(values.contains(7));
    EXPECT_TRUE(values.assign(64, 1.0));
    EXPECT_DOUBLE_EQ(values.valueAt(1), 1.0);
}

TEST(ParameterValues, CopyAndSwapCarryEveryValue)
{
    ParameterValues a;
    a.set(1, 1.0);
    a.set(2, 2.0);
    ParameterValues b(a);
    b.set(3, 3.0);
    a.swap(b);
    EXPECT_EQ(a.size(), 3u);
    EXPECT_EQ(b.size(), 2u);
    EXPECT_DOUBLE_EQ(a.get(3), 3.0);
}

// Guards against a hanging key: a full queue makes room for a note-off by dropping the newest
// note-on, never another note-off.
TEST(EventQueue, AFullQueueDropsTheNewestNoteOnToKeepANoteOff)
{
    EventQueue queue(3);
    TimedEvent off = at(2, 61), last = at(3, 62);
    off.kind = last.kind = NoteOff;
    for (const TimedEvent& e : {at(1, 60), at(0, 59), off})   // two note-ons, then a note-off
        ASSERT_TRUE(queue.push_back(e));
    ASSERT_TRUE(queue.pushKeeping(last));
    EXPECT_TRUE(queue.front().pitch == 60 && queue.begin()[1].pitch == 61 && queue.begin()[2].pitch == 62);
    EXPECT_TRUE(queue.pushKeeping(off) && !queue.pushKeeping(off));   // drops key 60, then nothing is left to drop
}

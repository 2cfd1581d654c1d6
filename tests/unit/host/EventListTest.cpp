#include "host/EventList.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::host;

namespace {

Event noteOn(int32 offset, int16 pitch) {
    Event event{};
    event.type = Event::kNoteOnEvent;
    event.sampleOffset = offset;
    event.noteOn.pitch = pitch;
    event.noteOn.velocity = 0.5f;
    return event;
}

TEST(EventLists, KeepTheOrderEventsWereAddedIn) {
    EventList list(4);
    Event late = noteOn(300, 60);
    Event early = noteOn(100, 62);
    ASSERT_EQ(list.addEvent(late), kResultOk);
    ASSERT_EQ(list.addEvent(early), kResultOk);
    ASSERT_EQ(list.getEventCount(), 2);
    Event read{};
    ASSERT_EQ(list.getEvent(0, read), kResultOk);
    EXPECT_EQ(read.sampleOffset, 300);
    EXPECT_EQ(read.noteOn.pitch, 60);
    ASSERT_EQ(list.getEvent(1, read), kResultOk);
    EXPECT_EQ(read.sampleOffset, 100);
}

TEST(EventLists, AFullListRefusesAndKeepsWhatItHas) {
    EventList list(1);
    Event event = noteOn(0, 60);
    EXPECT_EQ(list.addEvent(event), kResultOk);
    EXPECT_EQ(list.addEvent(event), kOutOfMemory);
    EXPECT_EQ(list.getEventCount(), 1);
}

TEST(EventLists, ReadingOutsideTheEventsFailsAndLeavesTheEventAlone) {
    EventList list(2);
    Event read = noteOn(77, 1);
    EXPECT_EQ(list.getEvent(0, read), kInvalidArgument);
    EXPECT_EQ(list.getEvent(-1, read), kInvalidArgument);
    EXPECT_EQ(read.sampleOffset, 77);
}

TEST(EventLists, ClearingEmptiesTheList) {
    EventList list(2);
    Event event = noteOn(0, 60);
    list.addEvent(event);
    list.clear();
    EXPECT_EQ(list.getEventCount(), 0);
    EXPECT_EQ(list.capacity(), 2);
}

} // namespace

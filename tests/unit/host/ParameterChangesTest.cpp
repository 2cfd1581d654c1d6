#include "host/ParameterChanges.h"

#include "pluginterfaces/vst/ivstevents.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace zephra::host;

namespace {

TEST(ParameterQueues, PointsStaySortedByOffsetWhateverTheOrderOfAdding) {
    ParameterValueQueue queue(8);
    queue.reset(7);
    int32 index = -1;
    ASSERT_EQ(queue.addPoint(256, 0.9, index), kResultOk);
    EXPECT_EQ(index, 0);
    ASSERT_EQ(queue.addPoint(0, 0.2, index), kResultOk);
    EXPECT_EQ(index, 0);
    ASSERT_EQ(queue.addPoint(100, 0.5, index), kResultOk);
    EXPECT_EQ(index, 1);

    ASSERT_EQ(queue.getPointCount(), 3);
    const int32 expectedOffsets[] = {0, 100, 256};
    const double expectedValues[] = {0.2, 0.5, 0.9};
    for (int32 i = 0; i < 3; ++i) {
        int32 offset = -1;
        double value = -1.0;
        ASSERT_EQ(queue.getPoint(i, offset, value), kResultOk);
        EXPECT_EQ(offset, expectedOffsets[i]);
        EXPECT_EQ(value, expectedValues[i]);
    }
    EXPECT_EQ(queue.getParameterId(), 7u);
}

TEST(ParameterQueues, APointAtAnOffsetAlreadyPresentReplacesItsValue) {
    ParameterValueQueue queue(4);
    int32 index = -1;
    queue.addPoint(10, 0.1, index);
    queue.addPoint(10, 0.7, index);
    ASSERT_EQ(queue.getPointCount(), 1);
    int32 offset = 0;
    double value = 0.0;
    queue.getPoint(0, offset, value);
    EXPECT_EQ(value, 0.7);
}

TEST(ParameterQueues, AFullQueueRefusesFurtherPoints) {
    ParameterValueQueue queue(2);
    int32 index = -1;
    EXPECT_EQ(queue.addPoint(0, 0.0, index), kResultOk);
    EXPECT_EQ(queue.addPoint(1, 0.0, index), kResultOk);
    EXPECT_EQ(queue.addPoint(2, 0.0, index), kResultFalse);
    EXPECT_EQ(queue.getPointCount(), 2);
}

TEST(ParameterQueues, ReadingOutsideThePointsFailsAndLeavesOutputsAlone) {
    ParameterValueQueue queue(2);
    int32 offset = 123;
    double value = 4.5;
    EXPECT_EQ(queue.getPoint(0, offset, value), kInvalidArgument);
    EXPECT_EQ(queue.getPoint(-1, offset, value), kInvalidArgument);
    EXPECT_EQ(offset, 123);
    EXPECT_EQ(value, 4.5);
}

TEST(ParameterChangeLists, OneQueuePerIdInOrderOfFirstMention) {
    ParameterChanges changes(4, 4);
    int32 index = -1;
    IParamValueQueue* volume = changes.addParameterData(7, index);
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(index, 0);
    IParamValueQueue* bypass = changes.addParameterData(0x7FFFFFFF, index);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(changes.addParameterData(7, index), volume);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(changes.getParameterCount(), 2);
    EXPECT_EQ(changes.getParameterData(1), bypass);
    EXPECT_EQ(changes.getParameterData(1)->getParameterId(), 0x7FFFFFFFu);
}

TEST(ParameterChangeLists, BadIndicesGiveNoQueue) {
    ParameterChanges changes(2, 2);
    EXPECT_EQ(changes.getParameterData(0), nullptr);
    EXPECT_EQ(changes.getParameterData(-1), nullptr);
    int32 index = -1;
    changes.addParameterData(1, index);
    EXPECT_EQ(changes.getParameterData(1), nullptr);
}

TEST(ParameterChangeLists, AFullListRefusesAnotherIdButKeepsServingKnownOnes) {
    ParameterChanges changes(2, 2);
    int32 index = -1;
    ASSERT_NE(changes.addParameterData(1, index), nullptr);
    ASSERT_NE(changes.addParameterData(2, index), nullptr);
    EXPECT_EQ(changes.addParameterData(3, index), nullptr);
    EXPECT_NE(changes.addParameterData(2, index), nullptr);
}

TEST(ParameterChangeLists, ClearingEmptiesTheListAndReusedQueuesStartEmpty) {
    ParameterChanges changes(2, 2);
    int32 index = -1;
    changes.addParameterData(1, index)->addPoint(0, 0.5, index);
    changes.clear();
    EXPECT_EQ(changes.getParameterCount(), 0);
    IParamValueQueue* queue = changes.addParameterData(9, index);
    EXPECT_EQ(queue->getParameterId(), 9u);
    EXPECT_EQ(queue->getPointCount(), 0);
}

TEST(ParameterChangeLists, AnswerForTheirInterfacesOnly) {
    ParameterChanges changes;
    void* object = nullptr;
    EXPECT_EQ(changes.queryInterface(IParameterChanges::iid, &object), kResultOk);
    EXPECT_EQ(object, static_cast<IParameterChanges*>(&changes));
    EXPECT_EQ(changes.queryInterface(IEventList::iid, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);
}

} // namespace

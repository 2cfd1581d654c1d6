#include "host/VectorStream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace Steinberg;
using namespace zephra::host;

namespace {

TEST(VectorStreams, WhatIsWrittenReadsBackAfterRewinding) {
    VectorStream stream;
    int32_t value = 0x01020304;
    int32 written = 0;
    ASSERT_EQ(stream.write(&value, 4, &written), kResultOk);
    EXPECT_EQ(written, 4);
    EXPECT_EQ(stream.bytes(), (std::vector<uint8_t>{4, 3, 2, 1}));
    stream.rewind();
    int32_t read = 0;
    int32 count = 0;
    ASSERT_EQ(stream.read(&read, 4, &count), kResultOk);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(read, value);
}

TEST(VectorStreams, ReadingPastTheEndComesBackShort) {
    VectorStream stream({1, 2, 3});
    uint8_t buffer[8] = {};
    int32 count = -1;
    EXPECT_EQ(stream.read(buffer, 8, &count), kResultOk);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(stream.read(buffer, 8, &count), kResultOk);
    EXPECT_EQ(count, 0);
}

TEST(VectorStreams, AShortReadLimitImitatesACutFile) {
    VectorStream stream({1, 2, 3, 4, 5, 6});
    stream.limitReads(4, VectorStream::LimitBehaviour::ShortRead);
    uint8_t buffer[8] = {};
    int32 count = -1;
    EXPECT_EQ(stream.read(buffer, 3, &count), kResultOk);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(stream.read(buffer, 3, &count), kResultOk);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(buffer[0], 4);
}

TEST(VectorStreams, AnErrorLimitFailsEveryReadThatCrossesIt) {
    VectorStream stream({1, 2, 3, 4, 5, 6});
    stream.limitReads(4, VectorStream::LimitBehaviour::Error);
    uint8_t buffer[8] = {};
    int32 count = -1;
    EXPECT_EQ(stream.read(buffer, 4, &count), kResultOk);
    EXPECT_EQ(stream.read(buffer, 1, &count), kResultFalse);
    EXPECT_EQ(count, 0);
}

TEST(VectorStreams, SeekingFollowsTheThreeModesAndRefusesNegativePositions) {
    VectorStream stream({0, 1, 2, 3, 4});
    int64 position = -1;
    EXPECT_EQ(stream.seek(2, IBStream::kIBSeekSet, &position), kResultOk);
    EXPECT_EQ(position, 2);
    EXPECT_EQ(stream.seek(1, IBStream::kIBSeekCur, &position), kResultOk);
    EXPECT_EQ(position, 3);
    EXPECT_EQ(stream.seek(-1, IBStream::kIBSeekEnd, &position), kResultOk);
    EXPECT_EQ(position, 4);
    EXPECT_EQ(stream.seek(-10, IBStream::kIBSeekCur, &position), kResultFalse);
    EXPECT_EQ(stream.seek(0, 99, &position), kInvalidArgument);
    EXPECT_EQ(stream.seek(std::numeric_limits<int64>::max(), IBStream::kIBSeekCur, &position), kResultFalse);
    int64 told = -1;
    EXPECT_EQ(stream.tell(&told), kResultOk);
    EXPECT_EQ(told, 4);
}

TEST(VectorStreams, BadArgumentsAreRefused) {
    VectorStream stream({1, 2});
    int32 count = 7;
    EXPECT_EQ(stream.read(nullptr, 1, &count), kInvalidArgument);
    EXPECT_EQ(count, 0);
    uint8_t byte = 0;
    EXPECT_EQ(stream.read(&byte, -1, &count), kInvalidArgument);
    EXPECT_EQ(stream.write(nullptr, 1, &count), kInvalidArgument);
    EXPECT_EQ(stream.tell(nullptr), kInvalidArgument);
}

TEST(VectorStreams, AWriteFarBeyondAnySensibleSizeIsRefusedNotAllocated) {
    VectorStream stream;
    stream.seek(int64{1} << 40, IBStream::kIBSeekSet, nullptr);
    uint8_t byte = 1;
    int32 written = -1;
    EXPECT_EQ(stream.write(&byte, 1, &written), kOutOfMemory);
    EXPECT_EQ(written, 0);
    EXPECT_TRUE(stream.bytes().empty());
}

} // namespace

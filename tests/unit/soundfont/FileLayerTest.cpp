// The platform file layer: seeking from every origin, reading at the end, and a null handle
// after a failed open that makes every operation do nothing.
#include "TestFiles.h"
#include "platform/File.h"

#include <sys/stat.h>

using namespace Steinberg::Vst;
using namespace zephra::test;

namespace {
std::vector<uint8_t> counting(size_t n)
{
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(i);
    return bytes;
}
} // namespace

TEST(FileLayerPositions, SeeksAbsoluteRelativeAndFromTheEnd)
{
    File file;
    ASSERT_TRUE(file.open(writeTemp(counting(100), "f.bin")));
    EXPECT_EQ(file.seek(0, File::Origin::end), 100);
    EXPECT_EQ(file.seek(10, File::Origin::begin), 10);
    EXPECT_EQ(file.seek(5, File::Origin::current), 15);
    uint8_t b = 0;
    EXPECT_EQ(file.read(&b, 1), 1);
    EXPECT_EQ(b, 15);
    EXPECT_EQ(file.seek(-4, File::Origin::end), 96);
    EXPECT_EQ(file.read(&b, 1), 1);
    EXPECT_EQ(b, 96);
}

TEST(FileLayerPositions, ReadPastTheEndYieldsOnlyWhatTheFileHolds)
{
    File file;
    ASSERT_TRUE(file.open(writeTemp(counting(10), "f.bin")));
    file.seek(6, File::Origin::begin);
    uint8_t buffer[16] = {};
    EXPECT_EQ(file.read(buffer, 16), 4);
    EXPECT_EQ(buffer[3], 9);
    EXPECT_EQ(file.read(buffer, 16), 0);
    EXPECT_EQ(file.bytesRead(), 4u);
}

TEST(FileLayerPositions, SeekBeforeTheStartIsRefused)
{
    File file;
    ASSERT_TRUE(file.open(writeTemp(counting(10), "f.bin")));
    EXPECT_EQ(file.seek(-1, File::Origin::begin), -1);
}

TEST(FileLayerNullHandle, FailedOpenMakesEveryOperationDoNothing)
{
    File file;
    EXPECT_FALSE(file.open(u"/nonexistent/zephra/file.sf2"));
    EXPECT_FALSE(file.isOpen());
    uint8_t buffer[4] = {1, 2, 3, 4};
    EXPECT_EQ(file.seek(0, File::Origin::end), -1);
    EXPECT_EQ(file.seek(2, File::Origin::current), -1);
    EXPECT_EQ(file.read(buffer, 4), 0);
    EXPECT_EQ(buffer[0], 1);
    file.close();
    file.close();
}

TEST(FileLayerNullHandle, DirectoriesEmptyAndUnconvertiblePathsAreRefused)
{
    File file;
    EXPECT_FALSE(file.open(u"/tmp"));
    EXPECT_FALSE(file.open(u""));
    EXPECT_FALSE(file.open(std::u16string(1, static_cast<char16_t>(0xD800))));  // lone surrogate
    EXPECT_FALSE(file.isOpen());
}

TEST(FileLayerNullHandle, ReopeningClosesThePreviousFile)
{
    File file;
    ASSERT_TRUE(file.open(writeTemp(counting(10), "a.bin")));
    EXPECT_FALSE(file.open(u"/nonexistent/zephra/file.sf2"));
    EXPECT_EQ(file.seek(0, File::Origin::end), -1);
}

TEST(FileLayerPaths, NonAsciiPathsOpenThroughUtf8)
{
    const std::string path = tempPath("\xE9\x9F\xB3.sf2");  // "音"
    TempFileCleanup::remember(path);
    ASSERT_TRUE(writeFile(path, counting(3)));
    std::u16string wide(path.begin(), path.end() - 7);
    wide += u"\u97F3.sf2";
    File file;
    ASSERT_TRUE(file.open(wide));
    EXPECT_EQ(file.seek(0, File::Origin::end), 3);
}

// The POSIX file layer and FIFOs: opening one must not wait for a writer (POSIX only; the
// Win32 file layer takes disk files only, checked in tests/windows).
#include "TestFiles.h"
#include "platform/File.h"

#include <sys/stat.h>

using namespace Steinberg::Vst;
using namespace zephra::test;

TEST(FileLayerNullHandle, FifoIsRefusedWithoutWaitingForAWriter)
{
    // Guards against a hang: opening a FIFO for reading would block until someone writes.
    const std::string path = tempPath("pipe");
    TempFileCleanup::remember(path);
    std::remove(path.c_str());
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    File file;
    EXPECT_FALSE(file.open(std::u16string(path.begin(), path.end())));
}

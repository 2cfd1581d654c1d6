// The renderer's Windows file layer: UTF-8 names reach the system as UTF-16, and a name that is
// not UTF-8 is refused rather than written or resolved under another name (one with U+FFFD).
#include "host/render/platform/BundleCandidates.h"
#include "host/render/platform/OutputFile.h"
#include "host/render/platform/OutputGuard.h"

#include <gtest/gtest.h>

using namespace zephra::render;

TEST(RenderFilesWin32, NonAsciiOutputNamesAreWrittenUnderThatName)
{
    OutputFile output;
    std::string error;
    ASSERT_TRUE(output.prepare("zephra_\xc3\xa4\xe9\x9f\xb3.wav", error)) << error;
    EXPECT_EQ(output.temporaryPath().rfind(".zephra_\xc3\xa4\xe9\x9f\xb3.wav.part-", 0), 0u);
    EXPECT_TRUE(pathExists(output.temporaryPath()));
    output.abandon();
}

TEST(RenderFilesWin32, NamesThatAreNotUtf8AreRefused)
{
    const std::string name = "zephra_\xff.wav";
    std::string error;
    OutputFile output;
    EXPECT_FALSE(output.prepare(name, error));
    EXPECT_NE(error.find("not valid UTF-8"), std::string::npos) << error;
    EXPECT_TRUE(output.temporaryPath().empty());
    error.clear();
    EXPECT_FALSE(checkOutputPath(name, "Zephra SF2 Player.vst3", {}, error));
    EXPECT_NE(error.find("not valid UTF-8"), std::string::npos) << error;
    EXPECT_EQ(tidyPath(name), name);
}

// Home and preset folders: the Linux convention from $HOME, the Windows composition from
// given HOMEDRIVE/HOMEPATH values, and the fall-backs when the variables are missing.
#include "platform/Folders.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

using namespace Steinberg::Vst;

namespace {
// Sets or unsets HOME for one test and puts the old value back.
class HomeVariable {
public:
    explicit HomeVariable(const char* value)
    {
        if (const char* old = std::getenv("HOME")) saved = old;
        if (value) setenv("HOME", value, 1); else unsetenv("HOME");
    }
    ~HomeVariable()
    {
        if (saved) setenv("HOME", saved->c_str(), 1); else unsetenv("HOME");
    }
private:
    std::optional<std::string> saved;
};
} // namespace

TEST(HomeFolder, IsHomeVariableWithOneTrailingSlash)
{
    HomeVariable home("/home/user1");
    EXPECT_EQ(homeFolder(), u"/home/user1/");
}

TEST(HomeFolder, TrailingSlashesAreNotDoubled)
{
    HomeVariable home("/home/user1//");
    EXPECT_EQ(homeFolder(), u"/home/user1/");
}

TEST(HomeFolder, RootHomeStaysRoot)
{
    HomeVariable home("/");
    EXPECT_EQ(homeFolder(), u"/");
}

TEST(HomeFolderWithoutVariable, FallsBackToTheAccountEntryOrNothing)
{
    HomeVariable home(nullptr);
    const std::u16string folder = homeFolder();
    if (!folder.empty()) {
        EXPECT_EQ(folder.front(), u'/');
        EXPECT_EQ(folder.back(), u'/');
    }
}

TEST(HomeFolderWithoutVariable, RelativeOrInvalidHomeIsNotUsed)
{
    HomeVariable relative("somewhere");
    const std::u16string folder = homeFolder();
    EXPECT_TRUE(folder.empty() || folder.front() == u'/');
    HomeVariable invalid("/home/\xFF");
    EXPECT_EQ(homeFolder().find(u"\xFF"), std::u16string::npos);
}

TEST(PresetFolder, FollowsTheLinuxVst3Convention)
{
    HomeVariable home("/home/user1");
    EXPECT_EQ(presetFolder(u"Norvane", u"Zephra SF2 Player"),
              u"/home/user1/.vst3/presets/Norvane/Zephra SF2 Player/");
}

TEST(WindowsFolders, ComposeDriveAndPathWithBackslashes)
{
    const std::u16string home = windowsHomeFolder(u"C:", u"\\Users\\user1");
    EXPECT_EQ(home, u"C:\\Users\\user1\\");
    EXPECT_EQ(windowsPresetFolder(home, u"Norvane", u"Zephra SF2 Player"),
              u"C:\\Users\\user1\\Documents\\VST3 Presets\\Norvane\\Zephra SF2 Player\\");
}

TEST(WindowsFolders, HomePathEndingInBackslashGivesTwoBackslashes)
{
    EXPECT_EQ(windowsHomeFolder(u"C:", u"\\Users\\user1\\"), u"C:\\Users\\user1\\\\");
}

TEST(WindowsFoldersWithoutVariables, MissingOrOverlongPiecesAreEmpty)
{
    EXPECT_EQ(windowsHomeFolder(nullptr, nullptr), u"\\");
    EXPECT_EQ(windowsHomeFolder(u"C:", nullptr), u"C:\\");
    const std::u16string tooLong(260, u'x');
    const std::u16string longest(259, u'x');
    EXPECT_EQ(windowsHomeFolder(u"D:", tooLong.c_str()), u"D:\\");
    EXPECT_EQ(windowsHomeFolder(u"D:", longest.c_str()), u"D:" + longest + u"\\");
}

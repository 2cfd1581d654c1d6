// The Win32 platform files: files by UTF-16 path (non-ASCII names kept), the user's folders
// from HOMEDRIVE/HOMEPATH, the system's idea of an extension, path kinds and the module path.
#include "platform/File.h"
#include "platform/Folders.h"
#include "platform/ModulePath.h"
#include "platform/PathExtension.h"
#include "platform/PathInfo.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>

using namespace Steinberg::Vst;

namespace {
std::u16string scratchFolder()
{
    wchar_t buffer[MAX_PATH];
    GetTempPathW(MAX_PATH, buffer);
    return reinterpret_cast<const char16_t*>(buffer);
}
} // namespace

TEST(Win32Files, NonAsciiNamesOpenSeekAndReadWhatWasWritten)
{
    // Guards against a file layer that narrows the path (the multimedia I/O loses such names).
    const std::u16string folder = scratchFolder() + u"zephra_\u00e4\u00f6_\u97f3";
    CreateDirectoryW(reinterpret_cast<LPCWSTR>(folder.c_str()), nullptr);
    const std::u16string path = folder + u"\\Kl\u00e4nge \u30d4\u30a2\u30ce.sf2";
    FILE* out = _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"wb");
    ASSERT_NE(out, nullptr);
    std::fputs("RIFF0123", out);
    std::fclose(out);

    File file;
    ASSERT_TRUE(file.open(path));
    EXPECT_EQ(file.seek(0, File::Origin::end), 8);
    EXPECT_EQ(file.seek(4, File::Origin::begin), 4);
    char bytes[8] = {};
    EXPECT_EQ(file.read(bytes, 8), 4);
    EXPECT_EQ(std::string(bytes, 4), "0123");
    EXPECT_EQ(file.seek(-1, File::Origin::begin), -1);
    EXPECT_EQ(pathKind(path), PathKind::other);
    EXPECT_EQ(pathKind(folder), PathKind::folder);
    EXPECT_EQ(pathKind(toUtf8(path)), PathKind::other);

    File folderFile;
    EXPECT_FALSE(folderFile.open(folder));   // only plain files
    EXPECT_FALSE(folderFile.open(folder + u"\\missing.sf2"));
    EXPECT_EQ(folderFile.read(bytes, 4), 0);
    file.close();
    DeleteFileW(reinterpret_cast<LPCWSTR>(path.c_str()));
    RemoveDirectoryW(reinterpret_cast<LPCWSTR>(folder.c_str()));
}

TEST(Win32Folders, HomeAndPresetFolderComeFromHomeDriveAndHomePath)
{
    SetEnvironmentVariableW(L"HOMEDRIVE", L"C:");
    SetEnvironmentVariableW(L"HOMEPATH", L"\\Users\\user1");
    EXPECT_EQ(homeFolder(), u"C:\\Users\\user1\\");
    EXPECT_EQ(presetFolder(u"Norvane", u"Zephra SF2 Player"),
              u"C:\\Users\\user1\\Documents\\VST3 Presets\\Norvane\\Zephra SF2 Player\\");
    SetEnvironmentVariableW(L"HOMEPATH", nullptr);
    EXPECT_EQ(homeFolder(), u"C:\\");
    SetEnvironmentVariableW(L"HOMEPATH", std::wstring(300, L'x').c_str());
    EXPECT_EQ(homeFolder(), u"C:\\");   // a value that does not fit 260 units counts as unset
}

TEST(Win32Paths, ExtensionParentAndResourceFolderFollowWindowsSeparators)
{
    EXPECT_EQ(pathExtension(u"C:\\a.b\\song.SF2"), u".SF2");
    EXPECT_EQ(pathExtension(u"C:\\a.b\\readme"), u"");
    EXPECT_EQ(parentFolder("C:\\fonts\\piano.sf2"), "C:\\fonts\\");
    EXPECT_EQ(resourceFolderFor("C:\\VST3\\Z.vst3\\Contents\\x86_64-win\\Z.vst3"),
              "C:\\VST3\\Z.vst3\\Contents\\Resources\\");
    const std::string self = modulePath();
    ASSERT_GE(self.size(), 4u);
    EXPECT_EQ(self.substr(self.size() - 4), ".exe");
}

TEST(Win32Files, IdentityNamesTheFileAndChangesWhenItIsRewritten)
{
    // Guards the sample cache on Windows: without an identity every load read the file anew,
    // and a stale identity would reuse the samples of a rewritten file.
    const std::u16string path = scratchFolder() + u"zephra_identity_\u00e4.sf2";
    const auto write = [&](const char* text, DWORD lowTime) {
        const HANDLE out = CreateFileW(reinterpret_cast<LPCWSTR>(path.c_str()), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(out, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(out, text, DWORD(std::strlen(text)), &written, nullptr);
        const FILETIME when{lowTime, 0x01D00000};
        SetFileTime(out, nullptr, nullptr, &when);
        CloseHandle(out);
    };
    write("RIFF0123", 1000);
    File first, second, other;
    FileIdentity a, b, c;
    ASSERT_TRUE(first.open(path));
    ASSERT_TRUE(second.open(path));
    ASSERT_TRUE(first.identity(a));
    ASSERT_TRUE(second.identity(b));
    EXPECT_TRUE(a == b);
    EXPECT_EQ(a.size, 8u);
    first.close();
    second.close();
    write("RIFF0124", 2000);   // same size, new content and time
    ASSERT_TRUE(other.open(path));
    ASSERT_TRUE(other.identity(c));
    EXPECT_FALSE(a == c);
    EXPECT_EQ(a.fileNumber, c.fileNumber);
    other.close();
    EXPECT_FALSE(other.identity(c));   // null handle
    DeleteFileW(reinterpret_cast<LPCWSTR>(path.c_str()));
}

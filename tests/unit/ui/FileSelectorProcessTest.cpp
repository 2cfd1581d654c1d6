// The Linux system dialog: a dialog program (zenity or kdialog) in a child process, its
// arguments, a missing program, and a choice read without blocking.
#include "UiTestSupport.h"

#include "ui/widgets/CNewFileSelector.h"
#include "ui/widgets/OffscreenImage.h"
#include "ui/dialog/ProcessFileDialog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sys/stat.h>
#include <thread>

using namespace VSTGUI;
using namespace zephra::test;

namespace {

std::string scratchFolder(const std::string& name)
{
    const std::string folder = std::string(ZEPHRA_UI_SNAPSHOT_DIR) + "/" + name;
    mkdir(folder.c_str(), 0755);
    return folder;
}

// A folder holding a stand-in "zenity": a shell script with the given body.
std::string fakeZenity(const std::string& folderName, const std::string& body)
{
    const std::string bin = scratchFolder(folderName);
    {
        std::ofstream script(bin + "/zenity");
        script << "#!/bin/sh\n" << body;
    }
    chmod((bin + "/zenity").c_str(), 0755);
    return bin;
}

// Polls the selector, as the editor's timer does, until it ends (at most 5 s).
void pollUntilEnd(CNewFileSelector* selector, const EndRecorder& recorder)
{
    for (int i = 0; i < 500 && recorder.ends == 0; ++i) {
        selector->pollDialog();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

TEST(FileSelector, MissingDialogProgramGivesAClearMessage)
{
    TestFrame frame;
    frame->setFileDialogFactory(
        makeProcessFileDialogFactory({"zenity", "kdialog"}, scratchFolder("empty-bin")));
    EndRecorder recorder;
    auto* selector = CNewFileSelector::create(frame.get());
    selector->run(&recorder);
    EXPECT_EQ(recorder.ends, 1);
    EXPECT_TRUE(recorder.files.empty());
    EXPECT_NE(recorder.error.find("zenity or kdialog"), std::string::npos) << recorder.error;
    selector->forget();

    // The user sees it in the editor, not only on a terminal, until the next click.
    EXPECT_EQ(frame->getNotice(), recorder.error);
    OffscreenImage image = OffscreenImage::render(*frame);
    EXPECT_EQ(image.getPixel(3, int(frame->getHeight()) - 3), CColor(150, 30, 30, 255));
    frame.click(5, 5);
    EXPECT_TRUE(frame->getNotice().empty());
    EXPECT_EQ(frame->getNbViews(), 0u);
}

TEST(FileSelector, ZenityArgumentsCarryTitleFolderAndFilters)
{
    FileDialogRequest request;
    request.title = "Choose";
    request.initialDirectory = "/home/u/Presets";
    request.filters = {CFileExtension("ALL Files", "*"), CFileExtension("SoundFont2 File", "sf2")};
    const auto args = dialogArguments("zenity", request);
    EXPECT_EQ(args, (std::vector<UTF8String>{"--file-selection", "--title=Choose",
                                             "--filename=/home/u/Presets/",
                                             "--file-filter=ALL Files | *",
                                             "--file-filter=SoundFont2 File | *.sf2"}));
    const auto kde = dialogArguments("kdialog", request);
    EXPECT_EQ(kde, (std::vector<UTF8String>{"--title", "Choose", "--getopenfilename",
                                            "/home/u/Presets/",
                                            "*|ALL Files\n*.sf2|SoundFont2 File"}));
}

TEST(FileSelector, ChildProcessChoiceIsReadWithoutBlocking)
{
    // A stand-in "zenity" that waits a little, then prints its choice.
    const std::string bin = fakeZenity("fake-zenity", "sleep 0.3\necho /music/piano.sf2\n");
    TestFrame frame;
    frame->setFileDialogFactory(makeProcessFileDialogFactory({"zenity"}, bin));
    EndRecorder recorder;
    auto* selector = CNewFileSelector::create(frame.get());
    ASSERT_TRUE(selector->run(&recorder));
    EXPECT_EQ(recorder.ends, 0);  // run() returned while the dialog is still open
    pollUntilEnd(selector, recorder);
    EXPECT_EQ(recorder.ends, 1);
    EXPECT_EQ(recorder.files, std::vector<UTF8String>{"/music/piano.sf2"});
    selector->forget();
}

TEST(FileSelector, ChildProcessCancelGivesNoFile)
{
    const std::string bin = fakeZenity("fake-zenity-cancel", "exit 1\n");
    TestFrame frame;
    frame->setFileDialogFactory(makeProcessFileDialogFactory({"zenity"}, bin));
    EndRecorder recorder;
    auto* selector = CNewFileSelector::create(frame.get());
    selector->run(&recorder);
    pollUntilEnd(selector, recorder);
    EXPECT_EQ(recorder.ends, 1);
    EXPECT_TRUE(recorder.files.empty());
    EXPECT_TRUE(recorder.error.empty());
    selector->forget();
}

TEST(FileSelector, CancelEndsAHangingChildProcess)
{
    const std::string bin = fakeZenity("fake-zenity-hang", "exec sleep 30\n");
    TestFrame frame;
    frame->setFileDialogFactory(makeProcessFileDialogFactory({"zenity"}, bin));
    EndRecorder recorder;
    auto* selector = CNewFileSelector::create(frame.get());
    selector->run(&recorder);
    selector->pollDialog();
    EXPECT_EQ(recorder.ends, 0);
    selector->cancel();
    EXPECT_EQ(recorder.ends, 1);
    EXPECT_TRUE(recorder.files.empty());
    selector->forget();
}

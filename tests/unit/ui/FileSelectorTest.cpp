// The file selector: filters and defaults, injected dialogs, the end message with the chosen
// file, cancelling and selectors that outlive their frame. (The Linux dialog program in a
// child process: FileSelectorProcessTest.cpp.)
#include "UiTestSupport.h"

#include "ui/widgets/CNewFileSelector.h"
#include "ui/widgets/OffscreenImage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

using namespace VSTGUI;
using namespace zephra::test;

namespace {

// Answers every request at once with a fixed choice and remembers the request.
class InjectedDialogs : public IFileDialogFactory
{
public:
    explicit InjectedDialogs(std::vector<UTF8String> files) : files(std::move(files)) {}
    std::unique_ptr<IFileDialog> start(const FileDialogRequest& request) override
    {
        requests.push_back(request);
        struct Immediate : IFileDialog
        {
            std::vector<UTF8String> files;
            bool poll(FileDialogResult& result) override
            {
                result.files = files;
                return true;
            }
            void cancel() override {}
        };
        auto dialog = std::make_unique<Immediate>();
        dialog->files = files;
        return dialog;
    }
    std::vector<UTF8String> files;
    std::vector<FileDialogRequest> requests;
};

// A dialog that stays open until the test says otherwise.
class PendingDialogs : public IFileDialogFactory
{
public:
    struct State
    {
        bool done = false;
        bool cancelled = false;
        std::vector<UTF8String> files;
    };
    std::unique_ptr<IFileDialog> start(const FileDialogRequest&) override
    {
        struct Pending : IFileDialog
        {
            std::shared_ptr<State> state;
            bool poll(FileDialogResult& result) override
            {
                if (!state->done)
                    return false;
                result.files = state->files;
                return true;
            }
            void cancel() override { state->cancelled = true; }
        };
        auto dialog = std::make_unique<Pending>();
        dialog->state = state;
        return dialog;
    }
    std::shared_ptr<State> state = std::make_shared<State>();
};

}  // namespace

TEST(FileSelector, DefaultExtensionComesFirstAndIsNotDuplicated)
{
    auto* selector = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectFile);
    selector->setDefaultExtension(CFileExtension("ALL Files", "*"));
    selector->addFileExtension(CFileExtension("SoundFont2 File", "sf2"));
    selector->addFileExtension(CFileExtension("ALL Files", "*"));
    ASSERT_EQ(selector->getFileExtensions().size(), 2u);
    EXPECT_EQ(selector->getFileExtensions()[0].getDescription(), "ALL Files");
    EXPECT_EQ(selector->getFileExtensions()[1].getExtension(), "sf2");
    selector->setDefaultExtension(CFileExtension("SoundFont2 File", "sf2"));
    EXPECT_EQ(selector->getFileExtensions()[0].getExtension(), "sf2");
    EXPECT_EQ(selector->getFileExtensions().size(), 2u);
    selector->forget();
}

TEST(FileSelector, InjectedChoiceArrivesAsEndMessageBeforeRunReturns)
{
    TestFrame frame;
    auto dialogs = std::make_shared<InjectedDialogs>(std::vector<UTF8String>{"/tmp/a.sf2"});
    frame->setFileDialogFactory(dialogs);
    EndRecorder recorder;
    auto* selector = CNewFileSelector::create(frame.get());
    selector->setTitle("\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\xAE\xE9\x81\xB8\xE6\x8A\x9E");
    selector->setInitialDirectory("/home/user/Documents/VST3 Presets/Norvane/Zephra SF2 Player/");
    selector->setDefaultExtension(CFileExtension("ALL Files", "*"));
    selector->addFileExtension(CFileExtension("SoundFont2 File", "sf2"));
    EXPECT_TRUE(selector->run(&recorder));
    selector->forget();

    EXPECT_EQ(recorder.ends, 1);
    EXPECT_EQ(recorder.files, std::vector<UTF8String>{"/tmp/a.sf2"});
    ASSERT_EQ(dialogs->requests.size(), 1u);
    EXPECT_EQ(dialogs->requests[0].filters.size(), 2u);
    EXPECT_EQ(dialogs->requests[0].initialDirectory,
              "/home/user/Documents/VST3 Presets/Norvane/Zephra SF2 Player/");
}

TEST(FileSelector, CancelledDialogEndsWithNoFile)
{
    TestFrame frame;
    frame->setFileDialogFactory(std::make_shared<InjectedDialogs>(std::vector<UTF8String>{}));
    EndRecorder recorder;
    auto* selector = CNewFileSelector::create(frame.get());
    selector->run(&recorder);
    EXPECT_EQ(recorder.ends, 1);
    EXPECT_TRUE(recorder.files.empty());
    EXPECT_EQ(selector->getNumSelectedFiles(), 0u);
    EXPECT_EQ(selector->getSelectedFile(0), nullptr);
    selector->forget();
}

TEST(FileSelector, SingleFileModeKeepsOnlyTheFirstChoice)
{
    TestFrame frame;
    frame->setFileDialogFactory(
        std::make_shared<InjectedDialogs>(std::vector<UTF8String>{"/a.sf2", "/b.sf2"}));
    EndRecorder recorder;
    auto* selector = CNewFileSelector::create(frame.get());
    selector->run(&recorder);
    EXPECT_EQ(recorder.files, std::vector<UTF8String>{"/a.sf2"});
    selector->forget();
}

TEST(FileSelector, PendingDialogReportsLaterThroughItsPollAndStaysAlive)
{
    TestFrame frame;
    auto dialogs = std::make_shared<PendingDialogs>();
    frame->setFileDialogFactory(dialogs);
    EndRecorder recorder;
    auto* selector = CNewFileSelector::create(frame.get());
    EXPECT_TRUE(selector->run(&recorder));
    EXPECT_TRUE(selector->isRunning());
    EXPECT_FALSE(selector->run(&recorder));  // one dialog at a time
    selector->remember();
    selector->forget();  // the caller's reference goes; the running selector keeps itself
    selector->forget();
    EXPECT_EQ(recorder.ends, 0);
    selector->pollDialog();
    EXPECT_EQ(recorder.ends, 0);
    dialogs->state->files = {"/x.sf2"};
    dialogs->state->done = true;
    selector->remember();
    selector->pollDialog();
    EXPECT_EQ(recorder.ends, 1);
    EXPECT_EQ(recorder.files, std::vector<UTF8String>{"/x.sf2"});
    EXPECT_EQ(selector->getNbReference(), 1);
    selector->forget();
}

TEST(FileSelector, ClosingTheFrameEndsARunningDialogWithoutReport)
{
    // Guards against a report reaching an editor that was closed while the dialog was open.
    auto dialogs = std::make_shared<PendingDialogs>();
    EndRecorder recorder;
    {
        TestFrame frame;
        frame->setFileDialogFactory(dialogs);
        auto* selector = CNewFileSelector::create(frame.get());
        selector->run(&recorder);
        selector->forget();
    }
    EXPECT_TRUE(dialogs->state->cancelled);
    EXPECT_EQ(recorder.ends, 0);
}

TEST(FileSelector, CallbackRunReceivesTheSelector)
{
    TestFrame frame;
    frame->setFileDialogFactory(std::make_shared<InjectedDialogs>(std::vector<UTF8String>{"/c.sf2"}));
    auto* selector = CNewFileSelector::create(frame.get());
    std::string chosen;
    selector->run([&](CNewFileSelector* s) { chosen = s->getSelectedFile(0); });
    EXPECT_EQ(chosen, "/c.sf2");
    selector->forget();
}

#pragma once
// File dialogs that answer from a script instead of asking the user: the path chosen (or a
// cancel), at once or when the host says so. Installed on the frame by the off-screen access,
// so a host without a screen can pick a file through the editor's real selector path.
// Threads: the host's UI thread only. Not real-time safe.
#include "ui/widgets/FileDialog.h"

#include <memory>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {

class ScriptedFileDialogs : public ::VSTGUI::IFileDialogFactory,
                            public std::enable_shared_from_this<ScriptedFileDialogs>
{
public:
    // path empty: every dialog is cancelled. holdOpen: dialogs end only at finishAll().
    ScriptedFileDialogs(std::string path, bool holdOpen);

    std::unique_ptr<::VSTGUI::IFileDialog> start(const ::VSTGUI::FileDialogRequest& request) override;
    // Lets the held dialogs end; each reports on its selector's next poll.
    void finishAll() { released = true; }

    int started() const { return startCount; }
    // Dialogs ended without an answer by their selector (its editor went away).
    int cancelled() const { return cancelCount; }
    void noteCancelled() { ++cancelCount; }
    const ::VSTGUI::FileDialogRequest& lastRequest() const { return last; }
    bool isReleased() const { return released || !holdOpen; }
    const std::string& answer() const { return path; }

private:
    std::string path;
    bool holdOpen;
    bool released = false;
    int startCount = 0;
    int cancelCount = 0;
    ::VSTGUI::FileDialogRequest last;
};

} // namespace Vst
} // namespace Steinberg

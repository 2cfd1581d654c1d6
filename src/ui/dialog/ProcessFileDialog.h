// File dialogs shown by a dialog program (zenity or kdialog) in a child process whose
// standard output is read through a non-blocking pipe. UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/FileDialog.h"

namespace VSTGUI {

// Uses the first program of `programs` (by name: "zenity" or "kdialog") found in the
// PATH-style `searchPath` (empty: the PATH environment variable).
std::shared_ptr<IFileDialogFactory> makeProcessFileDialogFactory(
    std::vector<UTF8String> programs, UTF8String searchPath = {});

// The argument list (without the program path) for `program` ("zenity" or "kdialog").
std::vector<UTF8String> dialogArguments(const UTF8String& program,
                                        const FileDialogRequest& request);

}  // namespace VSTGUI

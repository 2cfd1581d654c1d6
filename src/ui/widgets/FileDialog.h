// How a file selector shows its dialog: a factory starts one dialog per request, and the
// selector polls it until it ends. The system implementation runs a dialog program as a child
// process; tests inject their own. UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CFileExtension.h"

#include <memory>
#include <vector>

namespace VSTGUI {

struct FileDialogRequest
{
    enum Kind { kOpenFile, kSaveFile, kDirectory };
    Kind kind = kOpenFile;
    bool multiple = false;
    UTF8String title;
    UTF8String initialDirectory;
    UTF8String defaultSaveName;
    std::vector<CFileExtension> filters;  // the first one is preselected
};

struct FileDialogResult
{
    std::vector<UTF8String> files;  // empty: cancelled or failed
    UTF8String error;               // why no dialog could be shown; empty otherwise
};

class IFileDialog
{
public:
    virtual ~IFileDialog() = default;
    // Never blocks. True once the dialog has ended; `result` then holds its outcome.
    virtual bool poll(FileDialogResult& result) = 0;
    // Ends the dialog without a result.
    virtual void cancel() = 0;
};

class IFileDialogFactory
{
public:
    virtual ~IFileDialogFactory() = default;
    virtual std::unique_ptr<IFileDialog> start(const FileDialogRequest& request) = 0;
};

// The system dialog: zenity, else kdialog, found on PATH.
std::shared_ptr<IFileDialogFactory> makeSystemFileDialogFactory();

}  // namespace VSTGUI

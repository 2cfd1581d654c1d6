// Lets the user choose files without blocking the UI thread: run() starts the frame's file
// dialog and returns; when the dialog ends the delegate receives kSelectEndMessage (with this
// selector as sender) or the callback runs. A dialog that ends at once (an injected test
// dialog, or no dialog program installed) reports before run() returns.
// UI thread only; not real-time safe.
#pragma once

#include "ui/widgets/CFileExtension.h"
#include "ui/widgets/CVSTGUITimer.h"
#include "ui/widgets/FileDialog.h"

#include <functional>

namespace VSTGUI {

class CFrame;

class CNewFileSelector : public CBaseObject
{
public:
    enum Style
    {
        kSelectFile,
        kSelectSaveFile,
        kSelectDirectory,
    };

    // "CNewFileSelector Select End Message"; compare by address.
    static IdStringPtr kSelectEndMessage;

    static CNewFileSelector* create(CFrame* parent = nullptr, Style style = kSelectFile);

    bool run(CBaseObject* delegate);
    bool run(std::function<void(CNewFileSelector*)> callback);
    // Ends a running dialog; the end is reported with no files.
    void cancel();
    bool isRunning() const { return dialog != nullptr; }

    void setTitle(const UTF8String& title) { request.title = title; }
    void setInitialDirectory(const UTF8String& path) { request.initialDirectory = path; }
    void setDefaultSaveName(const UTF8String& name) { request.defaultSaveName = name; }
    // Becomes the preselected filter; added to the list when not there yet.
    void setDefaultExtension(const CFileExtension& extension);
    void addFileExtension(const CFileExtension& extension);
    void setAllowMultiFileSelection(bool state) { request.multiple = state; }
    const std::vector<CFileExtension>& getFileExtensions() const { return request.filters; }
    const FileDialogRequest& getRequest() const { return request; }

    uint32_t getNumSelectedFiles() const { return uint32_t(selected.size()); }
    UTF8StringPtr getSelectedFile(uint32_t index) const;
    // Why the last run showed no dialog (no dialog program, ...); empty otherwise.
    const UTF8String& getErrorMessage() const { return errorMessage; }

    // Polls the running dialog; the selector's own timer does this every 50 ms.
    void pollDialog();
    CMessageResult notify(CBaseObject* sender, IdStringPtr message) override;

    // Called by the frame when it goes away: the dialog ends without any report.
    void detachFromFrame();

protected:
    CNewFileSelector(CFrame* frame, Style style);
    ~CNewFileSelector() override;

private:
    bool start();
    void finish(FileDialogResult result);

    CFrame* frame;
    FileDialogRequest request;
    std::unique_ptr<IFileDialog> dialog;
    SharedPointer<CVSTGUITimer> pollTimer;
    CBaseObject* delegate = nullptr;
    std::function<void(CNewFileSelector*)> callback;
    std::vector<UTF8String> selected;
    UTF8String errorMessage;
};

}  // namespace VSTGUI

#include "ui/widgets/CNewFileSelector.h"

#include "ui/widgets/CFrame.h"

#include <algorithm>
#include <cstdio>

namespace VSTGUI {

IdStringPtr CNewFileSelector::kSelectEndMessage = "CNewFileSelector Select End Message";

CNewFileSelector* CNewFileSelector::create(CFrame* parent, Style style)
{
    return new CNewFileSelector(parent, style);
}

CNewFileSelector::CNewFileSelector(CFrame* frame, Style style) : frame(frame)
{
    request.kind = style == kSelectSaveFile    ? FileDialogRequest::kSaveFile
                   : style == kSelectDirectory ? FileDialogRequest::kDirectory
                                               : FileDialogRequest::kOpenFile;
}

CNewFileSelector::~CNewFileSelector()
{
    if (pollTimer)
        pollTimer->stop();
    if (dialog)
        dialog->cancel();
}

void CNewFileSelector::setDefaultExtension(const CFileExtension& extension)
{
    auto it = std::find(request.filters.begin(), request.filters.end(), extension);
    if (it == request.filters.end()) {
        request.filters.push_back(extension);
        it = request.filters.end() - 1;
    }
    // The dialog preselects the first filter, so the default one moves to the front.
    std::rotate(request.filters.begin(), it, it + 1);
}

void CNewFileSelector::addFileExtension(const CFileExtension& extension)
{
    if (std::find(request.filters.begin(), request.filters.end(), extension) ==
        request.filters.end())
        request.filters.push_back(extension);
}

UTF8StringPtr CNewFileSelector::getSelectedFile(uint32_t index) const
{
    return index < selected.size() ? selected[index].c_str() : nullptr;
}

bool CNewFileSelector::run(CBaseObject* newDelegate)
{
    if (dialog || !newDelegate)
        return false;
    delegate = newDelegate;
    callback = nullptr;
    return start();
}

bool CNewFileSelector::run(std::function<void(CNewFileSelector*)> newCallback)
{
    if (dialog || !newCallback)
        return false;
    delegate = nullptr;
    callback = std::move(newCallback);
    return start();
}

bool CNewFileSelector::start()
{
    selected.clear();
    errorMessage.clear();
    std::shared_ptr<IFileDialogFactory> factory = frame ? frame->getFileDialogFactory() : nullptr;
    if (!factory)
        factory = makeSystemFileDialogFactory();
    remember();  // alive until the end is reported, whatever the caller does meanwhile
    // Registered before the dialog starts: a modal dialog (Windows) runs the host's messages,
    // and the frame may close meanwhile; its answer then goes nowhere.
    CFrame* startedIn = frame;
    if (frame)
        frame->addRunningSelector(this);
    dialog = factory->start(request);
    if (startedIn && !frame) {
        dialog.reset();   // detached while the dialog ran
        forget();
        return false;
    }
    if (!dialog) {
        finish({{}, "the file dialog could not be started"});
        forget();
        return false;
    }
    FileDialogResult result;
    if (dialog->poll(result)) {
        finish(std::move(result));
        forget();
        return true;
    }
    pollTimer = owned(new CVSTGUITimer(this, 50, true));
    return true;
}

void CNewFileSelector::pollDialog()
{
    if (!dialog)
        return;
    FileDialogResult result;
    if (dialog->poll(result)) {
        finish(std::move(result));
        forget();
    }
}

CMessageResult CNewFileSelector::notify(CBaseObject* sender, IdStringPtr message)
{
    if (message == kMsgTimer && sender == pollTimer.get()) {
        pollDialog();
        return kMessageNotified;
    }
    return CBaseObject::notify(sender, message);
}

void CNewFileSelector::cancel()
{
    if (!dialog)
        return;
    dialog->cancel();
    finish({});
    forget();
}

void CNewFileSelector::detachFromFrame()
{
    frame = nullptr;
    delegate = nullptr;
    callback = nullptr;
    if (!dialog)
        return;   // still starting (a modal dialog): start() ends without a report
    if (pollTimer)
        pollTimer->stop();
    dialog->cancel();
    dialog.reset();
    forget();
}

void CNewFileSelector::finish(FileDialogResult result)
{
    if (pollTimer)
        pollTimer->stop();
    dialog.reset();
    if (frame)
        frame->removeRunningSelector(this);
    selected = std::move(result.files);
    if (request.kind == FileDialogRequest::kOpenFile && !request.multiple && selected.size() > 1)
        selected.resize(1);
    errorMessage = std::move(result.error);
    if (!errorMessage.empty()) {
        std::fprintf(stderr, "Zephra SF2 Player: %s\n", errorMessage.c_str());
        if (frame)
            frame->showNotice(errorMessage);
    }
    if (delegate)
        delegate->notify(this, kSelectEndMessage);
    else if (callback)
        callback(this);
    delegate = nullptr;
    callback = nullptr;
}

}  // namespace VSTGUI

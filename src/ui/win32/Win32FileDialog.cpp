// The system file dialog on Windows: the common item dialog (IFileOpenDialog, or
// IFileSaveDialog), else the older GetOpenFileNameW/GetSaveFileNameW. Both are modal and pump
// the UI thread's messages themselves, so the dialog has ended when start() returns and the
// selector hears of the result before its run() returns.
// UI thread only; not real-time safe.
#include "ui/widgets/FileDialog.h"
#include "ui/win32/Win32Gdiplus.h"

#include <windows.h>
#include <commdlg.h>
#include <shobjidl.h>

#include <string>
#include <vector>

namespace VSTGUI {

namespace {

// The filter patterns: "*" for all files, "*.ext" otherwise.
std::wstring pattern(const CFileExtension& filter)
{
    const UTF8String& extension = filter.getExtension();
    if (extension.empty() || extension == "*")
        return L"*.*";
    return L"*." + toWide(extension);
}

std::wstring description(const CFileExtension& filter)
{
    return filter.getDescription().empty() ? pattern(filter) : toWide(filter.getDescription());
}

// Backslashes for the shell: a folder given with "/" still opens there.
std::wstring windowsPath(const UTF8String& path)
{
    std::wstring wide = toWide(path);
    for (wchar_t& c : wide) {
        if (c == L'/')
            c = L'\\';
    }
    return wide;
}

class FinishedDialog final : public IFileDialog
{
public:
    explicit FinishedDialog(FileDialogResult result) : result(std::move(result)) {}
    bool poll(FileDialogResult& out) override
    {
        out = result;
        return true;
    }
    void cancel() override { result.files.clear(); }

private:
    FileDialogResult result;
};

template <typename T>
struct Releaser
{
    T* object = nullptr;
    ~Releaser()
    {
        if (object)
            object->Release();
    }
};

// The common item dialog. False when it cannot be shown at all (then the older dialog runs).
bool runItemDialog(const FileDialogRequest& request, HWND owner, FileDialogResult& result)
{
    const bool save = request.kind == FileDialogRequest::kSaveFile;
    Releaser<::IFileDialog> dialog;
    if (FAILED(CoCreateInstance(save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr,
                                CLSCTX_INPROC_SERVER,
                                save ? IID_IFileSaveDialog : IID_IFileOpenDialog,
                                reinterpret_cast<void**>(&dialog.object))))
        return false;

    FILEOPENDIALOGOPTIONS options = 0;
    dialog.object->GetOptions(&options);
    options |= FOS_FORCEFILESYSTEM;
    if (request.kind == FileDialogRequest::kDirectory)
        options |= FOS_PICKFOLDERS;
    else if (!save)
        options |= FOS_FILEMUSTEXIST;
    if (request.multiple && !save)
        options |= FOS_ALLOWMULTISELECT;
    dialog.object->SetOptions(options);

    if (!request.title.empty())
        dialog.object->SetTitle(toWide(request.title).c_str());
    std::vector<std::wstring> names, patterns;
    for (const CFileExtension& filter : request.filters) {
        names.push_back(description(filter));
        patterns.push_back(pattern(filter));
    }
    std::vector<COMDLG_FILTERSPEC> specs;
    for (size_t i = 0; i < names.size(); ++i)
        specs.push_back({names[i].c_str(), patterns[i].c_str()});
    if (!specs.empty() && request.kind != FileDialogRequest::kDirectory) {
        dialog.object->SetFileTypes(UINT(specs.size()), specs.data());
        dialog.object->SetFileTypeIndex(1);
    }
    if (!request.initialDirectory.empty()) {
        Releaser<IShellItem> folder;
        if (SUCCEEDED(SHCreateItemFromParsingName(windowsPath(request.initialDirectory).c_str(), nullptr,
                                                  IID_IShellItem,
                                                  reinterpret_cast<void**>(&folder.object))))
            dialog.object->SetFolder(folder.object);
    }
    if (save && !request.defaultSaveName.empty())
        dialog.object->SetFileName(toWide(request.defaultSaveName).c_str());

    const HRESULT shown = dialog.object->Show(owner);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED))
        return true;
    if (FAILED(shown))
        return false;

    auto take = [&result](IShellItem* item) {
        PWSTR path = nullptr;
        if (item && SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
            result.files.push_back(fromWide(path));
            CoTaskMemFree(path);
        }
    };
    if (!save && request.multiple) {
        Releaser<IFileOpenDialog> open;
        Releaser<IShellItemArray> items;
        if (SUCCEEDED(dialog.object->QueryInterface(IID_IFileOpenDialog,
                                                    reinterpret_cast<void**>(&open.object))) &&
            SUCCEEDED(open.object->GetResults(&items.object))) {
            DWORD count = 0;
            items.object->GetCount(&count);
            for (DWORD i = 0; i < count; ++i) {
                Releaser<IShellItem> item;
                if (SUCCEEDED(items.object->GetItemAt(i, &item.object)))
                    take(item.object);
            }
        }
    } else {
        Releaser<IShellItem> item;
        if (SUCCEEDED(dialog.object->GetResult(&item.object)))
            take(item.object);
    }
    return true;
}

// The older common dialog, for systems without the item dialog (files only).
void runCommonDialog(const FileDialogRequest& request, HWND owner, FileDialogResult& result)
{
    if (request.kind == FileDialogRequest::kDirectory) {
        result.error = "The system's file dialog could not be shown.";
        return;
    }
    std::wstring filter;
    for (const CFileExtension& extension : request.filters)
        filter += description(extension) + L'\0' + pattern(extension) + L'\0';
    filter += L'\0';
    std::vector<wchar_t> buffer(32768, L'\0');
    const std::wstring name = toWide(request.defaultSaveName);
    name.copy(buffer.data(), std::min(name.size(), buffer.size() - 1));
    const std::wstring title = toWide(request.title);
    const std::wstring folder = windowsPath(request.initialDirectory);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = request.filters.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = DWORD(buffer.size());
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    const bool save = request.kind == FileDialogRequest::kSaveFile;
    if (!save)
        dialog.Flags |= OFN_FILEMUSTEXIST | (request.multiple ? OFN_ALLOWMULTISELECT : 0);
    if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog)))
        return;  // cancelled
    // Several files: the folder, then each name, each ending in a zero, then a second zero.
    const std::wstring first(buffer.data());
    const wchar_t* next = buffer.data() + first.size() + 1;
    if (!request.multiple || save || *next == 0) {
        result.files.push_back(fromWide(first.c_str()));
        return;
    }
    while (*next) {
        const std::wstring file(next);
        result.files.push_back(fromWide((first + L"\\" + file).c_str()));
        next += file.size() + 1;
    }
}

class Win32DialogFactory final : public IFileDialogFactory
{
public:
    std::unique_ptr<IFileDialog> start(const FileDialogRequest& request) override
    {
        FileDialogResult result;
        // The host's UI thread normally has COM already; a different model there is fine.
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        HWND owner = GetActiveWindow();
        if (!runItemDialog(request, owner, result)) {
            result = FileDialogResult();
            runCommonDialog(request, owner, result);
        }
        if (SUCCEEDED(com))
            CoUninitialize();
        return std::make_unique<FinishedDialog>(std::move(result));
    }
};

}  // namespace

std::shared_ptr<IFileDialogFactory> makeSystemFileDialogFactory()
{
    return std::make_shared<Win32DialogFactory>();
}

}  // namespace VSTGUI

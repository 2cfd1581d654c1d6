// Files dropped on a window on Windows: an OLE IDropTarget that accepts file lists (CF_HDROP)
// and hands their paths (UTF-8) to a handler, which says whether it took them.
// UI thread only (OLE calls it on the thread that registered it); not real-time safe.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <oleidl.h>

namespace VSTGUI {

class Win32DropTarget final : public IDropTarget
{
public:
    using DropHandler = std::function<bool(const std::vector<std::string>& paths)>;

    explicit Win32DropTarget(DropHandler onDrop) : onDropHandler(std::move(onDrop)) {}

    // Registers a new drop target for the window (OLE is started on the thread when needed);
    // null when the thread cannot take drops. unregister() undoes it.
    static Win32DropTarget* registerFor(HWND window, DropHandler onDrop);
    void unregister();

    // The paths of a CF_HDROP file list.
    static std::vector<std::string> droppedPaths(IDataObject* data);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL where, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL where, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL where, DWORD* effect) override;

private:
    DropHandler onDropHandler;
    HWND window = nullptr;
    ULONG references = 1;
    bool offersFiles = false;
    bool startedOle = false;
};

}  // namespace VSTGUI

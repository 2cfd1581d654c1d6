#include "ui/win32/Win32DropTarget.h"

#include "ui/win32/Win32Gdiplus.h"

#include <shellapi.h>

namespace VSTGUI {

namespace {
FORMATETC fileListFormat()
{
    return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}
}  // namespace

Win32DropTarget* Win32DropTarget::registerFor(HWND window, DropHandler onDrop)
{
    // Hosts start OLE on their UI thread for their own drag and drop; if this one has not,
    // the editor starts it (and ends it again when the window goes).
    const HRESULT ole = OleInitialize(nullptr);
    auto* target = new Win32DropTarget(std::move(onDrop));
    target->startedOle = SUCCEEDED(ole);
    if (FAILED(RegisterDragDrop(window, target))) {
        if (target->startedOle)
            OleUninitialize();
        target->Release();
        return nullptr;
    }
    target->window = window;
    return target;
}

void Win32DropTarget::unregister()
{
    const bool ole = startedOle;
    RevokeDragDrop(window);   // drops OLE's references
    Release();                // and the creator's
    if (ole)
        OleUninitialize();
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE Win32DropTarget::Release()
{
    const ULONG left = --references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect)
{
    FORMATETC format = fileListFormat();
    offersFiles = data && data->QueryGetData(&format) == S_OK;
    if (effect)
        *effect = offersFiles ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::DragOver(DWORD, POINTL, DWORD* effect)
{
    if (effect)
        *effect = offersFiles ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::DragLeave()
{
    offersFiles = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Win32DropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect)
{
    const std::vector<std::string> paths = droppedPaths(data);
    const bool taken = !paths.empty() && onDropHandler && onDropHandler(paths);
    if (effect)
        *effect = taken ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    offersFiles = false;
    return S_OK;
}

std::vector<std::string> Win32DropTarget::droppedPaths(IDataObject* data)
{
    std::vector<std::string> paths;
    FORMATETC format = fileListFormat();
    STGMEDIUM medium{};
    if (!data || FAILED(data->GetData(&format, &medium)))
        return paths;
    if (auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal))) {
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
            if (DragQueryFileW(drop, i, path.data(), UINT(path.size())) > 0)
                paths.push_back(fromWide(path.c_str()));
        }
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return paths;
}

}  // namespace VSTGUI

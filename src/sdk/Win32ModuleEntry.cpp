// The Windows module entry: the DLL's process-attach handler records the module instance
// handle, through which the editor finds the bundle's images. InitDll, ExitDll and
// GetPluginFactory are the shell's (src/shell/ModuleEntry.cpp), exported by the .def file.
// Threads: the loader calls DllMain under its lock; it only stores the handle.
#include "platform/ModulePath.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        Steinberg::Vst::setModuleHandle(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        Steinberg::Vst::setModuleHandle(nullptr);
    }
    return TRUE;
}

#pragma once
// The module's exported entry points (plain C names): InitDll/ExitDll as on Windows,
// ModuleEntry/ModuleExit as Linux hosts call them, and GetPluginFactory.
// Threads: the host's UI thread; GetPluginFactory may be called from several threads at once
// (the one-time building of the factory is guarded). Not real-time safe.
#include "platform/Export.h"
#include "pluginterfaces/base/ipluginbase.h"

// Fills the plug-in description (every call refills it with the same values); true.
ZEPHRA_EXPORT bool InitDll();
// Does nothing; the description stays filled. True.
ZEPHRA_EXPORT bool ExitDll();
// Records the library handle on the first of nested calls and fills the description as InitDll.
ZEPHRA_EXPORT bool ModuleEntry(void* sharedLibraryHandle);
// Matches one ModuleEntry; false when none is outstanding.
ZEPHRA_EXPORT bool ModuleExit();
// The module's one factory, created on the first call; later calls add a reference.
ZEPHRA_EXPORT Steinberg::IPluginFactory* GetPluginFactory();

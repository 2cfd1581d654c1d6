// Win32 implementation: the system's own PathFindExtensionW, so the plug-in agrees with the
// shell about what a file's extension is ("\" and "/" both separate folders).
#include "platform/PathExtension.h"

#include <windows.h>
#include <shlwapi.h>

namespace Steinberg {
namespace Vst {

std::u16string pathExtension(const std::u16string& path)
{
    const auto* text = reinterpret_cast<const wchar_t*>(path.c_str());
    const wchar_t* extension = PathFindExtensionW(text);
    if (!extension || *extension == 0)
        return {};
    return path.substr(size_t(extension - text));
}

} // namespace Vst
} // namespace Steinberg

// Win32 implementation of the path queries (GetFileAttributesW on the UTF-16 path).
#include "platform/PathInfo.h"

#include "platform/Text.h"

#include <windows.h>

namespace Steinberg {
namespace Vst {

PathKind pathKind(const std::u16string& path)
{
    if (path.empty() || path.find(u'\0') != std::u16string::npos)
        return PathKind::missing;
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(path.c_str()));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return PathKind::missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::folder : PathKind::other;
}

PathKind pathKind(const std::string& utf8Path)
{
    try {
        return pathKind(fromUtf8(utf8Path));
    } catch (const std::range_error&) {
        return PathKind::missing;
    }
}

std::string parentFolder(const std::string& utf8Path)
{
    const size_t slash = utf8Path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : utf8Path.substr(0, slash + 1);
}

} // namespace Vst
} // namespace Steinberg

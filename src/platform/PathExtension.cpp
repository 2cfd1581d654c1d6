#include "platform/PathExtension.h"

namespace Steinberg {
namespace Vst {

std::u16string pathExtension(const std::u16string& path)
{
    const size_t slash = path.find_last_of(u'/');
    const size_t componentStart = slash == std::u16string::npos ? 0 : slash + 1;
    const size_t dot = path.find_last_of(u'.');
    if (dot == std::u16string::npos || dot < componentStart)
        return {};
    return path.substr(dot);
}

} // namespace Vst
} // namespace Steinberg

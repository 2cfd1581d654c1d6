#include "platform/FileIdentity.h"

namespace Steinberg {
namespace Vst {

bool FileIdentity::operator<(const FileIdentity& o) const noexcept
{
    if (device != o.device) return device < o.device;
    if (fileNumber != o.fileNumber) return fileNumber < o.fileNumber;
    if (size != o.size) return size < o.size;
    if (modifiedSeconds != o.modifiedSeconds) return modifiedSeconds < o.modifiedSeconds;
    return modifiedNanoseconds < o.modifiedNanoseconds;
}

} // namespace Vst
} // namespace Steinberg

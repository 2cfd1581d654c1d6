#include "host/VectorStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

using namespace Steinberg;

namespace zephra {
namespace host {

namespace {
// A state larger than this is a runaway writer, not a state.
constexpr int64_t kMaxSize = int64_t{1} << 30;
}   // namespace

void VectorStream::limitReads(int64_t limit, LimitBehaviour behaviour) noexcept
{
    readLimit = limit < 0 ? -1 : limit;
    limitBehaviour = behaviour;
}

tresult PLUGIN_API VectorStream::read(void* buffer, int32 numBytes, int32* numBytesRead)
{
    if (numBytesRead)
        *numBytesRead = 0;
    if (numBytes < 0 || (numBytes > 0 && !buffer))
        return kInvalidArgument;
    int64_t end = static_cast<int64_t>(contents.size());
    if (readLimit >= 0 && readLimit < end)
        end = readLimit;
    const int64_t available = std::max<int64_t>(0, end - cursor);
    if (readLimit >= 0 && limitBehaviour == LimitBehaviour::Error && numBytes > available)
        return kResultFalse;
    const int32 count = static_cast<int32>(std::min<int64_t>(numBytes, available));
    if (count > 0)
        std::memcpy(buffer, contents.data() + cursor, static_cast<size_t>(count));
    cursor += count;
    if (numBytesRead)
        *numBytesRead = count;
    return kResultOk;
}

tresult PLUGIN_API VectorStream::write(void* buffer, int32 numBytes, int32* numBytesWritten)
{
    if (numBytesWritten)
        *numBytesWritten = 0;
    if (numBytes < 0 || (numBytes > 0 && !buffer))
        return kInvalidArgument;
    const int64_t end64 = cursor + numBytes;
    if (end64 > kMaxSize)
        return kOutOfMemory;
    const size_t end = static_cast<size_t>(end64);
    if (end > contents.size())
        contents.resize(end);
    if (numBytes > 0)
        std::memcpy(contents.data() + cursor, buffer, static_cast<size_t>(numBytes));
    cursor += numBytes;
    if (numBytesWritten)
        *numBytesWritten = numBytes;
    return kResultOk;
}

tresult PLUGIN_API VectorStream::seek(int64 pos, int32 mode, int64* result)
{
    int64_t base = 0;
    switch (mode) {
    case kIBSeekSet:
        base = 0;
        break;
    case kIBSeekCur:
        base = cursor;
        break;
    case kIBSeekEnd:
        base = static_cast<int64_t>(contents.size());
        break;
    default:
        return kInvalidArgument;
    }
    // Positions past the end are allowed (a later write fills the gap with zeros), negative
    // ones are not; overflow of base + pos counts as negative.
    if ((pos > 0 && base > std::numeric_limits<int64_t>::max() - pos) || base + pos < 0)
        return kResultFalse;
    cursor = base + pos;
    if (result)
        *result = cursor;
    return kResultOk;
}

tresult PLUGIN_API VectorStream::tell(int64* pos)
{
    if (!pos)
        return kInvalidArgument;
    *pos = cursor;
    return kResultOk;
}

tresult PLUGIN_API VectorStream::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IBStream::iid)) {
        *obj = static_cast<IBStream*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

}   // namespace host
}   // namespace zephra

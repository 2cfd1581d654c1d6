#include "host/ParameterChanges.h"

#include <algorithm>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace zephra {
namespace host {

ParameterValueQueue::ParameterValueQueue(int32 capacity) : points(static_cast<size_t>(std::max<int32>(capacity, 1))) {}

void ParameterValueQueue::reset(ParamID id) noexcept
{
    parameterId = id;
    pointCount = 0;
}

tresult PLUGIN_API ParameterValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (index < 0 || index >= pointCount)
        return kInvalidArgument;
    sampleOffset = points[static_cast<size_t>(index)].offset;
    value = points[static_cast<size_t>(index)].value;
    return kResultOk;
}

tresult PLUGIN_API ParameterValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    int32 position = 0;
    while (position < pointCount && points[static_cast<size_t>(position)].offset < sampleOffset)
        ++position;
    if (position < pointCount && points[static_cast<size_t>(position)].offset == sampleOffset) {
        points[static_cast<size_t>(position)].value = value;
        index = position;
        return kResultOk;
    }
    if (pointCount == static_cast<int32>(points.size()))
        return kResultFalse;
    for (int32 i = pointCount; i > position; --i)
        points[static_cast<size_t>(i)] = points[static_cast<size_t>(i - 1)];
    points[static_cast<size_t>(position)] = Point{sampleOffset, value};
    ++pointCount;
    index = position;
    return kResultOk;
}

tresult PLUGIN_API ParameterValueQueue::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IParamValueQueue::iid)) {
        *obj = static_cast<IParamValueQueue*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

ParameterChanges::ParameterChanges(int32 maxQueues, int32 maxPointsPerQueue)
{
    const int32 queueCount = std::max<int32>(maxQueues, 1);
    queues.reserve(static_cast<size_t>(queueCount));
    for (int32 i = 0; i < queueCount; ++i)
        queues.push_back(std::make_unique<ParameterValueQueue>(maxPointsPerQueue));
}

void ParameterChanges::clear() noexcept
{
    usedQueueCount = 0;
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || index >= usedQueueCount)
        return nullptr;
    return queues[static_cast<size_t>(index)].get();
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (int32 i = 0; i < usedQueueCount; ++i) {
        if (queues[static_cast<size_t>(i)]->getParameterId() == id) {
            index = i;
            return queues[static_cast<size_t>(i)].get();
        }
    }
    if (usedQueueCount == static_cast<int32>(queues.size()))
        return nullptr;
    ParameterValueQueue* queue = queues[static_cast<size_t>(usedQueueCount)].get();
    queue->reset(id);
    index = usedQueueCount++;
    return queue;
}

tresult PLUGIN_API ParameterChanges::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IParameterChanges::iid)) {
        *obj = static_cast<IParameterChanges*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

}   // namespace host
}   // namespace zephra

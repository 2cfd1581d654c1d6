#include "host/ParameterChanges.h"

#include <algorithm>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace zephra {
namespace host {

ParameterValueQueue::ParameterValueQueue(int32 capacity) : points_(static_cast<size_t>(std::max<int32>(capacity, 1))) {}

void ParameterValueQueue::reset(ParamID id) noexcept
{
    id_ = id;
    count_ = 0;
}

tresult PLUGIN_API ParameterValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (index < 0 || index >= count_)
        return kInvalidArgument;
    sampleOffset = points_[static_cast<size_t>(index)].offset;
    value = points_[static_cast<size_t>(index)].value;
    return kResultOk;
}

tresult PLUGIN_API ParameterValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    int32 position = 0;
    while (position < count_ && points_[static_cast<size_t>(position)].offset < sampleOffset)
        ++position;
    if (position < count_ && points_[static_cast<size_t>(position)].offset == sampleOffset) {
        points_[static_cast<size_t>(position)].value = value;
        index = position;
        return kResultOk;
    }
    if (count_ == static_cast<int32>(points_.size()))
        return kResultFalse;
    for (int32 i = count_; i > position; --i)
        points_[static_cast<size_t>(i)] = points_[static_cast<size_t>(i - 1)];
    points_[static_cast<size_t>(position)] = Point{sampleOffset, value};
    ++count_;
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
    queues_.reserve(static_cast<size_t>(queueCount));
    for (int32 i = 0; i < queueCount; ++i)
        queues_.push_back(std::make_unique<ParameterValueQueue>(maxPointsPerQueue));
}

void ParameterChanges::clear() noexcept
{
    count_ = 0;
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || index >= count_)
        return nullptr;
    return queues_[static_cast<size_t>(index)].get();
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (int32 i = 0; i < count_; ++i) {
        if (queues_[static_cast<size_t>(i)]->getParameterId() == id) {
            index = i;
            return queues_[static_cast<size_t>(i)].get();
        }
    }
    if (count_ == static_cast<int32>(queues_.size()))
        return nullptr;
    ParameterValueQueue* queue = queues_[static_cast<size_t>(count_)].get();
    queue->reset(id);
    index = count_++;
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

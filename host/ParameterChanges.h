#pragma once
// The host's parameter-change lists for one block: IParameterChanges with one IParamValueQueue
// per parameter ID. Storage is reserved up front, so filling and reading never allocate.
// Threads: filled and read on the audio thread. Real-time safe after construction.
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <memory>
#include <vector>

namespace zephra {
namespace host {

class ParameterValueQueue : public Steinberg::Vst::IParamValueQueue {
public:
    explicit ParameterValueQueue(Steinberg::int32 capacity);

    void reset(Steinberg::Vst::ParamID id) noexcept;   // empties the queue and sets its ID

    Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return parameterId; }
    Steinberg::int32 PLUGIN_API getPointCount() override { return pointCount; }
    // Out-of-range index: kInvalidArgument, outputs untouched.
    Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                           Steinberg::Vst::ParamValue& value) override;
    // Keeps points sorted by offset; a point at an offset already present replaces its value.
    // A full queue answers kResultFalse.
    Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value,
                                           Steinberg::int32& index) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    struct Point {
        Steinberg::int32 offset;
        Steinberg::Vst::ParamValue value;
    };
    Steinberg::Vst::ParamID parameterId = 0;
    std::vector<Point> points;   // capacity-sized; the first pointCount are in use
    Steinberg::int32 pointCount = 0;
};

class ParameterChanges : public Steinberg::Vst::IParameterChanges {
public:
    ParameterChanges(Steinberg::int32 maxQueues = 64, Steinberg::int32 maxPointsPerQueue = 64);

    void clear() noexcept;

    Steinberg::int32 PLUGIN_API getParameterCount() override { return usedQueueCount; }
    // Out-of-range index: null.
    Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
    // The queue of id, made if absent (index receives its position); null when all are in use.
    Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                  Steinberg::int32& index) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    std::vector<std::unique_ptr<ParameterValueQueue>> queues;   // the first usedQueueCount are in use
    Steinberg::int32 usedQueueCount = 0;
};

}   // namespace host
}   // namespace zephra

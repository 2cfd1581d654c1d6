#pragma once
// The host's IComponentHandler (and IComponentHandler2): records every beginEdit/performEdit/
// endEdit/restartComponent/setDirty the controller makes, with the calling thread, and answers
// kResultOk. Group edits and editor requests are not offered (kNotImplemented).
// Threads: any (the log is locked). Not real-time safe: recording allocates.
#include "host/HostRecords.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <mutex>
#include <vector>

namespace zephra {
namespace host {

class ComponentHandler : public Steinberg::Vst::IComponentHandler, public Steinberg::Vst::IComponentHandler2 {
public:
    ComponentHandler() = default;

    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                              Steinberg::Vst::ParamValue valueNormalized) override;
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;
    Steinberg::tresult PLUGIN_API setDirty(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API requestOpenEditor(Steinberg::FIDString) override
    {
        return Steinberg::kNotImplemented;
    }
    Steinberg::tresult PLUGIN_API startGroupEdit() override { return Steinberg::kNotImplemented; }
    Steinberg::tresult PLUGIN_API finishGroupEdit() override { return Steinberg::kNotImplemented; }

    std::vector<EditRecord> records() const;
    void clear();

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    void add(const EditRecord& record);

    mutable std::mutex mutex;
    std::vector<EditRecord> editRecords;
};

}   // namespace host
}   // namespace zephra

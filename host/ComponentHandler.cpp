#include "host/ComponentHandler.h"

#include "host/HostAllocationScope.h"

#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace zephra {
namespace host {

tresult PLUGIN_API ComponentHandler::beginEdit(ParamID id)
{
    add(EditRecord{EditRecord::Kind::BeginEdit, id, 0.0, 0, std::this_thread::get_id()});
    return kResultOk;
}

tresult PLUGIN_API ComponentHandler::performEdit(ParamID id, ParamValue valueNormalized)
{
    add(EditRecord{EditRecord::Kind::PerformEdit, id, valueNormalized, 0, std::this_thread::get_id()});
    return kResultOk;
}

tresult PLUGIN_API ComponentHandler::endEdit(ParamID id)
{
    add(EditRecord{EditRecord::Kind::EndEdit, id, 0.0, 0, std::this_thread::get_id()});
    return kResultOk;
}

tresult PLUGIN_API ComponentHandler::restartComponent(int32 flags)
{
    add(EditRecord{EditRecord::Kind::RestartComponent, 0, 0.0, flags, std::this_thread::get_id()});
    return kResultOk;
}

tresult PLUGIN_API ComponentHandler::setDirty(TBool state)
{
    add(EditRecord{EditRecord::Kind::SetDirty, 0, state ? 1.0 : 0.0, 0, std::this_thread::get_id()});
    return kResultOk;
}

std::vector<EditRecord> ComponentHandler::records() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return editRecords;
}

void ComponentHandler::clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    editRecords.clear();
}

void ComponentHandler::add(const EditRecord& record)
{
    HostAllocationScope scope;
    std::lock_guard<std::mutex> lock(mutex);
    editRecords.push_back(record);
}

tresult PLUGIN_API ComponentHandler::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IComponentHandler::iid)) {
        *obj = static_cast<IComponentHandler*>(this);
        return kResultOk;
    }
    if (FUnknownPrivate::iidEqual(iid, IComponentHandler2::iid)) {
        *obj = static_cast<IComponentHandler2*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

}   // namespace host
}   // namespace zephra

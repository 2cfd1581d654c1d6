#include "sdk/PluginFactory.h"

#include <cstring>

namespace Steinberg {

IMPLEMENT_REFCOUNT(CPluginFactory)

CPluginFactory::CPluginFactory(const PFactoryInfo& info) : factoryInfo(info)
{
    FUNKNOWN_CTOR
}

CPluginFactory::~CPluginFactory()
{
    FUNKNOWN_DTOR
}

tresult PLUGIN_API CPluginFactory::queryInterface(const TUID iid, void** obj)
{
    if (!obj)
        return kInvalidArgument;
    QUERY_INTERFACE(iid, obj, FUnknown::iid, IPluginFactory2)
    QUERY_INTERFACE(iid, obj, IPluginFactory::iid, IPluginFactory2)
    QUERY_INTERFACE(iid, obj, IPluginFactory2::iid, IPluginFactory2)
    *obj = nullptr;
    return kNoInterface;
}

bool CPluginFactory::registerClass(const PClassInfo2* info, CreateFunction createFunction,
                                   void* context)
{
    if (!info || !createFunction)
        return false;
    if (isClassRegistered(FUID::fromTUID(info->cid)))
        return false;
    classes.push_back(ClassEntry{*info, createFunction, context});
    return true;
}

bool CPluginFactory::isClassRegistered(const FUID& classId) const
{
    for (const ClassEntry& entry : classes) {
        if (FUID::fromTUID(entry.info.cid) == classId)
            return true;
    }
    return false;
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo(PFactoryInfo* info)
{
    if (!info)
        return kInvalidArgument;
    *info = factoryInfo;
    return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses()
{
    return static_cast<int32>(classes.size());
}

tresult PLUGIN_API CPluginFactory::getClassInfo(int32 index, PClassInfo* info)
{
    if (!info)
        return kInvalidArgument;
    if (index < 0 || index >= countClasses())
        return kInvalidArgument;
    const PClassInfo2& source = classes[static_cast<size_t>(index)].info;
    std::memcpy(info->cid, source.cid, sizeof(TUID));
    info->cardinality = source.cardinality;
    std::memcpy(info->category, source.category, sizeof(info->category));
    std::memcpy(info->name, source.name, sizeof(info->name));
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
    if (!info)
        return kInvalidArgument;
    if (index < 0 || index >= countClasses())
        return kInvalidArgument;
    *info = classes[static_cast<size_t>(index)].info;
    return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj)
{
    if (!obj)
        return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid)
        return kInvalidArgument;
    for (const ClassEntry& entry : classes) {
        if (std::memcmp(entry.info.cid, cid, sizeof(TUID)) != 0)
            continue;
        FUnknown* instance = entry.create(entry.context);
        if (!instance)
            return kOutOfMemory;
        // The creation function hands over one reference; the caller's reference comes from
        // queryInterface, so ours is released either way.
        tresult result = instance->queryInterface(iid, obj);
        instance->release();
        if (result != kResultOk)
            *obj = nullptr;
        return result == kResultOk ? kResultOk : kNoInterface;
    }
    return kNoInterface;
}

} // namespace Steinberg

#pragma once
// The class factory a VST3 module hands to the host: factory information plus a list of
// registered classes (PClassInfo2 records), each with a creation function.
//
// Threads: built and queried on the host's UI thread. Not real-time safe.
#include "pluginterfaces/base/ipluginbase.h"

#include <vector>

namespace Steinberg {

class CPluginFactory : public IPluginFactory2 {
public:
    using CreateFunction = FUnknown* (*)(void* context);

    explicit CPluginFactory(const PFactoryInfo& info);
    virtual ~CPluginFactory();

    // Adds a class; false for a null record or function, or a class ID already registered.
    bool registerClass(const PClassInfo2* info, CreateFunction createFunction,
                       void* context = nullptr);
    bool isClassRegistered(const FUID& classId) const;

    // IPluginFactory
    tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) SMTG_OVERRIDE;
    int32 PLUGIN_API countClasses() SMTG_OVERRIDE;
    tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) SMTG_OVERRIDE;
    tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) SMTG_OVERRIDE;
    // IPluginFactory2
    tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) SMTG_OVERRIDE;

    DECLARE_FUNKNOWN_METHODS

private:
    struct ClassEntry {
        PClassInfo2 info;
        CreateFunction create;
        void* context;
    };
    PFactoryInfo factoryInfo;
    std::vector<ClassEntry> classes;
};

} // namespace Steinberg

#include "shell/ClassFactory.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace Steinberg {
namespace Vst {

PFactoryInfo makeFactoryInfo(const PluginDescription& description)
{
    return PFactoryInfo(description.vendor.c_str(), description.url.c_str(),
                        description.email.c_str(), PFactoryInfo::kUnicode);
}

PClassInfo2 makeProcessorClassInfo(const PluginDescription& description)
{
    TUID cid;
    description.processorClassId.toTUID(cid);
    const std::string version = description.combinedVersion();
    // Not distributable: the sound reaches the processor by address, so processor and
    // controller must share one process.
    return PClassInfo2(cid, PClassInfo::kManyInstances, kVstAudioEffectClass,
                       description.name.c_str(), 0, description.category.c_str(),
                       "", version.c_str(), kClassSdkVersion);
}

PClassInfo2 makeControllerClassInfo(const PluginDescription& description)
{
    TUID cid;
    description.controllerClassId.toTUID(cid);
    const std::string name = description.name + " Controller";
    return PClassInfo2(cid, PClassInfo::kManyInstances, kVstComponentControllerClass,
                       name.c_str(), 0, "", "", description.version.c_str(), kClassSdkVersion);
}

} // namespace Vst
} // namespace Steinberg

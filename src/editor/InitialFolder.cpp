#include "editor/InitialFolder.h"

#include "platform/PathInfo.h"

namespace Steinberg {
namespace Vst {

std::string initialFontFolder(const std::string& loadedFontPath, const std::string& presetFolder,
                              const std::string& systemFolder, const std::string& homeFolder)
{
    const std::string fontFolder = parentFolder(loadedFontPath);
    for (const std::string* candidate : {&fontFolder, &presetFolder, &systemFolder, &homeFolder})
        if (!candidate->empty() && pathKind(*candidate) == PathKind::folder)
            return *candidate;
    return {};
}

} // namespace Vst
} // namespace Steinberg

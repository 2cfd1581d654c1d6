#include "editor/InitialFolder.h"

#include "platform/PathInfo.h"

namespace Steinberg {
namespace Vst {

const std::vector<std::string>& systemSoundFontFolders()
{
    static const std::vector<std::string> folders{"/usr/share/sounds/sf2", "/usr/share/sounds/sf3"};
    return folders;
}

std::string initialFontFolder(const std::string& loadedFontPath, const std::string& presetFolder,
                              const std::vector<std::string>& systemFolders, const std::string& homeFolder)
{
    std::vector<std::string> candidates{parentFolder(loadedFontPath), presetFolder};
    candidates.insert(candidates.end(), systemFolders.begin(), systemFolders.end());
    candidates.push_back(homeFolder);
    for (const std::string& candidate : candidates)
        if (!candidate.empty() && pathKind(candidate) == PathKind::folder)
            return candidate;
    return {};
}

} // namespace Vst
} // namespace Steinberg

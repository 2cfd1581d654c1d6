#include "UiTestSupport.h"

#include <sys/stat.h>

using namespace VSTGUI;

namespace zephra::test {

std::string builtResourceFolder()
{
    struct stat info{};
    const std::string folder = ZEPHRA_RESOURCE_FOLDER;
    return stat((folder + "/background.png").c_str(), &info) == 0 ? folder : std::string();
}

CMessageResult EndRecorder::notify(CBaseObject* sender, IdStringPtr message)
{
    if (message != CNewFileSelector::kSelectEndMessage)
        return kMessageUnknown;
    auto* selector = dynamic_cast<CNewFileSelector*>(sender);
    ++ends;
    files.clear();
    for (uint32_t i = 0; selector && i < selector->getNumSelectedFiles(); ++i)
        files.emplace_back(selector->getSelectedFile(i));
    error = selector ? selector->getErrorMessage() : "";
    return kMessageNotified;
}

}  // namespace zephra::test

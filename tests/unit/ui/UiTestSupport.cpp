#include "UiTestSupport.h"

#include <sys/stat.h>

namespace zephra::test {

std::string builtResourceFolder()
{
    struct stat info{};
    const std::string folder = ZEPHRA_RESOURCE_FOLDER;
    return stat((folder + "/background.png").c_str(), &info) == 0 ? folder : std::string();
}

}  // namespace zephra::test

#include "host/render/platform/AnonymousFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace zephra {
namespace render {

std::FILE* openAnonymousFile(std::string& error)
{
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/zephra-render-XXXXXX";
    const int fd = ::mkstemp(&pattern[0]);
    if (fd < 0) {
        error = "cannot create a temporary file for the render in \"" + pattern.substr(0, pattern.rfind('/')) +
                "\": " + std::strerror(errno);
        return nullptr;
    }
    ::unlink(pattern.c_str());   // nameless from now on: nothing is left behind, even on a kill
    std::FILE* file = ::fdopen(fd, "w+b");
    if (file == nullptr) {
        ::close(fd);
        error = std::string("cannot use the temporary file for the render: ") + std::strerror(errno);
        return nullptr;
    }
    return file;
}

}   // namespace render
}   // namespace zephra

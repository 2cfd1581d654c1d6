// The per-user settings file on POSIX systems: the XDG configuration folder, a file replaced
// by rename().
#include "platform/UserSettings.h"

#include "platform/Folders.h"
#include "platform/Text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Steinberg {
namespace Vst {

namespace {

bool narrowPath(const std::u16string& path, std::string& out)
{
    try {
        out = toUtf8(path);
    } catch (const std::range_error&) {
        return false;
    }
    return !out.empty() && out.find('\0') == std::string::npos;
}

// Makes every missing folder of the path up to its last "/".
bool makeParentFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

} // namespace

std::u16string userConfigFolder()
{
    const char* configured = std::getenv("XDG_CONFIG_HOME");
    if (configured && configured[0] == '/') {
        try {
            std::u16string folder = fromUtf8(configured);
            if (folder.back() != u'/')
                folder += u'/';
            return folder;
        } catch (const std::range_error&) {
            // not text: fall back to the default below
        }
    }
    const std::u16string home = homeFolder();
    return home.empty() ? home : home + u".config/";
}

std::u16string userSettingsPath(const std::u16string& vendor, const std::u16string& product,
                                const std::u16string& fileName)
{
    const std::u16string folder = userConfigFolder();
    return folder.empty() ? folder : folder + vendor + u"/" + product + u"/" + fileName;
}

bool replaceFile(const std::u16string& path, const std::string& bytes)
{
    std::string target;
    if (!narrowPath(path, target) || target[0] != '/' || !makeParentFolders(target))
        return false;
    const std::string temporary = target + ".new" + std::to_string(getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += size_t(n);
    }
    const bool complete = ::close(fd) == 0 && written == bytes.size();
    if (!complete || std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace Vst
} // namespace Steinberg

#include "platform/Folders.h"
#include "platform/Text.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace Steinberg {
namespace Vst {

namespace {

// An environment value as UTF-16; text that is no valid UTF-8 counts as unset.
bool wideFromBytes(const char* bytes, std::u16string& out)
{
    if (!bytes || !*bytes) return false;
    try {
        out = fromUtf8(bytes);
        return true;
    } catch (const std::range_error&) {
        return false;
    }
}

bool accountHome(std::u16string& out)
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size <= 0 || size > (1 << 20)) size = 16384;
    std::vector<char> buffer(static_cast<size_t>(size));
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return false;
    return wideFromBytes(found->pw_dir, out) && out[0] == u'/';
}

} // namespace

std::u16string homeFolder()
{
    std::u16string home;
    const bool known = (wideFromBytes(std::getenv("HOME"), home) && home[0] == u'/') ||
                       accountHome(home);
    if (!known) return {};
    while (home.size() > 1 && home.back() == u'/') home.pop_back();
    if (home.back() != u'/') home += u'/';
    return home;
}

std::u16string presetFolder(const std::u16string& vendor, const std::u16string& product)
{
    const std::u16string home = homeFolder();
    if (home.empty()) return {};
    return home + u".vst3/presets/" + vendor + u"/" + product + u"/";
}

} // namespace Vst
} // namespace Steinberg

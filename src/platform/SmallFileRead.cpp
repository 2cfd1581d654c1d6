// Reading a small file whole, through the platform's file layer (the same on every system).
#include "platform/File.h"
#include "platform/UserSettings.h"

namespace Steinberg {
namespace Vst {

bool readSmallFile(const std::u16string& path, std::string& bytes, size_t maxBytes)
{
    File file;
    if (!file.open(path))
        return false;
    bytes.assign(maxBytes + 1, '\0');
    int64_t got = 0;
    while (got < int64_t(bytes.size())) {
        const int64_t n = file.read(&bytes[size_t(got)], int64_t(bytes.size()) - got);
        if (n <= 0)
            break;
        got += n;
    }
    if (size_t(got) > maxBytes)
        return false;
    bytes.resize(size_t(got));
    return true;
}

} // namespace Vst
} // namespace Steinberg

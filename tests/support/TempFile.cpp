#include "support/TempFile.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace zephra {
namespace test {

TempFile::TempFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    char pattern[] = "/tmp/zephra-test-XXXXXX";
    folder = mkdtemp(pattern) ? pattern : "/tmp";
    path = folder + "/" + name;
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

TempFile::~TempFile()
{
    std::remove(path.c_str());
    rmdir(folder.c_str());
}

} // namespace test
} // namespace zephra

#pragma once
// A file written into a fresh temporary folder; the file and the folder go with the object.
// Threads: the test's thread. Not real-time safe.
#include <cstdint>
#include <string>
#include <vector>

namespace zephra {
namespace test {

class TempFile {
public:
    TempFile(const std::string& name, const std::vector<uint8_t>& bytes);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // The path as the plug-in's UTF-16 interfaces take it (the temporary paths are ASCII).
    std::u16string widePath() const { return std::u16string(path.begin(), path.end()); }

    std::string folder;
    std::string path;
};

} // namespace test
} // namespace zephra

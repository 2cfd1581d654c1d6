#pragma once
// Hands one fuzz input to the readers, which take a path: the bytes are written to a file
// private to this process, rewritten for every input.
// Threads: the fuzzing thread only. Not real-time safe.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace zephra {
namespace fuzz {

inline const std::string& inputPath()
{
    static const std::string path = "/tmp/zephra_fuzz_input_" + std::to_string(::getpid());
    return path;
}

inline std::u16string writeInput(const uint8_t* data, size_t size)
{
    const std::string& path = inputPath();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size != 0)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return std::u16string(path.begin(), path.end());
}

} // namespace fuzz
} // namespace zephra

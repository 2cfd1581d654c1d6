#include "FloatSpool.h"
#include "AnonymousFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace zephra {
namespace render {

namespace {

constexpr size_t kBufferFrames = 16384;

} // namespace

FloatSpool::~FloatSpool() {
    if (file_ != nullptr) std::fclose(file_);
}

bool FloatSpool::open(std::string& error) {
    file_ = openAnonymousFile(error);
    if (file_ == nullptr) return false;
    buffer_.reserve(2 * kBufferFrames);
    return true;
}

bool FloatSpool::consume(const float* left, const float* right, int32_t frameCount, std::string& error) {
    if (file_ == nullptr) {
        error = "the render's temporary file is not open";
        return false;
    }
    for (int32_t i = 0; i < frameCount; ++i) {
        for (float sample : {left[i], right[i]}) {
            if (!std::isfinite(sample)) {
                ++nonFinite_;
                sample = 0.f;
            }
            const float size = std::fabs(sample);
            peak_ = std::max(peak_, size);
            if (size > 1.f) ++above_;
            buffer_.push_back(sample);
        }
        if (buffer_.size() >= 2 * kBufferFrames && !flush(error)) return false;
    }
    frames_ += frameCount;
    return true;
}

bool FloatSpool::flush(std::string& error) {
    if (!buffer_.empty() && std::fwrite(buffer_.data(), sizeof(float), buffer_.size(), file_) != buffer_.size()) {
        error = std::string("writing the render's temporary file failed: ") + std::strerror(errno);
        return false;
    }
    buffer_.clear();
    return true;
}

bool FloatSpool::rewind(std::string& error) {
    if (file_ == nullptr || !flush(error)) {
        if (file_ == nullptr) error = "the render's temporary file is not open";
        return false;
    }
    if (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
        error = std::string("reading the render's temporary file failed: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool FloatSpool::read(float* out, int32_t frameCount, std::string& error) {
    const size_t wanted = 2 * static_cast<size_t>(frameCount);
    if (file_ == nullptr || std::fread(out, sizeof(float), wanted, file_) != wanted) {
        error = "the render's temporary file ended early";
        return false;
    }
    return true;
}

} // namespace render
} // namespace zephra

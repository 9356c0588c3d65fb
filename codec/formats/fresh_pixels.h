// Memory for a decoder to write a picture into whose pages cost nothing until written: a
// header's claim then costs only what the data really fills, and a file that fails after a
// few rows has spent a few rows. The picture then moves into a vector a band at a time, each
// band given back as soon as it is copied, so a good picture's peak stays about one picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pixmorrow::formats {

class FreshPixels {
public:
    // `bytes` of zeros; throws std::bad_alloc when they cannot be mapped.
    explicit FreshPixels(std::size_t bytes);
    ~FreshPixels();
    FreshPixels(const FreshPixels&) = delete;
    FreshPixels& operator=(const FreshPixels&) = delete;

    std::uint8_t* data() { return data_; }
    std::size_t size() const { return size_; }

    // Replaces `out` with the pixels and leaves this buffer empty.
    void moveInto(std::vector<std::uint8_t>& out);

private:
    void* base_ = nullptr;
    std::size_t length_ = 0;
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace pixmorrow::formats

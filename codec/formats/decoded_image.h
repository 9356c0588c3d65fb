#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace pixmorrow::formats {

// Images larger than this are refused before anything is allocated.
inline constexpr std::uint32_t kMaxSide = 65535;
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;

// A decoded picture: straight (not premultiplied) BGRA, 8 bits a channel, rows top-down,
// width * 4 bytes a row.
struct DecodedImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool hasAlpha = false;
    std::vector<std::uint8_t> bgra;
};

// Every format reader fails with this; what() is the text the user sees.
class DecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using Bytes = std::span<const std::uint8_t>;

}  // namespace pixmorrow::formats

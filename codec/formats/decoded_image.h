#pragma once

#include "formats/decode_error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pixmorrow::formats {

// A decoded picture: straight (not premultiplied) BGRA, 8 bits a channel, rows top-down,
// width * 4 bytes a row.
struct DecodedImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool hasAlpha = false;
    std::vector<std::uint8_t> bgra;
};

using Bytes = std::span<const std::uint8_t>;

}  // namespace pixmorrow::formats

// Encoders of premultiplied BGRA pixels into bytes held in memory.
#pragma once

#include "objects.h"

#include <cstdint>
#include <vector>

namespace pixmorrow::codec {

// Each throws std::runtime_error with the reason when it cannot encode.
std::vector<std::uint8_t> encodeJpeg(const PixelBuffer& pixels, int quality);
std::vector<std::uint8_t> encodePng(const PixelBuffer& pixels);
std::vector<std::uint8_t> encodeWebp(const PixelBuffer& pixels, int quality);

bool isOpaque(const PixelBuffer& pixels);

}  // namespace pixmorrow::codec

// Encoders of premultiplied BGRA pixels into bytes held in memory.
#pragma once

#include "objects.h"

#include <cstdint>
#include <vector>

namespace pixmorrow::codec {

// Each throws std::runtime_error with the reason when it cannot encode, and writes the
// blocks of `metadata` the format holds; without any, the bytes are those of a plain
// encoding.
std::vector<std::uint8_t> encodeJpeg(const PixelBuffer& pixels, int quality,
                                     const formats::ImageMetadata& metadata = {});
std::vector<std::uint8_t> encodePng(const PixelBuffer& pixels,
                                    const formats::ImageMetadata& metadata = {});
std::vector<std::uint8_t> encodeWebp(const PixelBuffer& pixels, int quality,
                                     const formats::ImageMetadata& metadata = {});

bool isOpaque(const PixelBuffer& pixels);
// Whether every pixel has blue, green and red alike.
bool isGray(const PixelBuffer& pixels);

}  // namespace pixmorrow::codec

// Pixel arithmetic: alpha conversions, the high-contrast filter and drawing.
#pragma once

#include "objects.h"

#include <cstddef>
#include <cstdint>

namespace pixmorrow::codec {

// Straight BGRA to premultiplied, in place. Returns true when every pixel is opaque.
bool premultiplyInPlace(std::uint8_t* bgra, std::size_t pixelCount);

// One row of premultiplied BGRA to straight BGRA.
void unpremultiplyRow(const std::uint8_t* src, std::uint8_t* dst, std::size_t pixelCount);

// One premultiplied BGRA pixel through the high-contrast filter, in place.
void applyHighContrast(const pmc_highcontrastconfig& config, std::uint8_t* bgra);

// Source-over drawing of src at (left, top) of dst, through filter when not null.
void drawPixels(PixelBuffer& dst, const PixelBuffer& src, long long left, long long top,
                const pmc_colorfilter* filter);

// Fills every pixel with one premultiplied value.
void fillPixels(PixelBuffer& dst, std::uint32_t premultipliedBgra);

}  // namespace pixmorrow::codec

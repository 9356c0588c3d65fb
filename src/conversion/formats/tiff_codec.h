#pragma once

#include "formats/decoded_image.h"
#include "formats/metadata.h"

#include <cstdint>
#include <vector>

namespace pixmorrow {

// TIFF through libtiff, from and to memory.

// The first page, in any photometric, depth and compression libtiff's RGBA reader handles.
// Throws formats::DecodeError("TIFF: ...") with its kind; libtiff gives no error numbers.
formats::DecodedImage decodeTiff(formats::Bytes data);

enum class TiffCompression { Lzw, Deflate };

// BGRA pixels (alpha dropped, rows top-down, `stride` bytes apart) as a 24-bit RGB TIFF with
// the horizontal predictor, with the profile (tag 34675) and XMP (tag 700) of `metadata`.
// Its EXIF block is not written: a TIFF file keeps EXIF as directories of its own, not as
// a block. Throws std::runtime_error.
std::vector<std::uint8_t> encodeTiff(const std::uint8_t* bgra, std::uint32_t width,
                                     std::uint32_t height, std::size_t stride,
                                     TiffCompression compression = TiffCompression::Lzw,
                                     const formats::ImageMetadata& metadata = {});

}  // namespace pixmorrow

#pragma once

#include "formats/decoded_image.h"

namespace pixmorrow::formats::detail {

// A device-independent bitmap: the info header at the start of `dib`. In a BMP file the
// pixels are at `pixelOffset` of `file`; in an icon (pixelOffset 0) they follow the palette,
// the height counts the AND mask too, and the mask is applied.
DecodedImage decodeDib(Bytes file, std::size_t headerOffset, std::size_t pixelOffset, bool icon);

// The size and bits a pixel that a DIB header states, without decoding; false when the
// header is unreadable.
bool peekDib(Bytes dib, std::uint32_t& width, std::uint32_t& height, int& bitsPerPixel);

}  // namespace pixmorrow::formats::detail

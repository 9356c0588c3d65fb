// Decoding encoded bytes into premultiplied pixels.
#pragma once

#include "objects.h"

#include "formats/decode_limits.h"
#include "formats/decoded_image.h"

#include <memory>

namespace pixmorrow::codec {

struct DecodedPicture {
    std::shared_ptr<PixelBuffer> pixels;
    // What the file says besides the pixels; its EXIF block as it suits the turned pixels.
    formats::ImageMetadata metadata;
};

// Decodes by content; throws formats::DecodeError with the reason when it cannot.
DecodedPicture decodeEncoded(formats::Bytes bytes);

// Readers of this library's own (libpng, libwebp); both give straight BGRA.
formats::DecodedImage decodePng(formats::Bytes bytes);
formats::DecodedImage decodeWebp(formats::Bytes bytes);

// Throws formats::DecodeError (formats::checkImageSize, named "Image") unless width x height
// may be allocated as a picture.
void checkDimensions(std::uint64_t width, std::uint64_t height);

}  // namespace pixmorrow::codec

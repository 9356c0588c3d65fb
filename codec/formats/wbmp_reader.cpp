// WBMP type 0: one bit a pixel, 1 white, rows padded to whole bytes.
#include "formats/readers.h"

#include <cstring>

namespace pixmorrow::formats {

namespace {

std::uint32_t readInt(Bytes data, std::size_t& at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 5; ++i) {
        if (at >= data.size())
            throw DecodeError("WBMP: truncated header", ErrorKind::Truncated);
        const std::uint8_t b = data[at++];
        if (value > (0xFFFFFFFFu >> 7))
            throw DecodeError("WBMP: invalid header", ErrorKind::Corrupt);
        value = value << 7 | (b & 0x7F);
        if (!(b & 0x80))
            return value;
    }
    throw DecodeError("WBMP: invalid header", ErrorKind::Corrupt);
}

}  // namespace

DecodedImage decodeWbmp(Bytes data) {
    if (data.size() < 2 || data[0] != 0)
        throw DecodeError("WBMP: not a type 0 WBMP file", ErrorKind::Unsupported);
    if (data[1] != 0)
        throw DecodeError("WBMP: unsupported header extension", ErrorKind::Unsupported);
    std::size_t at = 2;
    const std::uint32_t width = readInt(data, at);
    const std::uint32_t height = readInt(data, at);
    checkImageSize(width, height, "WBMP");
    const std::size_t stride = (std::size_t{width} + 7) / 8;
    const auto pixelBytes = checkedBytes(stride, height);
    if (!pixelBytes || data.size() - at < *pixelBytes)
        throw DecodeError("WBMP: truncated pixel data", ErrorKind::Truncated);
    DecodedImage image = allocateImage(width, height, "WBMP");
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = data.data() + at + y * stride;
        std::uint8_t* out = image.bgra.data() + std::size_t{y} * width * 4;
        for (std::uint32_t x = 0; x < width; ++x, out += 4) {
            const std::uint8_t v = (row[x / 8] >> (7 - x % 8) & 1) ? 255 : 0;
            out[0] = out[1] = out[2] = v;
            out[3] = 255;
        }
    }
    return image;
}

}  // namespace pixmorrow::formats

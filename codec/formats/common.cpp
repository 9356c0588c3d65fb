#include "formats/readers.h"

#include <cstring>
#include <string>
#include <utility>

namespace pixmorrow::formats {

namespace {

bool startsWith(Bytes data, const char* magic, std::size_t length) {
    return data.size() >= length && std::memcmp(data.data(), magic, length) == 0;
}

// WBMP's multi-byte integer: 7 bits a byte, high bit set on all but the last.
bool readWbmpInt(Bytes data, std::size_t& at, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 5; ++i) {
        if (at >= data.size())
            return false;
        const std::uint8_t b = data[at++];
        if (value > (0xFFFFFFFFu >> 7))
            return false;
        value = value << 7 | (b & 0x7F);
        if (!(b & 0x80))
            return true;
    }
    return false;
}

}  // namespace

bool looksLikeJpeg(Bytes data) {
    return startsWith(data, "\xFF\xD8\xFF", 3);
}
bool looksLikePng(Bytes data) {
    return startsWith(data, "\x89PNG\r\n\x1A\n", 8);
}
bool looksLikeGif(Bytes data) {
    return startsWith(data, "GIF87a", 6) || startsWith(data, "GIF89a", 6);
}
bool looksLikeWebP(Bytes data) {
    return data.size() >= 12 && startsWith(data, "RIFF", 4) &&
           std::memcmp(data.data() + 8, "WEBP", 4) == 0;
}
bool looksLikeBmp(Bytes data) {
    return startsWith(data, "BM", 2);
}
bool looksLikeIco(Bytes data) {
    // Type 1 is an icon, 2 a cursor; at least one entry.
    return data.size() >= 6 && data[0] == 0 && data[1] == 0 && (data[2] == 1 || data[2] == 2) &&
           data[3] == 0 && (data[4] != 0 || data[5] != 0);
}

bool looksLikeWbmp(Bytes data) {
    if (data.size() < 4 || data[0] != 0 || data[1] != 0)
        return false;
    std::size_t at = 2;
    std::uint32_t width = 0, height = 0;
    if (!readWbmpInt(data, at, width) || !readWbmpInt(data, at, height))
        return false;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return false;
    const auto need = checkedBytes((std::uint64_t{width} + 7) / 8, height);
    return need && data.size() - at >= *need;
}

namespace {

// One ordered list decides: the first signature that matches names the format and its
// reader (none for WebP, which the codec library reads itself).
struct Signature {
    bool (*matches)(Bytes);
    Format format;
    DecodedImage (*decode)(Bytes);
};

constexpr Signature kSignatures[] = {
    {looksLikeJpeg, Format::Jpeg, decodeJpeg}, {looksLikePng, Format::Png, decodePng},
    {looksLikeGif, Format::Gif, decodeGif},    {looksLikeWebP, Format::WebP, nullptr},
    {looksLikeBmp, Format::Bmp, decodeBmp},    {looksLikeIco, Format::Ico, decodeIco},
    {looksLikeWbmp, Format::Wbmp, decodeWbmp},
};

const Signature* signatureOf(Bytes data) {
    for (const Signature& signature : kSignatures) {
        if (signature.matches(data))
            return &signature;
    }
    return nullptr;
}

}  // namespace

Format sniffFormat(Bytes data) {
    const Signature* signature = signatureOf(data);
    return signature ? signature->format : Format::Unknown;
}

DecodedImage decodeByContent(Bytes data) {
    const Signature* signature = signatureOf(data);
    if (!signature)
        throw DecodeError("Unknown file format", ErrorKind::Unsupported);
    if (!signature->decode)
        throw DecodeError("WebP is not read here", ErrorKind::Unsupported);
    return signature->decode(data);
}

DecodedImage allocateImage(std::uint64_t width, std::uint64_t height, const char* formatName) {
    const std::size_t bytes = imageBytes(width, height, 4, formatName);
    DecodedImage image;
    image.width = static_cast<std::uint32_t>(width);
    image.height = static_cast<std::uint32_t>(height);
    image.bgra.assign(bytes, 0);
    return image;
}

DecodedImage applyOrientation(DecodedImage image, int orientation) {
    if (orientation < 2 || orientation > 8)
        return image;
    const std::uint32_t w = image.width, h = image.height;
    // 5 to 8 swap the sides.
    const bool swap = orientation >= 5;
    const std::uint32_t ow = swap ? h : w, oh = swap ? w : h;
    std::vector<std::uint8_t> out(image.bgra.size());
    const auto* src = reinterpret_cast<const std::uint32_t*>(image.bgra.data());
    auto* dst = reinterpret_cast<std::uint32_t*>(out.data());
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint32_t dx = 0, dy = 0;
            switch (orientation) {
                case 2:
                    dx = w - 1 - x;
                    dy = y;
                    break;  // mirrored
                case 3:
                    dx = w - 1 - x;
                    dy = h - 1 - y;
                    break;  // 180
                case 4:
                    dx = x;
                    dy = h - 1 - y;
                    break;  // flipped
                case 5:
                    dx = y;
                    dy = x;
                    break;  // transposed
                case 6:
                    dx = h - 1 - y;
                    dy = x;
                    break;  // 90 clockwise
                case 7:
                    dx = h - 1 - y;
                    dy = w - 1 - x;
                    break;  // transversed
                case 8:
                    dx = y;
                    dy = w - 1 - x;
                    break;  // 90 anticlockwise
            }
            std::uint32_t pixel;
            std::memcpy(&pixel, src + std::size_t{y} * w + x, 4);
            std::memcpy(dst + std::size_t{dy} * ow + dx, &pixel, 4);
        }
    }
    image.width = ow;
    image.height = oh;
    image.bgra = std::move(out);
    return image;
}

}  // namespace pixmorrow::formats

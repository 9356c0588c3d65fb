// Windows bitmaps: the file reader and the DIB decoder that icons share.
#include "formats/readers.h"

#include "byte_reader.h"
#include "dib.h"

#include <array>
#include <bit>
#include <cstring>

namespace pixmorrow::formats {

namespace detail {

namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;  // mask >> shift

    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (m == 0)
            return;
        shift = std::countr_zero(m);
        max = m >> shift;
    }
    std::uint8_t operator()(std::uint32_t v) const {
        if (max == 0)
            return 0;
        const std::uint64_t x = (v & mask) >> shift;
        return static_cast<std::uint8_t>((x * 255 + max / 2) / max);
    }
};

struct Header {
    std::uint32_t size = 0;
    std::int64_t width = 0, height = 0;
    int bpp = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t coloursUsed = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    bool haveMasks = false;
    std::size_t paletteAt = 0;  // after the header and any separate masks
    int paletteEntrySize = 4;
};

Header readHeader(const ByteReader& in, std::size_t at) {
    Header h;
    h.size = in.le32(at);
    if (h.size == 12) {
        h.width = in.le16(at + 4);
        h.height = static_cast<std::int16_t>(in.le16(at + 6));
        h.bpp = in.le16(at + 10);
        h.paletteEntrySize = 3;
        h.paletteAt = at + 12;
        return h;
    }
    if (h.size != 40 && h.size != 52 && h.size != 56 && h.size != 64 && h.size != 108 &&
        h.size != 124)
        throw DecodeError("BMP: unknown header size " + std::to_string(h.size),
                          ErrorKind::Unsupported);
    in.need(at, h.size);
    h.width = static_cast<std::int32_t>(in.le32(at + 4));
    h.height = static_cast<std::int32_t>(in.le32(at + 8));
    h.bpp = in.le16(at + 14);
    h.compression = in.le32(at + 16);
    h.coloursUsed = in.le32(at + 32);
    h.paletteAt = at + h.size;
    if (h.size == 64) {
        // OS/2 2.x numbers its compressions differently beyond RLE; only those are read.
        if (h.compression > kRle4)
            throw DecodeError("BMP: unsupported OS/2 compression", ErrorKind::Unsupported);
        return h;
    }
    if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
        h.haveMasks = true;
        if (h.size >= 52) {
            for (int i = 0; i < 3; ++i)
                h.masks[i] = in.le32(at + 40 + 4 * std::size_t(i));
            if (h.size >= 56)
                h.masks[3] = in.le32(at + 52);
        } else {
            const int count = h.compression == kAlphaBitFields ? 4 : 3;
            for (int i = 0; i < count; ++i)
                h.masks[i] = in.le32(at + 40 + 4 * std::size_t(i));
            h.paletteAt += 4 * std::size_t(count);
        }
    } else if (h.size >= 56 && h.compression == kRgb && (h.bpp == 16 || h.bpp == 32)) {
        // V3+ headers carry an alpha mask that also counts for plain 32-bit pixels.
        h.masks[3] = in.le32(at + 52);
    }
    return h;
}

std::uint64_t rowStride(std::uint64_t width, int bpp) {
    return (width * std::uint64_t(bpp) + 31) / 32 * 4;
}

// RLE4/RLE8 into palette indices; pixels the data skips keep the value 256 (transparent).
void decodeRle(const ByteReader& in, std::size_t at, std::size_t end, bool four,
               std::uint32_t width, std::uint32_t height, std::vector<std::uint16_t>& indices) {
    std::uint32_t x = 0, y = 0;  // y counts from the bottom row
    auto put = [&](std::uint16_t index) {
        if (x < width && y < height)
            indices[std::size_t{height - 1 - y} * width + x] = index;
        ++x;
    };
    while (at + 2 <= end && y < height) {
        const std::uint8_t count = in.u8(at), value = in.u8(at + 1);
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i)
                put(four ? (i & 1 ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return;
        } else if (value == 2) {  // delta
            if (at + 2 > end)
                break;
            x += in.u8(at);
            y += in.u8(at + 1);
            at += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            if (bytes > end - at)
                throw DecodeError("BMP: truncated RLE data", ErrorKind::Truncated);
            for (int i = 0; i < value; ++i) {
                const std::uint8_t b = in.u8(at + (four ? i / 2 : i));
                put(four ? (i & 1 ? b & 0x0F : b >> 4) : b);
            }
            at += (bytes + 1) & ~std::size_t{1};
        }
    }
}

}  // namespace

bool peekDib(Bytes dib, std::uint32_t& width, std::uint32_t& height, int& bitsPerPixel) {
    try {
        const ByteReader in(dib, "");
        const Header h = readHeader(in, 0);
        if (h.width <= 0 || h.height == 0)
            return false;
        width = static_cast<std::uint32_t>(h.width);
        height = static_cast<std::uint32_t>((h.height < 0 ? -h.height : h.height) / 2);
        bitsPerPixel = h.bpp;
        return true;
    } catch (const DecodeError&) {
        return false;
    }
}

DecodedImage decodeDib(Bytes file, std::size_t headerOffset, std::size_t pixelOffset, bool icon) {
    const ByteReader in(file, icon ? "ICO: truncated bitmap" : "BMP: truncated file");
    const Header h = readHeader(in, headerOffset);
    const bool bottomUp = h.height > 0;
    if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN)
        throw DecodeError("BMP: invalid image size (" + std::to_string(h.width) + " x " +
                              std::to_string(h.height) + ")",
                          ErrorKind::Corrupt);
    const std::uint64_t width = static_cast<std::uint64_t>(h.width);
    std::uint64_t height = static_cast<std::uint64_t>(h.height < 0 ? -h.height : h.height);
    if (icon)
        height /= 2;  // the AND mask is counted in
    checkImageSize(width, height, "BMP");

    const int bpp = h.bpp;
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        throw DecodeError("BMP: unsupported bits a pixel (" + std::to_string(bpp) + ")",
                          ErrorKind::Unsupported);
    if (h.compression != kRgb && !rle && !h.haveMasks)
        throw DecodeError("BMP: unsupported compression " + std::to_string(h.compression),
                          ErrorKind::Unsupported);
    if ((h.compression == kRle8 && bpp != 8) || (h.compression == kRle4 && bpp != 4))
        throw DecodeError("BMP: RLE compression with " + std::to_string(bpp) + " bits a pixel",
                          ErrorKind::Corrupt);
    if (rle && !bottomUp)
        throw DecodeError("BMP: top-down RLE bitmap", ErrorKind::Corrupt);
    if (h.haveMasks && bpp != 16 && bpp != 32)
        throw DecodeError("BMP: bit fields with " + std::to_string(bpp) + " bits a pixel",
                          ErrorKind::Corrupt);

    // The palette: bounded by 256, by the bits, and by the bytes before the pixels.
    std::array<std::uint8_t, 256 * 4> palette{};
    for (int i = 0; i < 256; ++i)
        palette[4 * i + 3] = 255;
    std::size_t paletteEntries = 0;
    if (bpp <= 8) {
        paletteEntries =
            h.coloursUsed == 0 || h.coloursUsed > (1u << bpp) ? (1u << bpp) : h.coloursUsed;
        const std::size_t limit =
            pixelOffset > h.paletteAt ? (pixelOffset - h.paletteAt) / h.paletteEntrySize : 0;
        if (!icon && paletteEntries > limit)
            paletteEntries = limit;
        if (in.size() > h.paletteAt) {
            const std::size_t available = (in.size() - h.paletteAt) / h.paletteEntrySize;
            if (paletteEntries > available)
                paletteEntries = available;
        } else {
            paletteEntries = 0;
        }
        for (std::size_t i = 0; i < paletteEntries; ++i) {
            const std::uint8_t* p = in.ptr(h.paletteAt + i * h.paletteEntrySize);
            palette[4 * i] = p[0];
            palette[4 * i + 1] = p[1];
            palette[4 * i + 2] = p[2];
        }
    } else if (h.coloursUsed > 0 && h.coloursUsed <= 256 && icon) {
        paletteEntries = h.coloursUsed;  // a palette before true-colour pixels is skipped
    }
    if (icon)
        pixelOffset = h.paletteAt + paletteEntries * h.paletteEntrySize;

    // The pixel data must be in the file before a picture of the header's size is made.
    const std::uint64_t stride = rowStride(width, bpp);
    const auto pixelBytes = checkedBytes(stride, height);
    if (rle) {
        if (pixelOffset > in.size())
            throw DecodeError("BMP: pixel data outside the file", ErrorKind::Truncated);
        checkDataCanHold(in.size() - pixelOffset, width * height, kRleMaxPixelsPerByte, width,
                         height, "BMP");
    } else if (pixelOffset > in.size() || !pixelBytes || in.size() - pixelOffset < *pixelBytes) {
        throw DecodeError(icon ? "ICO: truncated bitmap" : "BMP: truncated pixel data",
                          ErrorKind::Truncated);
    }

    DecodedImage image = allocateImage(width, height, "BMP");
    const std::uint32_t w = image.width, ht = image.height;
    auto outRow = [&](std::uint64_t fileRow) {
        const std::uint64_t y = bottomUp ? ht - 1 - fileRow : fileRow;
        return image.bgra.data() + y * w * 4;
    };
    bool anyAlpha = false;    // some pixel not fully clear
    bool anyPartial = false;  // some pixel not fully opaque

    if (rle) {
        std::vector<std::uint16_t> indices(std::size_t{w} * ht, 256);
        decodeRle(in, pixelOffset, in.size(), h.compression == kRle4, w, ht, indices);
        for (std::size_t i = 0; i < indices.size(); ++i) {
            if (indices[i] == 256) {
                anyAlpha = true;
                continue;  // left transparent
            }
            std::memcpy(image.bgra.data() + 4 * i, palette.data() + 4 * indices[i], 4);
        }
        image.hasAlpha = anyAlpha;
        return image;
    }

    Channel red, green, blue, alpha;
    if (bpp == 16 || bpp == 32) {
        if (h.haveMasks) {
            red = Channel(h.masks[0]);
            green = Channel(h.masks[1]);
            blue = Channel(h.masks[2]);
            alpha = Channel(h.masks[3]);
        } else if (bpp == 16) {
            red = Channel(0x7C00);
            green = Channel(0x03E0);
            blue = Channel(0x001F);
            alpha = Channel(h.masks[3]);
        } else {
            red = Channel(0x00FF0000);
            green = Channel(0x0000FF00);
            blue = Channel(0x000000FF);
            // Icons keep alpha in the fourth byte; files only when a header says so.
            alpha = Channel(icon ? 0xFF000000u : h.masks[3]);
        }
    }

    for (std::uint64_t r = 0; r < height; ++r) {
        const std::uint8_t* src = in.ptr(pixelOffset + static_cast<std::size_t>(r * stride));
        std::uint8_t* out = outRow(r);
        switch (bpp) {
            case 1:
            case 4:
            case 8: {
                const int mask = (1 << bpp) - 1;
                const int perByte = 8 / bpp;
                for (std::uint32_t x = 0; x < w; ++x) {
                    const int index =
                        src[x / perByte] >> (8 - bpp - static_cast<int>(x % perByte) * bpp) & mask;
                    std::memcpy(out + 4 * x, palette.data() + 4 * index, 4);
                }
                break;
            }
            case 24:
                for (std::uint32_t x = 0; x < w; ++x, src += 3, out += 4) {
                    out[0] = src[0];
                    out[1] = src[1];
                    out[2] = src[2];
                    out[3] = 255;
                }
                break;
            case 16:
            case 32:
                for (std::uint32_t x = 0; x < w; ++x, out += 4) {
                    std::uint32_t v;
                    if (bpp == 16) {
                        v = src[0] | src[1] << 8;
                        src += 2;
                    } else {
                        v = std::uint32_t{src[0]} | std::uint32_t{src[1]} << 8 |
                            std::uint32_t{src[2]} << 16 | std::uint32_t{src[3]} << 24;
                        src += 4;
                    }
                    out[0] = blue(v);
                    out[1] = green(v);
                    out[2] = red(v);
                    out[3] = alpha.mask ? alpha(v) : 255;
                    anyAlpha = anyAlpha || (alpha.mask && out[3] != 0);
                    anyPartial = anyPartial || out[3] != 255;
                }
                break;
        }
    }

    // An alpha channel that is zero everywhere was never meant: writers leave it blank.
    const bool alphaUsed = alpha.mask && anyAlpha;
    if (alpha.mask && !anyAlpha)
        for (std::size_t i = 3; i < image.bgra.size(); i += 4)
            image.bgra[i] = 255;
    image.hasAlpha = alphaUsed && anyPartial;

    if (icon && !alphaUsed) {
        // The AND mask: one bit a pixel, 1 transparent, after the colour pixels.
        const std::uint64_t maskStride = rowStride(width, 1);
        const std::uint64_t maskAt = pixelOffset + stride * height;
        if (maskAt <= in.size() && (in.size() - maskAt) / maskStride >= height) {
            for (std::uint64_t r = 0; r < height; ++r) {
                const std::uint8_t* src = in.ptr(static_cast<std::size_t>(maskAt + r * maskStride));
                std::uint8_t* out = outRow(r);
                for (std::uint32_t x = 0; x < w; ++x) {
                    if (src[x / 8] >> (7 - x % 8) & 1) {
                        out[4 * x + 3] = 0;
                        image.hasAlpha = true;
                    }
                }
            }
        }
    }
    return image;
}

}  // namespace detail

DecodedImage decodeBmp(Bytes data) {
    if (!looksLikeBmp(data))
        throw DecodeError("BMP: not a BMP file", ErrorKind::Unsupported);
    const detail::ByteReader in(data, "BMP: truncated file");
    const std::uint32_t pixelOffset = in.le32(10);
    return detail::decodeDib(data, 14, pixelOffset, false);
}

}  // namespace pixmorrow::formats

// PNG through libpng: every colour type and depth expanded to 8-bit BGRA.
#include "decode.h"

#include "formats/readers.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <optional>
#include <string>

namespace pixmorrow::codec {
namespace {

struct Reader {
    formats::Bytes bytes;
    std::size_t offset = 0;
    // The first failure; what reaches the caller.
    std::optional<formats::DecodeError> failure;
    // libpng refuses sides over its user limit as "Invalid IHDR data"; the header's own
    // numbers tell that this was the size.
    bool oversized = false;
};

// Whether the IHDR chunk right after the signature states a size over the limits.
bool statesOversize(formats::Bytes bytes) {
    if (bytes.size() < 24 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0)
        return false;
    auto be32 = [&](std::size_t at) {
        return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
               std::uint32_t{bytes[at + 2]} << 8 | std::uint32_t{bytes[at + 3]};
    };
    return !formats::withinLimits(be32(16), be32(20));
}

// checkPngDataCanHold's error, if any, as a value: the caller is in libpng's jump frame.
std::optional<formats::DecodeError> shortDataError(formats::Bytes bytes, std::uint32_t width,
                                                   std::uint32_t height, int bitsPerPixel,
                                                   bool interlaced) {
    try {
        formats::checkPngDataCanHold(bytes, width, height, bitsPerPixel, interlaced);
        return std::nullopt;
    } catch (const formats::DecodeError& e) {
        return e;
    }
}

// Whether a chunk before the image data claims more bytes than the file has left. libpng
// only warns that such a chunk is too large and then allocates its claimed length (up to
// 2 GB for a file of a hundred bytes) before finding the data missing.
bool chunkBeforeImageDataOverruns(formats::Bytes bytes) {
    std::size_t at = 8;
    while (bytes.size() - at >= 8) {
        const std::uint32_t length =
            std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
            std::uint32_t{bytes[at + 2]} << 8 | std::uint32_t{bytes[at + 3]};
        if (std::memcmp(bytes.data() + at + 4, "IDAT", 4) == 0 ||
            std::memcmp(bytes.data() + at + 4, "IEND", 4) == 0)
            return false;
        // The chunk's length, type and CRC fields around its data.
        if (length > bytes.size() - at - 8 || bytes.size() - at - 8 - length < 4)
            return true;
        at += std::size_t{length} + 12;
    }
    return false;
}

void readBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (length > r->bytes.size() - r->offset) {
        r->failure.emplace("PNG data is truncated", formats::ErrorKind::Truncated);
        png_longjmp(png, 1);
    }
    std::memcpy(out, r->bytes.data() + r->offset, length);
    r->offset += length;
}

// libpng's failures have a text but no number of their own.
void onError(png_structp png, png_const_charp message) {
    auto* r = static_cast<Reader*>(png_get_error_ptr(png));
    if (!r->failure)
        r->failure.emplace(std::string("PNG error: ") + message, r->oversized
                                                                     ? formats::ErrorKind::TooLarge
                                                                     : formats::ErrorKind::Library);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

}  // namespace

formats::DecodedImage decodePng(formats::Bytes bytes) {
    // libpng would end there too, through the same truncated read; here before it allocates.
    if (bytes.size() >= 8 && chunkBeforeImageDataOverruns(bytes))
        throw formats::DecodeError("PNG data is truncated", formats::ErrorKind::Truncated);
    Reader reader{bytes, 0, std::nullopt, statesOversize(bytes)};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, onError, onWarning);
    if (!png)
        throw formats::DecodeError("Out of memory", formats::ErrorKind::Library);
    png_infop info = png_create_info_struct(png);
    formats::DecodedImage image;
    std::vector<png_bytep> rows;
    // Nothing with a destructor may be created between setjmp and a longjmp back to it.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (!reader.failure)
            throw formats::DecodeError("PNG error", formats::ErrorKind::Library);
        throw *reader.failure;
    }
    if (!info)
        png_error(png, "out of memory");
    png_set_read_fn(png, &reader, readBytes);
    png_set_user_limits(png, formats::kMaxSide, formats::kMaxSide);
    png_set_chunk_malloc_max(png, 64u << 20);
    png_set_chunk_cache_max(png, 1000);
    // Ancillary chunks with a bad CRC are skipped rather than failing the picture.
    png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_QUIET_USE);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
    reader.failure = formats::imageSizeError(width, height, "PNG");
    if (!reader.failure)
        reader.failure = shortDataError(bytes, width, height, depth * png_get_channels(png, info),
                                        interlace != PNG_INTERLACE_NONE);
    if (reader.failure)
        png_error(png, "too large");
    image.hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{width} * 4)
        png_error(png, "unexpected row layout");

    image.width = width;
    image.height = height;
    image.bgra.resize(std::size_t{width} * height * 4);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = image.bgra.data() + std::size_t{y} * width * 4;
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return image;
}

}  // namespace pixmorrow::codec

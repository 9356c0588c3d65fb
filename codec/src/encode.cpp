#include "encode.h"

#include "pixels.h"

#include <jpeglib.h>
#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace pixmorrow::codec {
namespace {

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegExit(j_common_ptr info) {
    auto* failure = reinterpret_cast<JpegFailure*>(info->err);
    info->err->format_message(info, failure->message);
    std::longjmp(failure->jump, 1);
}

void jpegSilence(j_common_ptr, int) {}

struct PngWriter {
    std::vector<std::uint8_t> bytes;
    std::string error;
    // Decided before the library's jump point and kept here, out of registers.
    int colorType = PNG_COLOR_TYPE_RGB_ALPHA;
};

void pngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* w = static_cast<PngWriter*>(png_get_io_ptr(png));
    w->bytes.insert(w->bytes.end(), data, data + length);
}

void pngFlush(png_structp) {}

void pngError(png_structp png, png_const_charp message) {
    auto* w = static_cast<PngWriter*>(png_get_error_ptr(png));
    w->error = message;
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// An APP1 marker's payload: its identifier, then the block; empty when it does not fit in one
// marker.
std::vector<std::uint8_t> app1Payload(std::string_view id, const std::vector<std::uint8_t>& block) {
    constexpr std::size_t kMaxMarkerData = 65533;
    if (block.empty() || block.size() > kMaxMarkerData - id.size())
        return {};
    std::vector<std::uint8_t> payload(id.begin(), id.end());
    payload.insert(payload.end(), block.begin(), block.end());
    return payload;
}

// The WebP file with the blocks added as the extended format's chunks.
std::vector<std::uint8_t> withWebpChunks(const std::uint8_t* bytes, std::size_t size,
                                         const formats::ImageMetadata& metadata) {
    const WebPData bitstream{bytes, size};
    struct MuxFree {
        WebPMux* m;
        ~MuxFree() { WebPMuxDelete(m); }
    } mux{WebPMuxCreate(&bitstream, 1)};
    if (!mux.m)
        throw std::runtime_error("WebP encoding failed: the encoder's output cannot be extended");
    const std::pair<const char*, const std::vector<std::uint8_t>*> chunks[] = {
        {"ICCP", &metadata.icc}, {"EXIF", &metadata.exif}, {"XMP ", &metadata.xmp}};
    for (const auto& [fourcc, block] : chunks) {
        if (block->empty())
            continue;
        const WebPData data{block->data(), block->size()};
        if (WebPMuxSetChunk(mux.m, fourcc, &data, 1) != WEBP_MUX_OK)
            throw std::runtime_error("WebP encoding failed: out of memory");
    }
    WebPData assembled;
    WebPDataInit(&assembled);
    if (WebPMuxAssemble(mux.m, &assembled) != WEBP_MUX_OK)
        throw std::runtime_error("WebP encoding failed: out of memory");
    std::vector<std::uint8_t> out(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    return out;
}

const char* webpErrorText(WebPEncodingError error) {
    switch (error) {
        case VP8_ENC_ERROR_OUT_OF_MEMORY:
        case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY:
            return "out of memory";
        case VP8_ENC_ERROR_BAD_DIMENSION:
            return "WebP cannot hold a picture of this size (16383 pixels a side at most)";
        case VP8_ENC_ERROR_FILE_TOO_BIG:
            return "the picture is too large for a WebP file";
        default:
            return "the encoder failed";
    }
}

}  // namespace

bool isOpaque(const PixelBuffer& pixels) {
    const std::uint8_t* p = pixels.data() + 3;
    const std::size_t n = std::size_t{pixels.width} * pixels.height;
    unsigned all = 255;
    for (std::size_t i = 0; i < n; ++i)
        all &= p[i * 4];
    return all == 255;
}

bool isGray(const PixelBuffer& pixels) {
    const std::uint8_t* p = pixels.data();
    const std::size_t n = std::size_t{pixels.width} * pixels.height;
    for (std::size_t i = 0; i < n; ++i, p += 4) {
        if (p[0] != p[1] || p[1] != p[2])
            return false;
    }
    return true;
}

std::vector<std::uint8_t> encodeJpeg(const PixelBuffer& pixels, int quality,
                                     const formats::ImageMetadata& metadata) {
    const std::vector<std::uint8_t> exif =
        app1Payload(std::string_view("Exif\0\0", 6), metadata.exif);
    const std::vector<std::uint8_t> xmp =
        app1Payload(std::string_view("http://ns.adobe.com/xap/1.0/\0", 29), metadata.xmp);
    JpegFailure failure;
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = jpegExit;
    failure.manager.emit_message = jpegSilence;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    // A row to blend into only when there is transparency; nothing kept in a register is read
    // after a longjmp.
    std::vector<std::uint8_t> row(isOpaque(pixels) ? 0 : pixels.rowBytes());
    if (setjmp(failure.jump)) {
        jpeg_destroy_compress(&info);
        std::free(out);
        throw std::runtime_error(std::string("JPEG encoding failed: ") + failure.message);
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = pixels.width;
    info.image_height = pixels.height;
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    if (!exif.empty())
        jpeg_write_marker(&info, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
    if (!xmp.empty())
        jpeg_write_marker(&info, JPEG_APP0 + 1, xmp.data(), static_cast<unsigned>(xmp.size()));
    if (!metadata.icc.empty())
        jpeg_write_icc_profile(&info, metadata.icc.data(),
                               static_cast<unsigned>(metadata.icc.size()));
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* src =
            pixels.data() + std::size_t{info.next_scanline} * pixels.rowBytes();
        JSAMPROW line = const_cast<JSAMPROW>(src);
        if (!row.empty()) {
            // Premultiplied colour over white is the colour plus the white left uncovered.
            for (std::size_t i = 0; i < row.size(); i += 4) {
                const std::uint8_t cover = static_cast<std::uint8_t>(255 - src[i + 3]);
                row[i] = static_cast<std::uint8_t>(src[i] + cover);
                row[i + 1] = static_cast<std::uint8_t>(src[i + 1] + cover);
                row[i + 2] = static_cast<std::uint8_t>(src[i + 2] + cover);
                row[i + 3] = 255;
            }
            line = row.data();
        }
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> bytes(out, out + outSize);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

std::vector<std::uint8_t> encodePng(const PixelBuffer& pixels,
                                    const formats::ImageMetadata& metadata) {
    static char xmpKey[] = "XML:com.adobe.xmp";
    static char noText[] = "";
    png_text xmp{};
    xmp.compression = PNG_ITXT_COMPRESSION_NONE;
    xmp.key = xmpKey;
    // The PNG library measures the text with strlen, so it gets a terminated copy; an XMP
    // packet holding a NUL is not text and is left out.
    std::string xmpText(metadata.xmp.begin(), metadata.xmp.end());
    const bool xmpFits = !xmpText.empty() && xmpText.find('\0') == std::string::npos;
    xmp.text = xmpText.data();
    xmp.itxt_length = xmpText.size();
    xmp.lang = noText;
    xmp.lang_key = noText;
    PngWriter writer;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &writer, pngError, pngWarning);
    if (!png)
        throw std::runtime_error("PNG encoding failed: out of memory");
    png_infop info = png_create_info_struct(png);
    // An opaque picture goes without the alpha channel, and a gray one as gray unless its
    // profile is an RGB one (which a gray file cannot hold): the same pixels in fewer bytes.
    if (isOpaque(pixels)) {
        const bool grayProfile =
            metadata.icc.size() < 20 || std::memcmp(&metadata.icc[16], "GRAY", 4) == 0;
        writer.colorType = grayProfile && isGray(pixels) ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB;
    }
    // Opaque rows go to the library as they are (premultiplied is straight there).
    std::vector<std::uint8_t> row(writer.colorType == PNG_COLOR_TYPE_GRAY  ? pixels.width
                                  : writer.colorType == PNG_COLOR_TYPE_RGB ? 0
                                                                           : pixels.rowBytes());
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        throw std::runtime_error("PNG encoding failed: " + writer.error);
    }
    if (!info)
        png_error(png, "out of memory");
    png_set_write_fn(png, &writer, pngWrite, pngFlush);
    png_set_IHDR(png, info, pixels.width, pixels.height, 8, writer.colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // zlib's fastest level with every row's filter chosen for it: on photographs about three
    // times faster than level 6 and no larger, since the filters do most of the work.
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    if (!metadata.icc.empty()) {
        // A profile the PNG library finds unfit (another colour space than the file's) is left
        // out with a warning instead of failing the picture.
        png_set_benign_errors(png, 1);
        png_set_iCCP(png, info, "ICC Profile", PNG_COMPRESSION_TYPE_BASE, metadata.icc.data(),
                     static_cast<png_uint_32>(metadata.icc.size()));
    }
    if (!metadata.exif.empty())
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(metadata.exif.size()),
                       const_cast<png_bytep>(metadata.exif.data()));
    if (xmpFits)
        png_set_text(png, info, &xmp, 1);
    png_write_info(png, info);
    png_set_bgr(png);
    if (writer.colorType == PNG_COLOR_TYPE_RGB)
        png_set_filler(png, 0, PNG_FILLER_AFTER);  // the alpha byte is left out
    for (std::uint32_t y = 0; y < pixels.height; ++y) {
        const std::uint8_t* line = pixels.data() + std::size_t{y} * pixels.rowBytes();
        if (writer.colorType == PNG_COLOR_TYPE_GRAY) {
            for (std::uint32_t x = 0; x < pixels.width; ++x)
                row[x] = line[std::size_t{x} * 4];
            line = row.data();
        } else if (writer.colorType == PNG_COLOR_TYPE_RGB_ALPHA) {
            unpremultiplyRow(line, row.data(), pixels.width);
            line = row.data();
        }
        png_write_row(png, line);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::move(writer.bytes);
}

std::vector<std::uint8_t> encodeWebp(const PixelBuffer& pixels, int quality,
                                     const formats::ImageMetadata& metadata) {
    WebPConfig config;
    if (!WebPConfigInit(&config))
        throw std::runtime_error("WebP encoding failed: wrong libwebp version");
    // The command-line encoder's defaults (method 4) with the quality asked for; 100 keeps
    // every pixel exactly.
    if (quality >= 100) {
        config.lossless = 1;
        config.quality = 75;
    } else {
        config.quality = static_cast<float>(quality);
    }
    config.method = 4;
    config.thread_level = 1;
    if (pixels.width > WEBP_MAX_DIMENSION || pixels.height > WEBP_MAX_DIMENSION)
        throw std::runtime_error(std::string("WebP encoding failed: ") +
                                 webpErrorText(VP8_ENC_ERROR_BAD_DIMENSION));

    WebPPicture picture;
    if (!WebPPictureInit(&picture))
        throw std::runtime_error("WebP encoding failed: wrong libwebp version");
    struct PictureFree {
        WebPPicture* p;
        ~PictureFree() { WebPPictureFree(p); }
    } pictureFree{&picture};
    picture.width = static_cast<int>(pixels.width);
    picture.height = static_cast<int>(pixels.height);
    picture.use_argb = config.lossless;
    const int stride = static_cast<int>(pixels.rowBytes());
    bool imported;
    if (isOpaque(pixels)) {
        imported = WebPPictureImportBGRX(&picture, pixels.data(), stride);
    } else {
        std::vector<std::uint8_t> straight(pixels.rowBytes() * pixels.height);
        for (std::uint32_t y = 0; y < pixels.height; ++y)
            unpremultiplyRow(pixels.data() + std::size_t{y} * stride,
                             straight.data() + std::size_t{y} * stride, pixels.width);
        imported = WebPPictureImportBGRA(&picture, straight.data(), stride);
    }
    if (!imported)
        throw std::runtime_error(std::string("WebP encoding failed: ") +
                                 webpErrorText(picture.error_code));

    WebPMemoryWriter memory;
    WebPMemoryWriterInit(&memory);
    struct MemoryFree {
        WebPMemoryWriter* m;
        ~MemoryFree() { WebPMemoryWriterClear(m); }
    } memoryFree{&memory};
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &memory;
    if (!WebPEncode(&config, &picture))
        throw std::runtime_error(std::string("WebP encoding failed: ") +
                                 webpErrorText(picture.error_code));
    if (!metadata.empty())
        return withWebpChunks(memory.mem, memory.size, metadata);
    return std::vector<std::uint8_t>(memory.mem, memory.mem + memory.size);
}

}  // namespace pixmorrow::codec

// JPEG through libjpeg-turbo. libjpeg reports fatal errors through error_exit, which must not
// return: it jumps back here, and the failure becomes a DecodeError after libjpeg's state is
// destroyed. C++ objects that live across the jump are created before setjmp.
#include "formats/readers.h"

#include "formats/resample.h"

#include <jerror.h>
#include <jpeglib.h>
#include <cstdio>  // jpeglib.h needs FILE

#include <algorithm>
#include <csetjmp>
#include <memory>
#include <string>

namespace pixmorrow::formats {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    int code = 0;
};

[[noreturn]] void onError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    manager->code = manager->base.msg_code;
    std::longjmp(manager->jump, 1);
}

// Warnings go nowhere, except two: data ending before the image (decoding on would give a
// picture whose lower part libjpeg made up), and scans that code again what earlier scans
// coded (the way a small file makes libjpeg pass over a huge picture thousands of times).
void onMessage(j_common_ptr info, int level) {
    if (level < 0 &&
        (info->err->msg_code == JWRN_JPEG_EOF || info->err->msg_code == JWRN_BOGUS_PROGRESSION))
        onError(info);
}

// Real progressive files have ten or twenty scans; each scan costs a pass over the whole
// picture, so a file of many scans is refused before they add up.
constexpr int kMaxScans = 256;
// The error code for that, outside libjpeg's own message codes.
constexpr int kTooManyScans = -1;

void onProgress(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxScans) {
        reinterpret_cast<ErrorManager*>(info->err)->code = kTooManyScans;
        std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
    }
}

void silent(j_common_ptr) {}

static_assert(kNotAJpegFile.value == JERR_NO_SOI);

// How a libjpeg message code reads as a kind; the code itself travels with the error.
ErrorKind kindOf(int code) {
    switch (code) {
        case JERR_NO_SOI:
            return ErrorKind::Unsupported;
        case JWRN_JPEG_EOF:
        case JERR_INPUT_EOF:
        case JERR_INPUT_EMPTY:
            return ErrorKind::Truncated;
        case JERR_IMAGE_TOO_BIG:
        case JERR_NO_BACKING_STORE:  // the memory cap below was reached
        case JERR_OUT_OF_MEMORY:
            return ErrorKind::TooLarge;
        case JERR_BAD_PRECISION:
        case JERR_NOT_COMPILED:
        case JERR_CONVERSION_NOTIMPL:
        case JERR_EMPTY_IMAGE:  // DNL markers are not read
            return ErrorKind::Unsupported;
        default:
            return ErrorKind::Corrupt;
    }
}

DecodeError jpegError(int code) {
    if (code == kTooManyScans)
        return DecodeError("JPEG: too many scans (more than " + std::to_string(kMaxScans) + ")",
                           ErrorKind::Corrupt);
    return DecodeError("JPEG error #" + std::to_string(code), kindOf(code),
                       {CodeSource::Libjpeg, code});
}

struct Work {
    DecodedImage image;
    std::unique_ptr<std::uint8_t[]> cmykRow;
};

// Decodes `data`; with a request, at the libjpeg-turbo scale that still holds the planned
// size, then resampled to exactly that size (planned on the full picture as shown).
DecodedImage decodeJpegFor(Bytes data, const ResizeRequest* request) {
    // Everything that must survive a longjmp lives on the heap behind a pointer made first.
    auto work = std::make_unique<Work>();
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;
    errors.base.output_message = silent;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = onProgress;
    // jpeg_mem_src refuses an empty buffer with an error of its own; this is "not a JPEG".
    if (data.empty())
        throw jpegError(JERR_NO_SOI);

    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        throw jpegError(errors.code);
    }
    jpeg_create_decompress(&info);
    info.progress = &progress;
    // Progressive files keep every coefficient in memory; bound what a crafted header can ask.
    info.mem->max_memory_to_use = static_cast<long>(kMaxPixels * 6);
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);

    try {
        checkImageSize(info.image_width, info.image_height, "JPEG");
        // Huffman coding spends at least a bit on every block of a component its first scan
        // codes, so the data must have a bit for each block of the smallest component before
        // libjpeg makes (and zeroes) buffers of the header's size. Arithmetic coding has no
        // such floor.
        if (!info.arith_code) {
            std::uint64_t fewestBlocks = UINT64_MAX;
            for (int c = 0; c < info.num_components; ++c)
                fewestBlocks = std::min<std::uint64_t>(
                    fewestBlocks, std::uint64_t{info.comp_info[c].width_in_blocks} *
                                      info.comp_info[c].height_in_blocks);
            checkDataCanHold(data.size(), fewestBlocks, 8, info.image_width, info.image_height,
                             "JPEG");
        }
    } catch (...) {
        jpeg_destroy_decompress(&info);
        throw;
    }

    const int orientation = readExifOrientation(data);
    PixelSize target{info.image_width, info.image_height};
    if (request) {
        // Orientations 5 to 8 turn the picture a quarter: its shown sides are swapped.
        const bool turned = orientation >= 5 && orientation <= 8;
        const PixelSize stored{info.image_width, info.image_height};
        const PixelSize shown = turned ? PixelSize{stored.height, stored.width} : stored;
        target = plannedSize(shown, *request);
        const PixelSize storedTarget = turned ? PixelSize{target.height, target.width} : target;
        info.scale_num = 1;
        info.scale_denom = static_cast<unsigned>(jpegScaleDenominator(stored, storedTarget));
    }

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&info);

    DecodedImage& image = work->image;
    image.width = info.output_width;
    image.height = info.output_height;
    image.hasAlpha = false;
    image.bgra.resize(std::size_t{image.width} * image.height * 4);
    const std::size_t stride = std::size_t{image.width} * 4;
    if (cmyk)
        work->cmykRow.reset(new std::uint8_t[stride]);
    // Adobe's writers store CMYK inverted (0 is full ink) and say so with their marker.
    const bool inverted = info.saw_Adobe_marker;

    while (info.output_scanline < info.output_height) {
        std::uint8_t* out = image.bgra.data() + info.output_scanline * stride;
        JSAMPROW row = cmyk ? work->cmykRow.get() : out;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) {
            errors.code = JWRN_JPEG_EOF;
            std::longjmp(errors.jump, 1);
        }
        if (cmyk) {
            const std::uint8_t* in = work->cmykRow.get();
            for (std::uint32_t x = 0; x < image.width; ++x, in += 4, out += 4) {
                // Ink amounts inverted to "how much light": 255 is none.
                const int c = inverted ? in[0] : 255 - in[0];
                const int m = inverted ? in[1] : 255 - in[1];
                const int y = inverted ? in[2] : 255 - in[2];
                const int k = inverted ? in[3] : 255 - in[3];
                out[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
                out[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
                out[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
                out[3] = 255;
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);

    DecodedImage result = applyOrientation(std::move(work->image), orientation);
    if (!request)
        return result;
    return resampled(std::move(result), target);
}

}  // namespace

DecodedImage decodeJpeg(Bytes data) {
    return decodeJpegFor(data, nullptr);
}

DecodedImage decodeJpegResized(Bytes data, const ResizeRequest& request) {
    return decodeJpegFor(data, &request);
}

}  // namespace pixmorrow::formats

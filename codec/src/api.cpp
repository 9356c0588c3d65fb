// The C interface: argument checks, error texts and reference counts around the C++ parts.
#include "decode.h"
#include "encode.h"
#include "objects.h"
#include "pixels.h"

#include "formats/file_io.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <utility>

namespace pixmorrow::codec {
namespace {
thread_local std::string lastError;
thread_local formats::ErrorCause lastCause;

// The C numbering is the C++ one, so causes pass through as they are.
static_assert(PMC_ERROR_NONE == int(formats::ErrorKind::None));
static_assert(PMC_ERROR_TRUNCATED == int(formats::ErrorKind::Truncated));
static_assert(PMC_ERROR_TOO_LARGE == int(formats::ErrorKind::TooLarge));
static_assert(PMC_ERROR_UNSUPPORTED == int(formats::ErrorKind::Unsupported));
static_assert(PMC_ERROR_CORRUPT == int(formats::ErrorKind::Corrupt));
static_assert(PMC_ERROR_LIBRARY == int(formats::ErrorKind::Library));
static_assert(PMC_CODE_NONE == int(formats::CodeSource::None));
static_assert(PMC_CODE_LIBJPEG == int(formats::CodeSource::Libjpeg));
static_assert(PMC_CODE_ZLIB == int(formats::CodeSource::Zlib));
static_assert(PMC_CODE_LIBPNG == int(formats::CodeSource::Libpng));
static_assert(PMC_CODE_LIBWEBP == int(formats::CodeSource::Libwebp));
static_assert(PMC_CODE_LIBTIFF == int(formats::CodeSource::Libtiff));
static_assert(PMC_CODE_JXRLIB == int(formats::CodeSource::Jxrlib));
static_assert(PMC_CODE_LIBRSVG == int(formats::CodeSource::Librsvg));
}  // namespace

void setLastError(std::string text, formats::ErrorCause cause) {
    lastError = std::move(text);
    lastCause = cause;
}
void clearLastError() {
    lastError.clear();
    lastCause = {};
}
const char* lastErrorText() {
    return lastError.c_str();
}
const formats::ErrorCause& lastErrorCause() {
    return lastCause;
}

}  // namespace pixmorrow::codec

using namespace pixmorrow::codec;

namespace {

pmc_image* makeImage(std::shared_ptr<const PixelBuffer> pixels,
                     pixmorrow::formats::ImageMetadata metadata = {}) {
    auto* image = new pmc_image;
    image->pixels = std::move(pixels);
    image->metadata = std::move(metadata);
    return image;
}

pmc_image* makeImage(DecodedPicture picture) {
    return makeImage(std::move(picture.pixels), std::move(picture.metadata));
}

std::vector<std::uint8_t>* metadataBlock(pixmorrow::formats::ImageMetadata& metadata,
                                         pmc_metadata_kind kind) {
    switch (kind) {
        case PMC_METADATA_ICC:
            return &metadata.icc;
        case PMC_METADATA_EXIF:
            return &metadata.exif;
        case PMC_METADATA_XMP:
            return &metadata.xmp;
        default:
            return nullptr;
    }
}

// Runs body, turning any exception into the last error and `failed`.
template <typename Result, typename Body>
Result guarded(Result failed, Body&& body) {
    clearLastError();
    try {
        return body();
    } catch (const std::bad_alloc&) {
        setLastError("Out of memory", {pixmorrow::formats::ErrorKind::Library, {}});
    } catch (const pixmorrow::formats::DecodeError& e) {
        setLastError(e.what(), e.cause());
    } catch (const std::exception& e) {
        setLastError(e.what());
    } catch (...) {
        setLastError("Unexpected failure");
    }
    return failed;
}

// The reference counting entry points take null as "nothing to do".
template <typename T>
void refIfAny(const T* object) {
    if (object)
        object->ref();
}

template <typename T>
void unrefIfAny(const T* object) {
    if (object)
        object->unref();
}

// Checks what a caller's raster pixels are said to be (throwing the reason they are refused);
// true for opaque BGR 888, false for BGRA 8888.
bool checkedRasterInfo(const pmc_image_info* info, const void* pixels, size_t rowBytes) {
    if (!info || !pixels)
        throw std::runtime_error("No image info or no pixels");
    const bool bgra =
        info->color_type == PMC_COLORTYPE_BGRA_8888 &&
        (info->alpha_type == PMC_ALPHATYPE_PREMUL || info->alpha_type == PMC_ALPHATYPE_UNPREMUL);
    const bool bgr =
        info->color_type == PMC_COLORTYPE_BGR_888 && info->alpha_type == PMC_ALPHATYPE_OPAQUE;
    if ((!bgra && !bgr) || info->color_space)
        throw std::runtime_error(
            "Only BGRA 8888 (premultiplied or not) or opaque BGR 888 pixels without a colour "
            "space can be taken");
    if (info->width <= 0 || info->height <= 0)
        throw std::runtime_error("Image has no pixels");
    checkDimensions(std::uint32_t(info->width), std::uint32_t(info->height));
    if (rowBytes / (bgr ? 3 : 4) < std::size_t(info->width))
        throw std::runtime_error("Rows are too short for the width");
    return bgr;
}

}  // namespace

extern "C" {

PMC_API const char* pmc_last_error(void) {
    return lastErrorText();
}

PMC_API pmc_error_info pmc_last_error_info(void) {
    const pixmorrow::formats::ErrorCause& cause = lastErrorCause();
    return {static_cast<pmc_error_kind>(cause.kind),
            static_cast<pmc_code_source>(cause.code.source), cause.code.value};
}

PMC_API pmc_image* pmc_image_make_from_encoded_file(const char* path) {
    return guarded<pmc_image*>(nullptr, [&]() -> pmc_image* {
        if (!path || !*path)
            throw std::runtime_error("File name cannot be empty");
        const auto bytes = pixmorrow::formats::readWholeFile(path);
        return makeImage(decodeEncoded(bytes));
    });
}

PMC_API pmc_image* pmc_image_make_from_encoded_data(const void* data, size_t size) {
    return guarded<pmc_image*>(nullptr, [&]() -> pmc_image* {
        if (!data && size)
            throw std::runtime_error("No data");
        return makeImage(decodeEncoded({static_cast<const std::uint8_t*>(data), size}));
    });
}

PMC_API pmc_image* pmc_image_make_raster_copy(const pmc_image_info* info, const void* pixels,
                                              size_t rowBytes) {
    return guarded<pmc_image*>(nullptr, [&]() -> pmc_image* {
        const bool bgr = checkedRasterInfo(info, pixels, rowBytes);
        auto buffer = std::make_shared<PixelBuffer>();
        buffer->width = std::uint32_t(info->width);
        buffer->height = std::uint32_t(info->height);
        buffer->bytes.resize(buffer->rowBytes() * buffer->height);
        const auto* in = static_cast<const std::uint8_t*>(pixels);
        for (std::uint32_t y = 0; y < buffer->height; ++y) {
            const std::uint8_t* s = in + std::size_t{y} * rowBytes;
            std::uint8_t* d = buffer->data() + std::size_t{y} * buffer->rowBytes();
            if (!bgr) {
                std::memcpy(d, s, buffer->rowBytes());
                continue;
            }
            for (std::uint32_t x = 0; x < buffer->width; ++x, s += 3, d += 4) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                d[3] = 255;
            }
        }
        if (info->alpha_type == PMC_ALPHATYPE_UNPREMUL)
            premultiplyInPlace(buffer->data(), std::size_t{buffer->width} * buffer->height);
        return makeImage(std::move(buffer));
    });
}

PMC_API pmc_image* pmc_image_make_raster_data(const pmc_image_info* info, void* pixels,
                                              size_t rowBytes, pmc_raster_release_proc release,
                                              void* context) {
    // Whatever happens below, the pixels go back exactly once.
    std::function<void()> giveBack = [release, pixels, context] {
        if (release)
            release(pixels, context);
    };
    pmc_image* image = guarded<pmc_image*>(nullptr, [&]() -> pmc_image* {
        if (checkedRasterInfo(info, pixels, rowBytes))
            throw std::runtime_error("Only BGRA 8888 pixels can be used in place");
        if (rowBytes != std::size_t(info->width) * 4)
            throw std::runtime_error("Row bytes must be width x 4");
        auto buffer = std::make_shared<PixelBuffer>();
        buffer->width = std::uint32_t(info->width);
        buffer->height = std::uint32_t(info->height);
        buffer->lend(static_cast<std::uint8_t*>(pixels), std::exchange(giveBack, nullptr));
        if (info->alpha_type == PMC_ALPHATYPE_UNPREMUL)
            premultiplyInPlace(buffer->data(), std::size_t{buffer->width} * buffer->height);
        return makeImage(std::move(buffer));
    });
    if (giveBack)
        giveBack();
    return image;
}

PMC_API int32_t pmc_image_get_width(const pmc_image* image) {
    return image ? static_cast<int32_t>(image->pixels->width) : 0;
}

PMC_API int32_t pmc_image_get_height(const pmc_image* image) {
    return image ? static_cast<int32_t>(image->pixels->height) : 0;
}

PMC_API bool pmc_image_read_pixels(const pmc_image* image, pmc_alphatype alphaType, void* dst,
                                   size_t dstRowBytes) {
    return guarded(false, [&] {
        if (!image || !dst)
            throw std::runtime_error("No image or no destination");
        const PixelBuffer& p = *image->pixels;
        if (dstRowBytes < p.rowBytes())
            throw std::runtime_error("Destination rows are too short");
        if (alphaType != PMC_ALPHATYPE_PREMUL && alphaType != PMC_ALPHATYPE_UNPREMUL)
            throw std::runtime_error("Unsupported alpha type");
        auto* out = static_cast<std::uint8_t*>(dst);
        for (std::uint32_t y = 0; y < p.height; ++y) {
            const std::uint8_t* src = p.data() + std::size_t{y} * p.rowBytes();
            if (alphaType == PMC_ALPHATYPE_PREMUL)
                std::memcpy(out + y * dstRowBytes, src, p.rowBytes());
            else
                unpremultiplyRow(src, out + y * dstRowBytes, p.width);
        }
        return true;
    });
}

PMC_API const void* pmc_image_peek_pixels(const pmc_image* image) {
    return image ? image->pixels->data() : nullptr;
}

PMC_API bool pmc_image_encode_to_file(const pmc_image* image, const char* path,
                                      pmc_encodedimageformat format, int32_t quality) {
    return guarded(false, [&] {
        if (!image)
            throw std::runtime_error("No image");
        if (!path || !*path)
            throw std::runtime_error("File name cannot be empty");
        const int q = std::clamp<int32_t>(quality, 0, 100);
        std::vector<std::uint8_t> bytes;
        switch (format) {
            case PMC_FORMAT_JPEG:
                bytes = encodeJpeg(*image->pixels, q, image->metadata);
                break;
            case PMC_FORMAT_PNG:
                bytes = encodePng(*image->pixels, image->metadata);
                break;
            case PMC_FORMAT_WEBP:
                bytes = encodeWebp(*image->pixels, q, image->metadata);
                break;
            default:
                throw std::runtime_error("This format cannot be written (" +
                                         std::to_string(int(format)) + ")");
        }
        pixmorrow::formats::writeFileNoReplace(path, bytes);
        return true;
    });
}

PMC_API const void* pmc_image_get_metadata(const pmc_image* image, pmc_metadata_kind kind,
                                           size_t* size) {
    if (size)
        *size = 0;
    if (!image)
        return nullptr;
    const std::vector<std::uint8_t>* block =
        metadataBlock(const_cast<pixmorrow::formats::ImageMetadata&>(image->metadata), kind);
    if (!block || block->empty())
        return nullptr;
    if (size)
        *size = block->size();
    return block->data();
}

PMC_API bool pmc_image_set_metadata(pmc_image* image, pmc_metadata_kind kind, const void* data,
                                    size_t size) {
    return guarded(false, [&] {
        if (!image)
            throw std::runtime_error("No image");
        std::vector<std::uint8_t>* block = metadataBlock(image->metadata, kind);
        if (!block)
            throw std::runtime_error("Unknown metadata kind (" + std::to_string(int(kind)) + ")");
        if (!data && size)
            throw std::runtime_error("No data");
        block->clear();
        if (size == 0)
            return true;
        const pixmorrow::formats::Bytes bytes(static_cast<const std::uint8_t*>(data), size);
        if (size > pixmorrow::formats::kMaxMetadataBytes)
            throw std::runtime_error("The block is larger than 4 MiB");
        switch (kind) {
            case PMC_METADATA_ICC:
                if (!pixmorrow::formats::checkedIccProfile(bytes))
                    throw std::runtime_error("The colour profile is damaged");
                block->assign(bytes.begin(), bytes.end());
                break;
            case PMC_METADATA_EXIF:
                *block = pixmorrow::formats::exifForOutput(bytes);
                if (block->empty())
                    throw std::runtime_error("The EXIF block is damaged");
                break;
            case PMC_METADATA_XMP:
                block->assign(bytes.begin(), bytes.end());
                break;
            default:  // refused by metadataBlock above
                break;
        }
        return true;
    });
}

PMC_API void pmc_image_ref(const pmc_image* image) {
    refIfAny(image);
}

PMC_API void pmc_image_unref(const pmc_image* image) {
    unrefIfAny(image);
}

PMC_API pmc_surface* pmc_surface_make_raster(const pmc_image_info* info, size_t rowBytes,
                                             const void* props) {
    return guarded<pmc_surface*>(nullptr, [&]() -> pmc_surface* {
        if (!info)
            throw std::runtime_error("No image info");
        if (props)
            throw std::runtime_error("Surface properties are not supported");
        if (info->color_type != PMC_COLORTYPE_BGRA_8888 ||
            info->alpha_type != PMC_ALPHATYPE_PREMUL || info->color_space)
            throw std::runtime_error(
                "Only premultiplied BGRA 8888 surfaces without a colour space are supported");
        if (info->width <= 0 || info->height <= 0)
            throw std::runtime_error("Surface has no pixels");
        checkDimensions(std::uint32_t(info->width), std::uint32_t(info->height));
        if (rowBytes != std::size_t(info->width) * 4)
            throw std::runtime_error("Row bytes must be width x 4");
        auto pixels = std::make_shared<PixelBuffer>();
        pixels->width = std::uint32_t(info->width);
        pixels->height = std::uint32_t(info->height);
        pixels->bytes.assign(pixels->rowBytes() * pixels->height, 0);
        auto* surface = new pmc_surface;
        surface->pixels = std::move(pixels);
        surface->canvas.surface = surface;
        return surface;
    });
}

PMC_API pmc_canvas* pmc_surface_get_canvas(pmc_surface* surface) {
    return surface ? &surface->canvas : nullptr;
}

PMC_API pmc_image* pmc_surface_make_image_snapshot(pmc_surface* surface) {
    return guarded<pmc_image*>(nullptr, [&]() -> pmc_image* {
        if (!surface)
            throw std::runtime_error("No surface");
        return makeImage(surface->pixels);
    });
}

PMC_API const void* pmc_surface_peek_pixels(const pmc_surface* surface) {
    return surface ? surface->pixels->data() : nullptr;
}

PMC_API void pmc_surface_ref(const pmc_surface* surface) {
    refIfAny(surface);
}

PMC_API void pmc_surface_unref(const pmc_surface* surface) {
    unrefIfAny(surface);
}

PMC_API void pmc_canvas_clear(pmc_canvas* canvas, uint32_t color) {
    guarded(false, [&] {
        if (!canvas || !canvas->surface)
            return false;
        const unsigned a = color >> 24, r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF,
                       b = color & 0xFF;
        auto premul = [a](unsigned c) { return (c * a + 127) / 255; };
        const std::uint32_t value = premul(b) | premul(g) << 8 | premul(r) << 16 | a << 24;
        fillPixels(canvas->surface->writablePixels(), value);
        return true;
    });
}

PMC_API void pmc_canvas_draw_image(pmc_canvas* canvas, const pmc_image* image, float x, float y,
                                   const pmc_sampling_options* sampling, const pmc_paint* paint) {
    guarded(false, [&] {
        if (!canvas || !canvas->surface || !image)
            throw std::runtime_error("No canvas or no image");
        if (sampling &&
            (sampling->filter != PMC_FILTER_NEAREST || sampling->mipmap != PMC_MIPMAP_NONE))
            throw std::runtime_error("Only nearest sampling without mipmaps is supported");
        if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e9f || std::fabs(y) > 1e9f)
            return false;
        // Nearest sampling at a fractional offset picks the pixel whose centre is nearest.
        const long long left = static_cast<long long>(std::ceil(x - 0.5f));
        const long long top = static_cast<long long>(std::ceil(y - 0.5f));
        // Drawing a snapshot of this very surface onto it reads the pixels as they were.
        std::shared_ptr<const PixelBuffer> source = image->pixels;
        drawPixels(canvas->surface->writablePixels(), *source, left, top,
                   paint ? paint->filter : nullptr);
        return true;
    });
}

PMC_API pmc_paint* pmc_paint_create(void) {
    return guarded<pmc_paint*>(nullptr, [] { return new pmc_paint; });
}

PMC_API void pmc_paint_destroy(pmc_paint* paint) {
    delete paint;
}

PMC_API void pmc_paint_set_color_filter(pmc_paint* paint, pmc_colorfilter* filter) {
    if (!paint)
        return;
    if (filter)
        filter->ref();
    if (paint->filter)
        paint->filter->unref();
    paint->filter = filter;
}

PMC_API pmc_colorfilter* pmc_colorfilter_make_high_contrast(const pmc_highcontrastconfig* config) {
    return guarded<pmc_colorfilter*>(nullptr, [&]() -> pmc_colorfilter* {
        if (!config)
            throw std::runtime_error("No filter settings");
        if (config->invert_style < PMC_INVERT_NONE || config->invert_style > PMC_INVERT_LIGHTNESS ||
            !(config->contrast >= -1.0f && config->contrast <= 1.0f))
            throw std::runtime_error("Invalid high-contrast settings");
        auto* filter = new pmc_colorfilter;
        filter->config = *config;
        return filter;
    });
}

PMC_API void pmc_colorfilter_ref(const pmc_colorfilter* filter) {
    refIfAny(filter);
}

PMC_API void pmc_colorfilter_unref(const pmc_colorfilter* filter) {
    unrefIfAny(filter);
}

}  // extern "C"

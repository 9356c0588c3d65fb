// WebP through libwebp; an animation gives its first frame composed on its canvas.
#include "decode.h"

#include "formats/fresh_pixels.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>

namespace pixmorrow::codec {
namespace {

constexpr const char* kDamaged = "WebP data is damaged or truncated";
constexpr const char* kDamagedAnimation = "WebP animation is damaged or truncated";

formats::ErrorKind kindOf(VP8StatusCode status) {
    switch (status) {
        case VP8_STATUS_NOT_ENOUGH_DATA:
            return formats::ErrorKind::Truncated;
        case VP8_STATUS_UNSUPPORTED_FEATURE:
            return formats::ErrorKind::Unsupported;
        case VP8_STATUS_BITSTREAM_ERROR:
            return formats::ErrorKind::Corrupt;
        default:
            return formats::ErrorKind::Library;
    }
}

[[noreturn]] void fail(const char* text, VP8StatusCode status) {
    throw formats::DecodeError(text, kindOf(status),
                               {formats::CodeSource::Libwebp, static_cast<int>(status)});
}

// Decodes `bytes` (a whole file, or one frame of an animation) into `out`, rows `stride`
// apart. Incrementally: the decoder stops where the data ends instead of going on over a
// picture it cannot fill, so with fresh memory a short file costs only the rows it has.
void decodeInto(formats::Bytes bytes, std::uint8_t* out, std::size_t stride, std::size_t size,
                const char* damaged) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        throw formats::DecodeError("WebP decoder is unavailable", formats::ErrorKind::Library);
    config.output.colorspace = MODE_BGRA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = out;
    config.output.u.RGBA.stride = static_cast<int>(stride);
    config.output.u.RGBA.size = size;
    std::unique_ptr<WebPIDecoder, decltype(&WebPIDelete)> decoder(WebPIDecode(nullptr, 0, &config),
                                                                  WebPIDelete);
    if (!decoder)
        throw formats::DecodeError("WebP decoder is unavailable", formats::ErrorKind::Library);
    VP8StatusCode status = WebPIUpdate(decoder.get(), bytes.data(), bytes.size());
    decoder.reset();
    WebPFreeDecBuffer(&config.output);
    // Waiting for more data means the data ended before the picture did.
    if (status == VP8_STATUS_SUSPENDED)
        status = VP8_STATUS_NOT_ENOUGH_DATA;
    if (status != VP8_STATUS_OK)
        fail(damaged, status);
}

// The first frame composed on its canvas, as the animation decoder of libwebp gives it: the
// first frame is a key frame on a transparent canvas, neither blended nor disposed. Done
// here so that the canvas is fresh memory and nothing but the decoded pixels touches it.
formats::DecodedImage decodeFirstFrame(formats::Bytes bytes) {
    WebPData data{bytes.data(), bytes.size()};
    std::unique_ptr<WebPDemuxer, decltype(&WebPDemuxDelete)> demux(WebPDemux(&data),
                                                                   WebPDemuxDelete);
    if (!demux)
        throw formats::DecodeError(kDamagedAnimation, formats::ErrorKind::Corrupt);
    const std::uint32_t width = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH);
    const std::uint32_t height = WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT);
    checkDimensions(width, height);
    WebPIterator frame;
    if (!WebPDemuxGetFrame(demux.get(), 1, &frame))
        throw formats::DecodeError("WebP animation has no readable frame",
                                   formats::ErrorKind::Corrupt);
    std::unique_ptr<WebPIterator, decltype(&WebPDemuxReleaseIterator)> release(
        &frame, WebPDemuxReleaseIterator);
    const auto x = static_cast<std::uint64_t>(frame.x_offset);
    const auto y = static_cast<std::uint64_t>(frame.y_offset);
    const auto w = static_cast<std::uint64_t>(frame.width);
    const auto h = static_cast<std::uint64_t>(frame.height);
    if (frame.x_offset < 0 || frame.y_offset < 0 || w == 0 || h == 0 || x + w > width ||
        y + h > height)
        throw formats::DecodeError(kDamagedAnimation, formats::ErrorKind::Corrupt);
    const std::size_t stride = std::size_t{width} * 4;
    formats::FreshPixels canvas(stride * height);
    decodeInto({frame.fragment.bytes, frame.fragment.size}, canvas.data() + y * stride + x * 4,
               stride, (h - 1) * stride + w * 4, kDamagedAnimation);
    formats::DecodedImage image;
    image.width = width;
    image.height = height;
    image.hasAlpha = true;
    canvas.moveInto(image.bgra);
    return image;
}

}  // namespace

formats::DecodedImage decodeWebp(formats::Bytes bytes) {
    WebPBitstreamFeatures features;
    const VP8StatusCode featureStatus = WebPGetFeatures(bytes.data(), bytes.size(), &features);
    if (featureStatus != VP8_STATUS_OK)
        fail(kDamaged, featureStatus);
    if (features.has_animation)
        return decodeFirstFrame(bytes);
    const auto width = static_cast<std::uint32_t>(features.width);
    const auto height = static_cast<std::uint32_t>(features.height);
    checkDimensions(width, height);
    const std::size_t stride = std::size_t{width} * 4;
    formats::FreshPixels pixels(stride * height);
    decodeInto(bytes, pixels.data(), stride, pixels.size(), kDamaged);
    formats::DecodedImage image;
    image.width = width;
    image.height = height;
    image.hasAlpha = features.has_alpha != 0;
    pixels.moveInto(image.bgra);
    return image;
}

}  // namespace pixmorrow::codec

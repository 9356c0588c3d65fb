// WebP through libwebp; an animation gives its first frame composed on its canvas.
#include "decode.h"

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

}  // namespace

formats::DecodedImage decodeWebp(formats::Bytes bytes) {
    WebPBitstreamFeatures features;
    const VP8StatusCode featureStatus = WebPGetFeatures(bytes.data(), bytes.size(), &features);
    if (featureStatus != VP8_STATUS_OK)
        fail(kDamaged, featureStatus);
    formats::DecodedImage image;
    if (features.has_animation) {
        WebPData data{bytes.data(), bytes.size()};
        WebPAnimDecoderOptions options;
        if (!WebPAnimDecoderOptionsInit(&options))
            throw formats::DecodeError("WebP decoder is unavailable", formats::ErrorKind::Library);
        options.color_mode = MODE_BGRA;
        options.use_threads = 0;
        // The canvas size comes from the container; check it before the decoder allocates it.
        std::unique_ptr<WebPDemuxer, decltype(&WebPDemuxDelete)> demux(WebPDemux(&data),
                                                                       WebPDemuxDelete);
        if (!demux)
            throw formats::DecodeError(kDamagedAnimation, formats::ErrorKind::Corrupt);
        checkDimensions(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH),
                        WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
        demux.reset();
        std::unique_ptr<WebPAnimDecoder, decltype(&WebPAnimDecoderDelete)> decoder(
            WebPAnimDecoderNew(&data, &options), WebPAnimDecoderDelete);
        WebPAnimInfo info;
        if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info))
            throw formats::DecodeError(kDamagedAnimation, formats::ErrorKind::Corrupt);
        std::uint8_t* frame = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &frame, &timestamp) || !frame)
            throw formats::DecodeError("WebP animation has no readable frame",
                                       formats::ErrorKind::Corrupt);
        image.width = info.canvas_width;
        image.height = info.canvas_height;
        image.hasAlpha = true;
        image.bgra.assign(frame, frame + std::size_t{info.canvas_width} * info.canvas_height * 4);
        return image;
    }
    checkDimensions(static_cast<std::uint32_t>(features.width),
                    static_cast<std::uint32_t>(features.height));
    image.width = static_cast<std::uint32_t>(features.width);
    image.height = static_cast<std::uint32_t>(features.height);
    image.hasAlpha = features.has_alpha != 0;
    image.bgra.resize(std::size_t{image.width} * image.height * 4);
    // Straight into the image's pixels, with the decoder's status kept for the error.
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        throw formats::DecodeError("WebP decoder is unavailable", formats::ErrorKind::Library);
    config.output.colorspace = MODE_BGRA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.bgra.data();
    config.output.u.RGBA.stride = static_cast<int>(image.width * 4);
    config.output.u.RGBA.size = image.bgra.size();
    const VP8StatusCode status = WebPDecode(bytes.data(), bytes.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        fail(kDamaged, status);
    return image;
}

}  // namespace pixmorrow::codec

// WebP through libwebp; an animation gives its first frame composed on its canvas.
#include "decode.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>

namespace pixmorrow::codec {

formats::DecodedImage decodeWebp(formats::Bytes bytes) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK)
        throw formats::DecodeError("WebP data is damaged or truncated");
    formats::DecodedImage image;
    if (features.has_animation) {
        WebPData data{bytes.data(), bytes.size()};
        WebPAnimDecoderOptions options;
        if (!WebPAnimDecoderOptionsInit(&options))
            throw formats::DecodeError("WebP decoder is unavailable");
        options.color_mode = MODE_BGRA;
        options.use_threads = 0;
        // The canvas size comes from the container; check it before the decoder allocates it.
        std::unique_ptr<WebPDemuxer, decltype(&WebPDemuxDelete)> demux(WebPDemux(&data),
                                                                       WebPDemuxDelete);
        if (!demux)
            throw formats::DecodeError("WebP animation is damaged or truncated");
        checkDimensions(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH),
                        WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
        demux.reset();
        std::unique_ptr<WebPAnimDecoder, decltype(&WebPAnimDecoderDelete)> decoder(
            WebPAnimDecoderNew(&data, &options), WebPAnimDecoderDelete);
        WebPAnimInfo info;
        if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info))
            throw formats::DecodeError("WebP animation is damaged or truncated");
        std::uint8_t* frame = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &frame, &timestamp) || !frame)
            throw formats::DecodeError("WebP animation has no readable frame");
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
    if (!WebPDecodeBGRAInto(bytes.data(), bytes.size(), image.bgra.data(), image.bgra.size(),
                            static_cast<int>(image.width * 4)))
        throw formats::DecodeError("WebP data is damaged or truncated");
    return image;
}

}  // namespace pixmorrow::codec

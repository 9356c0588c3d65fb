#include "formats/resample.h"

#include "formats/decode_limits.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <memory>

namespace pixmorrow::formats {

namespace {

// libswscale's filters misbehave on shrinks much beyond 16 times (it can crash building
// them): past this factor the picture is first averaged over whole blocks of pixels.
constexpr std::uint32_t kMostSwscaleShrink = 8;

// Row alignment and tail room for libswscale's buffers.
constexpr std::size_t kPadding = 64;

struct ContextFree {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};

DecodeError resamplerError() {
    return DecodeError("The resampler cannot resize this picture", ErrorKind::Library);
}

// One libswscale pass over planes of one channel each, of `format` (a gray format): so the
// channels are filtered as they are, never through a conversion to luma and chroma.
template <typename Sample>
std::vector<std::vector<Sample>> swscalePass(const std::vector<std::vector<Sample>>& planes,
                                             PixelSize from, PixelSize to, AVPixelFormat format) {
    // Its notes about which of its own code paths it takes are not the user's business.
    static const bool quiet = (av_log_set_level(AV_LOG_ERROR), true);
    (void)quiet;
    double lanczos[2] = {3.0, 0.0};
    std::unique_ptr<SwsContext, ContextFree> context(
        sws_getContext(int(from.width), int(from.height), format, int(to.width), int(to.height),
                       format, SWS_LANCZOS | SWS_ACCURATE_RND, nullptr, nullptr, lanczos));
    if (!context)
        throw resamplerError();
    // libswscale reads and writes whole vector registers past the ends of rows: it is given
    // rows of a padded stride in buffers with room behind the last one.
    const auto padded = [](std::uint32_t width) {
        return (std::size_t{width} * sizeof(Sample) + kPadding - 1) / kPadding * kPadding;
    };
    const std::size_t inStride = padded(from.width), outStride = padded(to.width);
    std::vector<std::uint8_t> in(inStride * from.height + kPadding);
    std::vector<std::uint8_t> scaled(outStride * to.height + kPadding);
    std::vector<std::vector<Sample>> out;
    for (const std::vector<Sample>& plane : planes) {
        for (std::uint32_t y = 0; y < from.height; ++y)
            std::memcpy(in.data() + y * inStride, plane.data() + std::size_t{y} * from.width,
                        std::size_t{from.width} * sizeof(Sample));
        const std::uint8_t* source[4] = {in.data()};
        const int sourceStride[4] = {int(inStride)};
        std::uint8_t* target[4] = {scaled.data()};
        const int targetStride[4] = {int(outStride)};
        if (sws_scale(context.get(), source, sourceStride, 0, int(from.height), target,
                      targetStride) != int(to.height))
            throw resamplerError();
        std::vector<Sample>& result = out.emplace_back(std::size_t{to.width} * to.height);
        for (std::uint32_t y = 0; y < to.height; ++y)
            std::memcpy(result.data() + std::size_t{y} * to.width, scaled.data() + y * outStride,
                        std::size_t{to.width} * sizeof(Sample));
    }
    return out;
}

// The average of each `bx` x `by` block (the last ones in a row or column may be smaller).
template <typename Sample>
std::vector<Sample> blockAverage(const std::vector<Sample>& plane, PixelSize from, PixelSize to,
                                 std::uint32_t bx, std::uint32_t by) {
    std::vector<Sample> out(std::size_t{to.width} * to.height);
    std::vector<std::uint64_t> sums(to.width);
    for (std::uint32_t ty = 0; ty < to.height; ++ty) {
        std::fill(sums.begin(), sums.end(), 0);
        const std::uint32_t y0 = ty * by, y1 = std::min(from.height, y0 + by);
        for (std::uint32_t y = y0; y < y1; ++y) {
            const Sample* row = plane.data() + std::size_t{y} * from.width;
            for (std::uint32_t x = 0; x < from.width; ++x)
                sums[x / bx] += row[x];
        }
        Sample* outRow = out.data() + std::size_t{ty} * to.width;
        for (std::uint32_t tx = 0; tx < to.width; ++tx) {
            const std::uint64_t count =
                std::uint64_t{y1 - y0} * (std::min(from.width, (tx + 1) * bx) - tx * bx);
            outRow[tx] = Sample((sums[tx] + count / 2) / count);
        }
    }
    return out;
}

// Shrinks of more than kMostSwscaleShrink on a side are brought within it by averaging
// blocks, then libswscale makes the exact size.
template <typename Sample>
std::vector<std::vector<Sample>> resample(std::vector<std::vector<Sample>> planes, PixelSize from,
                                          PixelSize to, AVPixelFormat format) {
    const auto block = [](std::uint32_t source, std::uint32_t target) -> std::uint32_t {
        return source / target > kMostSwscaleShrink ? source / (target * (kMostSwscaleShrink / 2))
                                                    : 1;
    };
    const std::uint32_t bx = block(from.width, to.width), by = block(from.height, to.height);
    if (bx > 1 || by > 1) {
        const PixelSize averaged{(from.width + bx - 1) / bx, (from.height + by - 1) / by};
        for (std::vector<Sample>& plane : planes)
            plane = blockAverage(plane, from, averaged, bx, by);
        from = averaged;
    }
    if (from == to)
        return planes;
    return swscalePass(planes, from, to, format);
}

}  // namespace

DecodedImage resampled(DecodedImage picture, PixelSize target) {
    const PixelSize source{picture.width, picture.height};
    if (source == target || source.width == 0 || source.height == 0)
        return picture;
    checkImageSize(target.width, target.height, "Resized picture");
    DecodedImage out;
    out.width = target.width;
    out.height = target.height;
    out.hasAlpha = picture.hasAlpha;
    const std::size_t count = std::size_t{source.width} * source.height;
    const std::size_t outCount = std::size_t{target.width} * target.height;
    out.bgra.resize(outCount * 4);
    if (!picture.hasAlpha) {
        // Opaque: eight bits a channel are enough, half the memory of the transparent way.
        std::vector<std::vector<std::uint8_t>> planes(3, std::vector<std::uint8_t>(count));
        for (std::size_t i = 0; i < count; ++i)
            for (int c = 0; c < 3; ++c)
                planes[c][i] = picture.bgra[i * 4 + c];
        picture.bgra = {};
        planes = resample(std::move(planes), source, target, AV_PIX_FMT_GRAY8);
        for (std::size_t i = 0; i < outCount; ++i) {
            for (int c = 0; c < 3; ++c)
                out.bgra[i * 4 + c] = planes[c][i];
            out.bgra[i * 4 + 3] = 255;
        }
        return out;
    }
    // Premultiplied at 16 bits: colour scaled by alpha without losing the dark end.
    std::vector<std::vector<std::uint16_t>> planes(4, std::vector<std::uint16_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t a = picture.bgra[i * 4 + 3];
        for (int c = 0; c < 3; ++c)
            planes[c][i] = std::uint16_t((picture.bgra[i * 4 + c] * a * 65535u + 32512u) / 65025u);
        planes[3][i] = std::uint16_t(a * 257u);
    }
    picture.bgra = {};
    planes = resample(std::move(planes), source, target, AV_PIX_FMT_GRAY16LE);
    for (std::size_t i = 0; i < outCount; ++i) {
        std::uint8_t* p = &out.bgra[i * 4];
        const std::uint32_t a = planes[3][i];
        if (a == 0) {
            std::fill_n(p, 4, 0);
            continue;
        }
        for (int c = 0; c < 3; ++c)
            p[c] = std::uint8_t(std::min<std::uint32_t>(255, (planes[c][i] * 255u + a / 2) / a));
        p[3] = std::uint8_t((a + 128) / 257);
    }
    return out;
}

DecodedImage resized(DecodedImage picture, const ResizeRequest& request) {
    const PixelSize target = plannedSize({picture.width, picture.height}, request);
    return resampled(std::move(picture), target);
}

}  // namespace pixmorrow::formats

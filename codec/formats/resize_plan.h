// The size a picture is resized to: the arithmetic of the five modes, their text form
// ("long:1920", "width:800", "height:600", "fit:1920x1080", "50%") and the libjpeg-turbo
// scale that gets a JPEG close to that size while decoding. No pixels here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pixmorrow::formats {

enum class ResizeMode { LongestSide, Width, Height, FitInBox, Percent };

struct PixelSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool operator==(const PixelSize&) const = default;
};

struct ResizeRequest {
    ResizeMode mode = ResizeMode::LongestSide;
    // Pixels (the box's width for FitInBox) or, for Percent, the percentage.
    std::uint32_t value = 1920;
    // The box's height; only FitInBox reads it.
    std::uint32_t boxHeight = 1080;
    // Whether a picture smaller than asked grows; by default it keeps its size.
    bool enlarge = false;
    bool operator==(const ResizeRequest&) const = default;
};

// The whole-number ranges the fields take: pixels up to the decoders' largest side, a
// percentage up to ten times the size.
inline constexpr std::uint32_t kMaxResizePixels = 65535;
inline constexpr std::uint32_t kMaxResizePercent = 1000;

// The size `source` (as shown, orientation applied) becomes: the aspect ratio kept, the side
// the mode fixes exact and the other rounded half up, never below 1 pixel. A picture that
// would grow keeps its size unless `enlarge`.
PixelSize plannedSize(PixelSize source, const ResizeRequest& request);

// The text form, read case-insensitively with blanks around it allowed; nothing when it is
// not one of the forms or a value is outside its range (0 included).
std::optional<ResizeRequest> parseResizeRequest(std::string_view text);
// The text form of a request (its enlarge flag is not part of it).
std::string resizeRequestText(const ResizeRequest& request);

// libjpeg-turbo's scale denominator (1, 2, 4 or 8) for decoding a JPEG of `stored` size
// (as stored in the file) towards `target` (in the same orientation): the largest whose
// decoded picture is still at least `target` on both sides, so the resampler only shrinks.
int jpegScaleDenominator(PixelSize stored, PixelSize target);

}  // namespace pixmorrow::formats

#include "formats/resize_plan.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace pixmorrow::formats {

namespace {

// round(value * numerator / denominator), halves up, at least 1; in 64 bits, since both
// factors may be 65535 and more.
std::uint32_t scaled(std::uint64_t value, std::uint64_t numerator, std::uint64_t denominator) {
    const std::uint64_t result = (value * numerator * 2 + denominator) / (denominator * 2);
    return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(result, 1, UINT32_MAX));
}

// The size with `side` (the source's width when `byWidth`, else its height) set to `wanted`.
PixelSize withSide(PixelSize source, bool byWidth, std::uint32_t wanted) {
    if (byWidth)
        return {wanted, scaled(source.height, wanted, source.width)};
    return {scaled(source.width, wanted, source.height), wanted};
}

std::optional<std::uint32_t> number(std::string_view text, std::uint32_t most) {
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value == 0 || value > most)
        return std::nullopt;
    return value;
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

}  // namespace

PixelSize plannedSize(PixelSize source, const ResizeRequest& request) {
    if (source.width == 0 || source.height == 0 || request.value == 0)
        return source;
    PixelSize target = source;
    switch (request.mode) {
        case ResizeMode::LongestSide: {
            const bool byWidth = source.width >= source.height;
            target = withSide(source, byWidth, request.value);
            break;
        }
        case ResizeMode::Width:
            target = withSide(source, true, request.value);
            break;
        case ResizeMode::Height:
            target = withSide(source, false, request.value);
            break;
        case ResizeMode::FitInBox: {
            if (request.boxHeight == 0)
                return source;
            // value / width <= boxHeight / height: the width meets the box first.
            const bool byWidth = std::uint64_t{request.value} * source.height <=
                                 std::uint64_t{request.boxHeight} * source.width;
            target = withSide(source, byWidth, byWidth ? request.value : request.boxHeight);
            break;
        }
        case ResizeMode::Percent:
            target = {scaled(source.width, request.value, 100),
                      scaled(source.height, request.value, 100)};
            break;
    }
    const bool grows = target.width > source.width || target.height > source.height;
    if (grows && !request.enlarge)
        return source;
    return target;
}

std::optional<ResizeRequest> parseResizeRequest(std::string_view given) {
    const std::string text = lower(trimmed(given));
    const std::string_view view(text);
    ResizeRequest request;
    if (!view.empty() && view.back() == '%') {
        request.mode = ResizeMode::Percent;
        const auto value = number(view.substr(0, view.size() - 1), kMaxResizePercent);
        if (!value)
            return std::nullopt;
        request.value = *value;
        return request;
    }
    const std::size_t colon = view.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string_view name = view.substr(0, colon);
    const std::string_view rest = view.substr(colon + 1);
    if (name == "fit") {
        const std::size_t by = rest.find('x');
        if (by == std::string_view::npos)
            return std::nullopt;
        const auto width = number(rest.substr(0, by), kMaxResizePixels);
        const auto height = number(rest.substr(by + 1), kMaxResizePixels);
        if (!width || !height)
            return std::nullopt;
        request.mode = ResizeMode::FitInBox;
        request.value = *width;
        request.boxHeight = *height;
        return request;
    }
    if (name == "long")
        request.mode = ResizeMode::LongestSide;
    else if (name == "width")
        request.mode = ResizeMode::Width;
    else if (name == "height")
        request.mode = ResizeMode::Height;
    else
        return std::nullopt;
    const auto value = number(rest, kMaxResizePixels);
    if (!value)
        return std::nullopt;
    request.value = *value;
    return request;
}

std::string resizeRequestText(const ResizeRequest& request) {
    const std::string value = std::to_string(request.value);
    switch (request.mode) {
        case ResizeMode::LongestSide:
            return "long:" + value;
        case ResizeMode::Width:
            return "width:" + value;
        case ResizeMode::Height:
            return "height:" + value;
        case ResizeMode::FitInBox:
            return "fit:" + value + "x" + std::to_string(request.boxHeight);
        case ResizeMode::Percent:
            break;
    }
    return value + "%";
}

int jpegScaleDenominator(PixelSize stored, PixelSize target) {
    for (int denominator : {8, 4, 2}) {
        if (std::uint64_t{target.width} * denominator <= stored.width &&
            std::uint64_t{target.height} * denominator <= stored.height)
            return denominator;
    }
    return 1;
}

}  // namespace pixmorrow::formats

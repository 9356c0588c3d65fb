#include "formats/decode_limits.h"

#include <string>

namespace pixmorrow::formats {

namespace {

std::string sizeText(std::uint64_t width, std::uint64_t height) {
    return "(" + std::to_string(width) + " x " + std::to_string(height) + ")";
}

// A rounded side as a whole number; NaN and negatives are no pixels, values past the
// integers saturate.
std::uint64_t wholeSide(double side) {
    constexpr double kBeyond = 18446744073709551616.0;  // 2^64
    if (side >= kBeyond)
        return std::numeric_limits<std::uint64_t>::max();
    return side > 0 ? static_cast<std::uint64_t>(side) : 0;
}

}  // namespace

std::optional<DecodeError> imageSizeError(std::uint64_t width, std::uint64_t height,
                                          const char* formatName) {
    if (width == 0 || height == 0)
        return DecodeError(
            std::string(formatName) + ": the image has no pixels " + sizeText(width, height),
            ErrorKind::Corrupt);
    if (!withinLimits(width, height))
        return DecodeError("Image is too large " + sizeText(width, height), ErrorKind::TooLarge);
    return std::nullopt;
}

void checkImageSize(std::uint64_t width, std::uint64_t height, const char* formatName) {
    if (auto error = imageSizeError(width, height, formatName))
        throw *error;
}

void checkRoundedSize(double width, double height, const char* formatName) {
    checkImageSize(wholeSide(width), wholeSide(height), formatName);
}

void checkDataCanHold(std::uint64_t dataBytes, std::uint64_t neededUnits, std::uint64_t maxRatio,
                      std::uint64_t width, std::uint64_t height, const char* formatName) {
    // Ceiling division: no overflow whatever the numbers.
    const std::uint64_t leastBytes = neededUnits / maxRatio + (neededUnits % maxRatio != 0);
    if (dataBytes < leastBytes)
        throw DecodeError(std::string(formatName) + ": the file is too short for its image " +
                              sizeText(width, height),
                          ErrorKind::Truncated);
}

std::size_t imageBytes(std::uint64_t width, std::uint64_t height, std::uint64_t bytesPerPixel,
                       const char* formatName) {
    checkImageSize(width, height, formatName);
    const auto bytes = checkedBytes(width, height, bytesPerPixel);
    if (!bytes)
        throw DecodeError("Image is too large " + sizeText(width, height), ErrorKind::TooLarge);
    return *bytes;
}

}  // namespace pixmorrow::formats

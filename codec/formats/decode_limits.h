// The size limits every decoder checks before it allocates, and the checked size arithmetic
// for numbers that come from a file. The program's readers, the codec library's decode paths
// and the TIFF and JPEG XR codecs all take their limits from here.
#pragma once

#include "formats/decode_error.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

namespace pixmorrow::formats {

// Fuzz builds define PIXMORROW_DECODE_LIMITS_SMALL, so that crafted headers do not spend the
// fuzzer's memory on huge but legal pictures.
inline constexpr std::uint32_t kMaxSide = 65535;
#ifdef PIXMORROW_DECODE_LIMITS_SMALL
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 24;
#else
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;
#endif
// The largest picture as 8-bit BGRA: also what one allocation inside a library may take.
inline constexpr std::uint64_t kMaxImageBytes = kMaxPixels * 4;

// width * height * bytesPerElement + extra, or nothing when that does not fit in size_t.
constexpr std::optional<std::size_t> checkedBytes(std::uint64_t width, std::uint64_t height,
                                                  std::uint64_t bytesPerElement = 1,
                                                  std::uint64_t extra = 0) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::size_t>::max();
    if (height != 0 && width > kMax / height)
        return std::nullopt;
    const std::uint64_t elements = width * height;
    if (bytesPerElement != 0 && elements > kMax / bytesPerElement)
        return std::nullopt;
    const std::uint64_t bytes = elements * bytesPerElement;
    if (extra > kMax - bytes)
        return std::nullopt;
    return static_cast<std::size_t>(bytes + extra);
}

// Whether neither side exceeds kMaxSide and the pixels do not exceed kMaxPixels.
constexpr bool withinLimits(std::uint64_t width, std::uint64_t height) {
    return width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

// What checkImageSize would throw, without throwing: for code in a C library's callback frame.
// "Image is too large (W x H)" (TooLarge) above the limits, "<format>: the image has no
// pixels (W x H)" (Corrupt) for a zero side.
std::optional<DecodeError> imageSizeError(std::uint64_t width, std::uint64_t height,
                                          const char* formatName);

// Throws imageSizeError's error when there is one.
void checkImageSize(std::uint64_t width, std::uint64_t height, const char* formatName);

// checkImageSize for a vector document's size, already rounded to whole pixels; NaN and
// negatives count as no pixels, values beyond any integer as too large.
void checkRoundedSize(double width, double height, const char* formatName);

// The most a byte of compressed data can become, for the check below: deflate gives at most
// 258 bytes for two bits; a 12-bit LZW code gives at most 4096 pixels; an RLE bitmap's run
// gives 255 pixels for two bytes, and its jumps and early end leave pixels out, so its
// bound is eight times what runs alone cover.
inline constexpr std::uint64_t kDeflateMaxRatio = 1032;
inline constexpr std::uint64_t kLzwMaxPixelsPerByte = 2731;
inline constexpr std::uint64_t kRleMaxPixelsPerByte = 1024;

// Throws "<format>: the file is too short for its image (W x H)" (Truncated) when
// `dataBytes` of data that expands at most `maxRatio` times cannot give `neededUnits`: a
// header's claim is checked against the data before anything of its size is allocated or
// zeroed, so a small file cannot make us spend memory and time on a huge empty picture.
void checkDataCanHold(std::uint64_t dataBytes, std::uint64_t neededUnits, std::uint64_t maxRatio,
                      std::uint64_t width, std::uint64_t height, const char* formatName);

// The bytes of width x height pixels of bytesPerPixel, after checkImageSize.
std::size_t imageBytes(std::uint64_t width, std::uint64_t height, std::uint64_t bytesPerPixel,
                       const char* formatName);

}  // namespace pixmorrow::formats

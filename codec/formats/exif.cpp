// The orientation tag of a JPEG's Exif block. Offsets inside the block are relative to its
// TIFF header and all come from the file, so each is checked before use.
#include "formats/jpeg_segments.h"
#include "formats/readers.h"

#include <cstring>

namespace pixmorrow::formats {

namespace {

// Orientation from a TIFF structure (the Exif block after "Exif\0\0").
int orientationFromTiff(Bytes tiff) {
    if (tiff.size() < 8)
        return 1;
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        little = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        little = false;
    else
        return 1;
    auto u16 = [&](std::size_t at) -> std::uint32_t {
        return little ? (tiff[at] | tiff[at + 1] << 8) : (tiff[at] << 8 | tiff[at + 1]);
    };
    auto u32 = [&](std::size_t at) -> std::uint32_t {
        return little ? (std::uint32_t{tiff[at]} | std::uint32_t{tiff[at + 1]} << 8 |
                         std::uint32_t{tiff[at + 2]} << 16 | std::uint32_t{tiff[at + 3]} << 24)
                      : (std::uint32_t{tiff[at]} << 24 | std::uint32_t{tiff[at + 1]} << 16 |
                         std::uint32_t{tiff[at + 2]} << 8 | std::uint32_t{tiff[at + 3]});
    };
    if (u16(2) != 42)
        return 1;
    const std::uint32_t ifd = u32(4);
    if (ifd < 8 || ifd > tiff.size() || tiff.size() - ifd < 2)
        return 1;
    const std::uint32_t count = u16(ifd);
    for (std::uint32_t i = 0; i < count; ++i) {
        // Entry i ends 2 + 12 * (i + 1) bytes after the directory's start.
        const auto end = checkedBytes(std::uint64_t{i} + 1, 12, 1, std::uint64_t{ifd} + 2);
        if (!end || *end > tiff.size())
            return 1;
        const std::size_t at = *end - 12;
        if (u16(at) != 0x0112)
            continue;
        // SHORT, one value, held in the entry itself.
        if (u16(at + 2) != 3 || u32(at + 4) < 1)
            return 1;
        const std::uint32_t value = u16(at + 8);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

}  // namespace

int readExifOrientation(Bytes file) {
    if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8)
        return 1;
    int orientation = 1;
    detail::forEachJpegSegment(file, [&](std::uint8_t marker, Bytes payload) {
        if (marker == 0xE1 && payload.size() >= 6 &&
            std::memcmp(payload.data(), "Exif\0\0", 6) == 0) {
            orientation = orientationFromTiff(payload.subspan(6));
            return false;  // the first Exif block is the one
        }
        return true;
    });
    return orientation;
}

}  // namespace pixmorrow::formats

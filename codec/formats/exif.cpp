// The orientation tag of a JPEG's Exif block. Offsets inside the block are relative to its
// TIFF header and all come from the file, so each is checked before use.
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
    std::size_t pos = 2;
    // Each round moves on by at least two bytes, so the walk ends.
    while (pos + 4 <= file.size()) {
        if (file[pos] != 0xFF)
            return 1;
        const std::uint8_t marker = file[pos + 1];
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            pos += 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            return 1;  // image data: no Exif after this
        const std::size_t length = std::size_t{file[pos + 2]} << 8 | file[pos + 3];
        if (length < 2 || length > file.size() - pos - 2)
            return 1;
        if (marker == 0xE1 && length >= 8 && std::memcmp(file.data() + pos + 4, "Exif\0\0", 6) == 0)
            return orientationFromTiff(file.subspan(pos + 10, length - 8));
        pos += 2 + length;
    }
    return 1;
}

}  // namespace pixmorrow::formats

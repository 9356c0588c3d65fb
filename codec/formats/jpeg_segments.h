#pragma once

// The marker segments of a JPEG file ahead of its image data. Every length comes from the
// file, so each is checked against what is left before the segment is handed on.

#include "formats/decoded_image.h"

#include <cstddef>
#include <cstdint>

namespace pixmorrow::formats::detail {

// Calls visit(marker, payload) for each segment that has a length, in file order, until
// visit returns false, the image data begins, or the bytes stop being segments. `file`
// starts with the start-of-image marker, which is passed over.
template <typename Visit>
void forEachJpegSegment(Bytes file, Visit&& visit) {
    std::size_t pos = 2;
    // Each round moves on by at least one byte, so the walk ends.
    while (pos + 4 <= file.size() && file[pos] == 0xFF) {
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
            return;  // the image data: the segments come before it
        const std::size_t length = std::size_t{file[pos + 2]} << 8 | file[pos + 3];
        if (length < 2 || length > file.size() - pos - 2)
            return;
        if (!visit(marker, file.subspan(pos + 4, length - 2)))
            return;
        pos += 2 + length;
    }
}

}  // namespace pixmorrow::formats::detail

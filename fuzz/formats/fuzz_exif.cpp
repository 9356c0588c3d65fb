// The EXIF orientation reader, and the JPEG reader around it, on arbitrary bytes.
#include "formats/readers.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pixmorrow::formats::Bytes bytes(data, size);
    const int orientation = pixmorrow::formats::readExifOrientation(bytes);
    if (orientation < 1 || orientation > 8)
        __builtin_trap();
    try {
        pixmorrow::formats::decodeJpeg(bytes);
    } catch (const pixmorrow::formats::DecodeError& e) {
        // Every failure says what kind it is.
        if (e.kind() == pixmorrow::formats::ErrorKind::None)
            __builtin_trap();
    }
    return 0;
}

// The EXIF orientation reader, and the JPEG reader around it, on arbitrary bytes.
#include "decode_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pixmorrow::formats::Bytes bytes(data, size);
    const int orientation = pixmorrow::formats::readExifOrientation(bytes);
    if (orientation < 1 || orientation > 8)
        __builtin_trap();
    pixmorrow::fuzzing::decodeOrFailWithAKind([&] { pixmorrow::formats::decodeJpeg(bytes); });
    return 0;
}

// Our TIFF decoder (libtiff from memory, its RGBA reader, our size checks) on arbitrary
// bytes: it must either decode a whole image within the limits or throw DecodeError with a
// kind.
#include "conversion/formats/tiff_codec.h"
#include "decode_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pixmorrow::fuzzing::decodeOrFailWithAKind([&] {
        const auto image = pixmorrow::decodeTiff(pixmorrow::formats::Bytes(data, size));
        if (image.bgra.size() != std::size_t{image.width} * image.height * 4 ||
            !pixmorrow::formats::withinLimits(image.width, image.height))
            __builtin_trap();
    });
    return 0;
}

// Feeds arbitrary bytes to the GIF reader: it must either decode or throw DecodeError
// with a kind.
#include "formats/readers.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto image = pixmorrow::formats::decodeGif(pixmorrow::formats::Bytes(data, size));
        if (image.bgra.size() != std::size_t{image.width} * image.height * 4)
            __builtin_trap();
        // The picture follows the data: no more pixels than the densest coding (an LZW code)
        // gives.
        using namespace pixmorrow::formats;
        if (std::uint64_t{image.width} * image.height > std::uint64_t{size} * kLzwMaxPixelsPerByte)
            __builtin_trap();
    } catch (const pixmorrow::formats::DecodeError& e) {
        // Every failure says what kind it is.
        if (e.kind() == pixmorrow::formats::ErrorKind::None)
            __builtin_trap();
    }
    return 0;
}

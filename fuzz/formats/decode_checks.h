#pragma once

// What the decoders' fuzz targets check on every input.

#include "formats/decode_limits.h"
#include "formats/readers.h"

#include <cstddef>
#include <cstdint>

namespace pixmorrow::fuzzing {

// Runs `decode`: a failure must say what kind it is.
template <typename Decode>
void decodeOrFailWithAKind(Decode&& decode) {
    try {
        decode();
    } catch (const formats::DecodeError& e) {
        if (e.kind() == formats::ErrorKind::None)
            __builtin_trap();
    }
}

// A picture reader on `size` bytes: it must either decode a whole picture that follows the
// data, no more pixels than the densest coding gives (`maxPixelsPerByte`), or fail with a kind.
template <typename Read>
int checkReader(Read&& read, const std::uint8_t* data, std::size_t size,
                std::uint64_t maxPixelsPerByte) {
    decodeOrFailWithAKind([&] {
        const formats::DecodedImage image = read(formats::Bytes(data, size));
        if (image.bgra.size() != std::size_t{image.width} * image.height * 4)
            __builtin_trap();
        if (std::uint64_t{image.width} * image.height > std::uint64_t{size} * maxPixelsPerByte)
            __builtin_trap();
    });
    return 0;
}

}  // namespace pixmorrow::fuzzing

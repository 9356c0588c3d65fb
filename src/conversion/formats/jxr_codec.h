#pragma once

#include "formats/decoded_image.h"

#include <cstdint>
#include <vector>

namespace pixmorrow {

// JPEG XR (WMP) through jxrlib, kept to one narrow path each way. jxrlib is old, so the
// container is checked before it sees the bytes and every one of its return codes is checked.

// Decodes the first image; 8-bit gray, 24/32-bit RGB/BGR(A) and 48/64-bit RGB(A) pixel
// formats. Throws formats::DecodeError("WMP: ...").
// jxrlib ends the process on some damaged files, so the program runs this in its decoding
// helper (jxr_decoder_process.h); the fuzzer calls it directly to see jxrlib's coverage.
formats::DecodedImage decodeJxrInProcess(formats::Bytes data);

// The helper's answer on its standard output: this header, then the BGRA pixels
// (width * height * 4 bytes) when `ok`, else `messageLength` bytes of the error text.
struct JxrHelperReply {
    static constexpr std::uint32_t kMagic = 0x524A5850;  // "PXJR"
    std::uint32_t magic = kMagic;
    std::uint32_t ok = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t hasAlpha = 0;
    std::uint32_t messageLength = 0;
    // A failure's formats::ErrorKind and library code, so they survive the helper's boundary.
    std::uint32_t errorKind = 0;
    std::uint32_t codeSource = 0;
    std::int32_t codeValue = 0;
};

// Encodes BGRA pixels (alpha dropped, rows top-down, `stride` bytes apart) as a lossless
// 24-bit JPEG XR file in memory. Throws std::runtime_error. This stays in the program's
// process: the pixels are its own and already checked, not bytes of a file.
std::vector<std::uint8_t> encodeJxr(const std::uint8_t* bgra, std::uint32_t width,
                                    std::uint32_t height, std::size_t stride);

}  // namespace pixmorrow

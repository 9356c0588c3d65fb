#pragma once

#include "formats/decoded_image.h"

#include <cstdint>
#include <vector>

namespace pixmorrow {

// JPEG XR (WMP) through jxrlib, kept to one narrow path each way. jxrlib is old, so the
// container is checked before it sees the bytes and every one of its return codes is checked.

// Decodes the first image; 8-bit gray, 24/32-bit RGB/BGR(A) and 48/64-bit RGB(A) pixel
// formats. Throws formats::DecodeError("WMP: ...").
// The decoding runs in a child process, since jxrlib ends the process on some damaged files.
formats::DecodedImage decodeJxr(formats::Bytes data);

// The same in this process: for the fuzzer, which needs to see jxrlib's coverage.
formats::DecodedImage decodeJxrInProcess(formats::Bytes data);

// Encodes BGRA pixels (alpha dropped, rows top-down, `stride` bytes apart) as a lossless
// 24-bit JPEG XR file in memory. Throws std::runtime_error.
std::vector<std::uint8_t> encodeJxr(const std::uint8_t* bgra, std::uint32_t width,
                                    std::uint32_t height, std::size_t stride);

}  // namespace pixmorrow

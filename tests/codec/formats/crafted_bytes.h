#pragma once

// What the tests of damaged and hostile files share: writing a file byte by byte, PNG chunks
// with their CRC, and a table row of a file a reader must refuse with its own error.

#include "formats/readers.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pixmorrow::formats::testing {

using ByteVector = std::vector<std::uint8_t>;

inline void put16le(ByteVector& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put32le(ByteVector& out, std::uint32_t v) {
    put16le(out, v & 0xFFFF);
    put16le(out, v >> 16);
}
inline void put16be(ByteVector& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}
inline void put32be(ByteVector& out, std::uint32_t v) {
    put16be(out, v >> 16);
    put16be(out, v & 0xFFFF);
}

// A PNG chunk: length, type, data and CRC.
inline ByteVector chunk(const char* type, const ByteVector& data) {
    ByteVector out;
    put32be(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(type), 4);
    crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    put32be(out, static_cast<std::uint32_t>(crc));
    return out;
}

// A file `reader` must refuse with this text, kind and library code.
struct RefusedFile {
    const char* name;
    DecodedImage (*reader)(Bytes);
    ByteVector bytes;
    std::string text;
    ErrorKind kind;
    LibraryCode code = {};
};

inline void expectRefused(const RefusedFile& c) {
    try {
        c.reader(c.bytes);
        ADD_FAILURE() << "decoded";
    } catch (const DecodeError& e) {
        EXPECT_EQ(e.what(), c.text);
        EXPECT_EQ(e.kind(), c.kind);
        EXPECT_EQ(e.code(), c.code);
    }
}

}  // namespace pixmorrow::formats::testing

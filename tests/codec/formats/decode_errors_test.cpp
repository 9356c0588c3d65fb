// Every reader's failures on small damaged files: the text the user sees, the kind, and the
// library's code where a library gave one.
#include "crafted_bytes.h"
#include "formats/readers.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <jerror.h>
#include <jpeglib.h>
#include <cstdio>  // jpeglib.h needs FILE

#include <string>
#include <vector>

namespace pixmorrow::formats {
namespace {

using testing::ByteVector;
using testing::chunk;
using testing::put16be;
using testing::put16le;
using testing::put32be;
using testing::put32le;
using Case = testing::RefusedFile;

ByteVector text(const std::string& s) {
    return {s.begin(), s.end()};
}

// --- PNG: chunks with their CRC; a 2 x 2 RGB picture and its damaged variants ------------

ByteVector ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t compression = 0) {
    ByteVector data;
    put32be(data, width);
    put32be(data, height);
    data.insert(data.end(), {8, 2, compression, 0, 0});
    return chunk("IHDR", data);
}

// The zlib stream of `rows` unfiltered 2-pixel RGB rows.
ByteVector idat(int rows) {
    const ByteVector raw(static_cast<std::size_t>(rows) * 7, 0);
    uLongf length = compressBound(static_cast<uLong>(raw.size()));
    ByteVector packed(length);
    compress(packed.data(), &length, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(length);
    return chunk("IDAT", packed);
}

ByteVector png(std::initializer_list<ByteVector> chunks) {
    ByteVector out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const ByteVector& c : chunks)
        out.insert(out.end(), c.begin(), c.end());
    const ByteVector end = chunk("IEND", {});
    out.insert(out.end(), end.begin(), end.end());
    return out;
}

ByteVector goodPng() {
    return png({ihdr(2, 2), idat(2)});
}

ByteVector cut(ByteVector bytes, std::size_t length) {
    bytes.resize(length);
    return bytes;
}

ByteVector withCrcFlipped(ByteVector bytes) {
    bytes[29] ^= 1;  // the IHDR chunk's CRC
    return bytes;
}

// --- JPEG: markers only, enough for libjpeg to read the header --------------------------

ByteVector jpegHeader(std::uint32_t width, std::uint32_t height) {
    ByteVector out = {0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8};
    put16be(out, height);
    put16be(out, width);
    out.insert(out.end(), {1, 1, 0x11, 0});
    out.insert(out.end(), {0xFF, 0xDA, 0, 8, 1, 1, 0x00, 0, 63, 0});
    return out;
}

std::string jpegText(int code) {
    return "JPEG error #" + std::to_string(code);
}

LibraryCode libjpeg(int code) {
    return {CodeSource::Libjpeg, code};
}

// --- GIF, BMP, ICO, WBMP ------------------------------------------------------------------

ByteVector gifScreen() {
    return {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
}

ByteVector gif(std::initializer_list<std::uint8_t> rest) {
    ByteVector out = gifScreen();
    out.insert(out.end(), rest);
    return out;
}

// A BMP file with an info header of `headerSize` bytes and `pixelBytes` bytes of pixels.
ByteVector bmp(std::int32_t width, std::int32_t height, std::uint16_t bpp,
               std::uint32_t compression, std::size_t pixelBytes, std::uint32_t headerSize = 40) {
    ByteVector out = {'B', 'M'};
    put32le(out, 0);
    put32le(out, 0);
    put32le(out, 14 + headerSize);
    put32le(out, headerSize);
    put32le(out, static_cast<std::uint32_t>(width));
    put32le(out, static_cast<std::uint32_t>(height));
    put16le(out, 1);
    put16le(out, bpp);
    put32le(out, compression);
    out.resize(14 + headerSize + pixelBytes, 0);
    return out;
}

// An icon whose one entry is `image`, or points `offset` bytes past the file's end.
ByteVector ico(const ByteVector& image, std::uint32_t pastEnd = 0) {
    ByteVector out = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
    put32le(out, static_cast<std::uint32_t>(image.size() + 1));
    put32le(out, 22 + pastEnd);
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

ByteVector dibHeader(std::uint32_t size) {
    ByteVector out;
    put32le(out, size);
    out.resize(size, 0);
    return out;
}

std::vector<Case> cases() {
    ByteVector zeroIdatZlib = chunk("IDAT", {0xFF, 0xFF, 0xFF, 0xFF});
    const ByteVector good = goodPng();
    return {
        // Our PNG reader over zlib.
        {"png: other content", decodePng, text("hello"), "PNG: not a PNG file (bad signature)",
         ErrorKind::Unsupported},
        {"png: cut in its IDAT chunk", decodePng, cut(good, 8 + 25 + 12),
         "PNG: truncated IDAT chunk", ErrorKind::Truncated},
        {"png: header CRC", decodePng, withCrcFlipped(good), "PNG: CRC error in IHDR chunk",
         ErrorKind::Corrupt},
        {"png: no zlib stream",
         decodePng,
         png({ihdr(2, 2), zeroIdatZlib}),
         "PNG: corrupt IDAT data (incorrect header check)",
         ErrorKind::Corrupt,
         {CodeSource::Zlib, Z_DATA_ERROR}},
        {"png: stream ends early", decodePng, png({ihdr(2, 2), idat(1)}),
         "PNG: truncated IDAT data", ErrorKind::Truncated},
        {"png: too large", decodePng, png({ihdr(70000, 1), idat(1)}),
         "Image is too large (70000 x 1)", ErrorKind::TooLarge},
        {"png: no pixels", decodePng, png({ihdr(0, 2), idat(1)}),
         "PNG: the image has no pixels (0 x 2)", ErrorKind::Corrupt},
        {"png: compression method 1", decodePng, png({ihdr(2, 2, 1), idat(2)}),
         "PNG: unknown compression method", ErrorKind::Unsupported},
        {"png: unknown critical chunk", decodePng, png({ihdr(2, 2), chunk("ABCD", {}), idat(2)}),
         "PNG: unknown critical chunk ABCD", ErrorKind::Unsupported},

        // JPEG through libjpeg: its message code travels with the text.
        {"jpeg: other content", decodeJpeg, text("hello"), "JPEG error #53", ErrorKind::Unsupported,
         kNotAJpegFile},
        {"jpeg: empty", decodeJpeg, {}, "JPEG error #53", ErrorKind::Unsupported, kNotAJpegFile},
        {"jpeg: ends after its signature",
         decodeJpeg,
         {0xFF, 0xD8, 0xFF},
         jpegText(JWRN_JPEG_EOF),
         ErrorKind::Truncated,
         libjpeg(JWRN_JPEG_EOF)},
        {"jpeg: no image",
         decodeJpeg,
         {0xFF, 0xD8, 0xFF, 0xD9},
         jpegText(JERR_NO_IMAGE),
         ErrorKind::Corrupt,
         libjpeg(JERR_NO_IMAGE)},
        {"jpeg: height left to a DNL marker", decodeJpeg, jpegHeader(16, 0),
         jpegText(JERR_EMPTY_IMAGE), ErrorKind::Unsupported, libjpeg(JERR_EMPTY_IMAGE)},
        {"jpeg: over libjpeg's own limit", decodeJpeg, jpegHeader(65535, 16),
         jpegText(JERR_IMAGE_TOO_BIG), ErrorKind::TooLarge, libjpeg(JERR_IMAGE_TOO_BIG)},
        {"jpeg: over ours", decodeJpeg, jpegHeader(20000, 20000),
         "Image is too large (20000 x 20000)", ErrorKind::TooLarge},

        {"gif: other content", decodeGif, text("hello"), "GIF: not a GIF file",
         ErrorKind::Unsupported},
        {"gif: cut in its screen", decodeGif, cut(gifScreen(), 8), "GIF: truncated file",
         ErrorKind::Truncated},
        {"gif: trailer only", decodeGif, gif({0x3B}), "GIF: no image in the file",
         ErrorKind::Corrupt},
        {"gif: unknown block", decodeGif, gif({0x99}), "GIF: unknown block type 153",
         ErrorKind::Corrupt},
        {"gif: code size 12", decodeGif, gif({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 12, 0, 0x3B}),
         "GIF: invalid LZW code size 12", ErrorKind::Corrupt},
        {"gif: frame over the limits", decodeGif,
         gif({0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 8, 0, 0x3B}),
         "Image is too large (65535 x 65535)", ErrorKind::TooLarge},

        {"bmp: other content", decodeBmp, text("hello"), "BMP: not a BMP file",
         ErrorKind::Unsupported},
        {"bmp: cut in its file header", decodeBmp, text("BM1234"), "BMP: truncated file",
         ErrorKind::Truncated},
        {"bmp: unknown header", decodeBmp, bmp(2, 2, 24, 0, 16, 99), "BMP: unknown header size 99",
         ErrorKind::Unsupported},
        {"bmp: 7 bits a pixel", decodeBmp, bmp(2, 2, 7, 0, 16), "BMP: unsupported bits a pixel (7)",
         ErrorKind::Unsupported},
        {"bmp: pixels cut", decodeBmp, bmp(2, 2, 24, 0, 9), "BMP: truncated pixel data",
         ErrorKind::Truncated},
        {"bmp: top-down RLE", decodeBmp, bmp(2, -2, 8, 1, 16), "BMP: top-down RLE bitmap",
         ErrorKind::Corrupt},
        {"bmp: over the limits", decodeBmp, bmp(70000, 10, 24, 0, 16),
         "Image is too large (70000 x 10)", ErrorKind::TooLarge},

        {"ico: other content", decodeIco, text("hello"), "ICO: not an icon file",
         ErrorKind::Unsupported},
        {"ico: entry outside the file", decodeIco, ico({1, 2, 3}, 100), "ICO: no image in the icon",
         ErrorKind::Corrupt},
        // The entry's own failure, kind and all.
        {"ico: entry of an unknown DIB", decodeIco, ico(dibHeader(99)),
         "BMP: unknown header size 99", ErrorKind::Unsupported},

        {"wbmp: cut in its header",
         decodeWbmp,
         {0, 0, 0x81},
         "WBMP: truncated header",
         ErrorKind::Truncated},
        {"wbmp: type 1",
         decodeWbmp,
         {1, 0, 8, 1, 0},
         "WBMP: not a type 0 WBMP file",
         ErrorKind::Unsupported},
        {"wbmp: header extension",
         decodeWbmp,
         {0, 1, 8, 1, 0},
         "WBMP: unsupported header extension",
         ErrorKind::Unsupported},
        {"wbmp: pixels cut",
         decodeWbmp,
         {0, 0, 8, 2, 0xFF},
         "WBMP: truncated pixel data",
         ErrorKind::Truncated},
        {"wbmp: over the limits",
         decodeWbmp,
         {0, 0, 0x86, 0x8D, 0x20, 1, 0},
         "Image is too large (100000 x 1)",
         ErrorKind::TooLarge},

        {"content: unknown", decodeByContent, text("hello"), "Unknown file format",
         ErrorKind::Unsupported},
        {"content: WebP",
         decodeByContent,
         {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'E', 'B', 'P'},
         "WebP is not read here",
         ErrorKind::Unsupported},
    };
}

TEST(DecodeErrors, EachReaderGivesItsTextKindAndCode) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        testing::expectRefused(c);
    }
}

// The pieces above are damaged copies of pictures that do decode.
TEST(DecodeErrors, TheUndamagedFixturesDecode) {
    EXPECT_EQ(decodePng(goodPng()).width, 2u);
    EXPECT_EQ(decodeWbmp(ByteVector{0, 0, 8, 2, 0xFF, 0x00}).height, 2u);
    ByteVector dib = dibHeader(40);
    dib[4] = 1;                 // width 1
    dib[8] = 2;                 // height 1, with the AND mask
    dib[12] = 1;                // planes
    dib[14] = 32;               // bits a pixel
    dib.resize(40 + 4 + 4, 0);  // one pixel and one mask row
    EXPECT_EQ(decodeIco(ico(dib)).width, 1u);
    EXPECT_EQ(decodeBmp(bmp(2, 2, 24, 0, 16)).width, 2u);
}

// Every way a small good file can be cut or changed fails, if it fails, with a kind.
TEST(DecodeErrors, EveryFailureHasAKind) {
    ByteVector icon = dibHeader(40);
    icon[4] = 1;
    icon[8] = 2;
    icon[12] = 1;
    icon[14] = 32;
    icon.resize(48, 0);
    const std::pair<DecodedImage (*)(Bytes), ByteVector> goods[] = {
        {decodePng, goodPng()},
        {decodeJpeg, jpegHeader(8, 8)},
        {decodeGif, gif({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x3B})},
        {decodeBmp, bmp(2, 2, 24, 0, 16)},
        {decodeIco, ico(icon)},
        {decodeWbmp, {0, 0, 8, 2, 0xFF, 0x00}},
    };
    for (const auto& [reader, good] : goods) {
        for (std::size_t n = 0; n <= good.size(); ++n) {
            for (int change : {-1, 0x00, 0xFF, 0x80}) {
                ByteVector bytes(good.begin(), good.begin() + static_cast<long>(n));
                if (change >= 0 && n > 0)
                    bytes[n - 1] = static_cast<std::uint8_t>(change);
                try {
                    reader(bytes);
                } catch (const DecodeError& e) {
                    EXPECT_NE(e.kind(), ErrorKind::None) << e.what();
                }
            }
        }
    }
}

}  // namespace
}  // namespace pixmorrow::formats

// Small files made to hurt: headers that claim huge pictures the data cannot hold, icon
// directories that point thousands of times at one damaged image, JPEG files of endless
// scans. Each must fail at once with its own error; the work a reader did on them used to
// follow the header (a gigabyte zeroed, minutes of passes). The bound is ctest's time-out
// for this executable, never a timed assertion: the cases are decoded many times over, so
// a reader that still does the header's work runs far past it.
#include "crafted_bytes.h"
#include "formats/readers.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <jerror.h>
#include <jpeglib.h>
#include <cstdio>  // jpeglib.h needs FILE

#include <cstring>
#include <string>
#include <vector>

namespace pixmorrow::formats {
namespace {

using testing::ByteVector;
using testing::chunk;
using testing::put16le;
using testing::put32be;
using testing::put32le;
using Case = testing::RefusedFile;

// --- BMP and ICO ----------------------------------------------------------------------

// A 40-byte info header: the picture's size, bits and compression.
ByteVector dibHeader(std::int32_t width, std::int32_t height, std::uint16_t bpp,
                     std::uint32_t compression = 0) {
    ByteVector out;
    put32le(out, 40);
    put32le(out, static_cast<std::uint32_t>(width));
    put32le(out, static_cast<std::uint32_t>(height));
    put16le(out, 1);
    put16le(out, bpp);
    put32le(out, compression);
    out.resize(40, 0);
    return out;
}

ByteVector bmpFile(const ByteVector& header, const ByteVector& pixels) {
    ByteVector out = {'B', 'M'};
    put32le(out, 0);
    put32le(out, 0);
    put32le(out, static_cast<std::uint32_t>(14 + header.size()));
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// An icon directory of `entries` whose images are `images`, placed one after another; entry
// i points at image offsets[i].
ByteVector icoFile(const std::vector<ByteVector>& images, const std::vector<int>& entryImage,
                   const std::vector<std::uint8_t>& entrySide) {
    const std::size_t count = entryImage.size();
    std::vector<std::uint32_t> offsets;
    std::uint32_t at = static_cast<std::uint32_t>(6 + 16 * count);
    for (const ByteVector& image : images) {
        offsets.push_back(at);
        at += static_cast<std::uint32_t>(image.size());
    }
    ByteVector out = {0, 0, 1, 0};
    put16le(out, static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const ByteVector& image = images[static_cast<std::size_t>(entryImage[i])];
        out.insert(out.end(), {entrySide[i], entrySide[i], 0, 0, 1, 0, 32, 0});
        put32le(out, static_cast<std::uint32_t>(image.size()));
        put32le(out, offsets[static_cast<std::size_t>(entryImage[i])]);
    }
    for (const ByteVector& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

// A whole 1 x 1 icon image: 32-bit pixel and its mask row.
ByteVector goodIconImage() {
    ByteVector image = dibHeader(1, 2, 32);
    image.insert(image.end(), {10, 20, 30, 255, 0, 0, 0, 0});
    return image;
}

// --- PNG ------------------------------------------------------------------------------

// An RGBA PNG of that size whose image data is the zlib stream of `raw` zero bytes.
ByteVector pngFile(std::uint32_t width, std::uint32_t height, std::size_t raw) {
    ByteVector header;
    put32be(header, width);
    put32be(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    const ByteVector zeros(raw, 0);
    uLongf length = compressBound(static_cast<uLong>(zeros.size()));
    ByteVector packed(length);
    compress2(packed.data(), &length, zeros.data(), static_cast<uLong>(zeros.size()), 9);
    packed.resize(length);
    ByteVector out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const ByteVector& c : {chunk("IHDR", header), chunk("IDAT", packed), chunk("IEND", {})})
        out.insert(out.end(), c.begin(), c.end());
    return out;
}

// --- GIF ------------------------------------------------------------------------------

// A GIF with a screen of that size and one frame of that size at 0,0, whose LZW data is a
// clear code and the end code (2-bit codes: nothing of the picture).
ByteVector gifFile(std::uint16_t screenWidth, std::uint16_t screenHeight, std::uint16_t width,
                   std::uint16_t height) {
    ByteVector out = {'G', 'I', 'F', '8', '9', 'a'};
    put16le(out, screenWidth);
    put16le(out, screenHeight);
    out.insert(out.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});  // two colours
    out.insert(out.end(), {0x2C, 0, 0, 0, 0});
    put16le(out, width);
    put16le(out, height);
    out.insert(out.end(), {0, 2, 1, 0x2C, 0, 0x3B});
    return out;
}

// --- JPEG -----------------------------------------------------------------------------

// A gray JPEG of a flat picture; `scans` is a scan script, or empty for a baseline file, or
// null for libjpeg's own progressive script.
ByteVector grayJpeg(std::uint32_t width, std::uint32_t height,
                    const std::vector<jpeg_scan_info>* scans) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    if (scans == nullptr) {
        jpeg_simple_progression(&info);
    } else if (!scans->empty()) {
        info.scan_info = scans->data();
        info.num_scans = static_cast<int>(scans->size());
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(width, 128);
    while (info.next_scanline < height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    ByteVector out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// The file with its first scan (the SOS marker and its entropy data), then that scan's
// header alone `times` more times: scans without data, each of which still costs libjpeg a
// pass over every block.
ByteVector withFirstScanRepeated(const ByteVector& jpeg, int times) {
    const auto length = [&jpeg](std::size_t marker) {
        return std::size_t{jpeg[marker + 2]} << 8 | jpeg[marker + 3];
    };
    std::size_t sos = 2;
    while (!(jpeg[sos] == 0xFF && jpeg[sos + 1] == 0xDA))
        sos += 2 + length(sos);
    const std::size_t header = sos + 2 + length(sos);
    // The entropy data ends at the first marker that is neither a stuffed byte nor a restart.
    std::size_t end = header;
    while (!(jpeg[end] == 0xFF && jpeg[end + 1] != 0 &&
             (jpeg[end + 1] < 0xD0 || jpeg[end + 1] > 0xD7)))
        ++end;
    const auto at = [&jpeg](std::size_t offset) {
        return jpeg.begin() + static_cast<std::ptrdiff_t>(offset);
    };
    ByteVector out(jpeg.begin(), at(end));
    for (int i = 0; i < times; ++i)
        out.insert(out.end(), at(sos), at(header));
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

// A valid progression of 694 scans: the DC scan, then each of the 63 AC coefficients alone,
// first at a tenth of its precision and then refined one bit at a time.
std::vector<jpeg_scan_info> longProgression() {
    std::vector<jpeg_scan_info> scans;
    scans.push_back({1, {0, 0, 0, 0}, 0, 0, 0, 0});
    for (int k = 1; k <= 63; ++k) {
        scans.push_back({1, {0, 0, 0, 0}, k, k, 0, 10});
        for (int bit = 10; bit >= 1; --bit)
            scans.push_back({1, {0, 0, 0, 0}, k, k, bit, bit - 1});
    }
    return scans;
}

TEST(HostileInput, SmallFilesThatClaimHugePicturesFailAtOnce) {
    // A gigabyte of BGRA pixels, the most the limits allow.
    constexpr std::int32_t kWide = 65535, kHigh = 4096;
    const std::string huge = "(65535 x 4096)";
    const ByteVector emptyIcon = dibHeader(16384, 2 * 16384, 32);
    // Thousands of entries, each its own copy of an image header claiming a gigabyte.
    std::vector<ByteVector> manyImages(3000, emptyIcon);
    std::vector<int> eachOwn;
    for (int i = 0; i < 3000; ++i)
        eachOwn.push_back(i);
    const ByteVector progressive = grayJpeg(2048, 2048, nullptr);
    const std::vector<jpeg_scan_info> empty;
    const ByteVector baseline = grayJpeg(65500, 8, &empty);
    ByteVector cutBaseline(baseline.begin(), baseline.begin() + 1000);
    // The header's size grown: the data of 8 rows cannot be 4096 rows.
    std::size_t sof = 2;
    while (!(baseline[sof] == 0xFF && baseline[sof + 1] == 0xC0))
        sof += 2 + (std::size_t{baseline[sof + 2]} << 8 | baseline[sof + 3]);
    ByteVector tallBaseline = baseline;
    tallBaseline[sof + 5] = 0x10;  // height 4096
    tallBaseline[sof + 6] = 0x00;

    const std::vector<Case> cases = {
        {"bmp: 24-bit header, no pixels", decodeBmp, bmpFile(dibHeader(kWide, kHigh, 24), {}),
         "BMP: truncated pixel data", ErrorKind::Truncated},
        {"bmp: RLE8 that ends at once", decodeBmp, bmpFile(dibHeader(kWide, kHigh, 8, 1), {0, 1}),
         "BMP: the file is too short for its image " + huge, ErrorKind::Truncated},
        {"ico: 3000 entries of empty gigabyte headers", decodeIco,
         icoFile(manyImages, eachOwn, std::vector<std::uint8_t>(3000, 0)), "ICO: truncated bitmap",
         ErrorKind::Truncated},
        {"png: a few bytes of image data", decodePng, pngFile(kWide, kHigh, 1000),
         "PNG: the file is too short for its image " + huge, ErrorKind::Truncated},
        {"gif: a tiny frame on a huge screen", decodeGif, gifFile(kWide, kHigh, 1, 1),
         "GIF: the file is too short for its image " + huge, ErrorKind::Truncated},
        {"gif: a huge frame of two codes", decodeGif, gifFile(kWide, kHigh, kWide, kHigh),
         "GIF: the file is too short for its image " + huge, ErrorKind::Truncated},
        {"wbmp: header only",
         decodeWbmp,
         {0, 0, 0x83, 0xFF, 0x7F, 0xA0, 0x00},
         "WBMP: truncated pixel data",
         ErrorKind::Truncated},
        {"jpeg: baseline header of 4096 rows over the data of 8", decodeJpeg, tallBaseline,
         "JPEG: the file is too short for its image (65500 x 4096)", ErrorKind::Truncated},
        {"jpeg: thousands of repeated scans",
         decodeJpeg,
         withFirstScanRepeated(progressive, 20000),
         "JPEG error #" + std::to_string(JWRN_BOGUS_PROGRESSION),
         ErrorKind::Corrupt,
         {CodeSource::Libjpeg, JWRN_BOGUS_PROGRESSION}},
    };
    // Old readers took a second or more on each of these; decoded 100 times over, that would
    // run far past the time-out.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int round = 0; round < 100; ++round) {
            testing::expectRefused(c);
            if (::testing::Test::HasFailure())
                break;
        }
    }
    // A file cut short still ends at its end.
    try {
        decodeJpeg(cutBaseline);
        ADD_FAILURE() << "decoded";
    } catch (const DecodeError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Truncated);
    }
}

TEST(HostileInput, AJpegOfTooManyScansIsRefusedAndAFewScansAreNot) {
    const std::vector<jpeg_scan_info> scans = longProgression();
    try {
        decodeJpeg(grayJpeg(8, 8, &scans));
        ADD_FAILURE() << "decoded";
    } catch (const DecodeError& e) {
        EXPECT_STREQ(e.what(), "JPEG: too many scans (more than 256)");
        EXPECT_EQ(e.kind(), ErrorKind::Corrupt);
    }
    // The same picture in libjpeg's own progression and as a baseline file.
    const std::vector<jpeg_scan_info> baseline;
    for (const auto* script :
         {static_cast<const std::vector<jpeg_scan_info>*>(nullptr), &baseline}) {
        const DecodedImage image = decodeJpeg(grayJpeg(8, 8, script));
        EXPECT_EQ(image.width, 8u);
        EXPECT_EQ(image.bgra[0], 128);
    }
}

TEST(HostileInput, AnIconTriesAFewImagesAndEachPlaceOnce) {
    const ByteVector broken = dibHeader(64, 128, 7);  // 7 bits a pixel
    const ByteVector good = goodIconImage();
    // Twenty entries of one damaged 64 px image, then the good 1 px one: the damaged image
    // is tried once, so the good one is reached.
    std::vector<int> toOne(20, 0);
    toOne.push_back(1);
    std::vector<std::uint8_t> sides(20, 64);
    sides.push_back(1);
    const DecodedImage image = decodeIco(icoFile({broken, good}, toOne, sides));
    EXPECT_EQ(image.width, 1u);
    EXPECT_EQ(image.bgra[0], 10);
    // Four damaged images at four places come first: no more are tried, and the first
    // failure is what the user reads.
    try {
        decodeIco(
            icoFile({broken, broken, broken, broken, good}, {0, 1, 2, 3, 4}, {64, 64, 64, 64, 1}));
        ADD_FAILURE() << "decoded";
    } catch (const DecodeError& e) {
        EXPECT_STREQ(e.what(), "BMP: unsupported bits a pixel (7)");
        EXPECT_EQ(e.kind(), ErrorKind::Unsupported);
    }
}

}  // namespace
}  // namespace pixmorrow::formats

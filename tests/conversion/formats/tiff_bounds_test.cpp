// TIFF files whose directory claims a huge picture that their strips cannot hold: refused
// before the raster is allocated, while highly compressed real pictures still decode.
#include "conversion/formats/tiff_codec.h"
#include "formats/decode_error.h"
#include "formats/test_support.h"
#include "support/peak_memory.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <string>
#include <vector>

namespace pixmorrow {
namespace {

using formats::testing::readBytes;
using formats::testing::TempFolder;

struct Layout {
    std::uint16_t compression;
    bool tiled;
};

// A 16000 x 16000 8-bit gray TIFF of that compression whose first strip or tile holds 8
// bytes, the others nothing.
std::vector<std::uint8_t> claimingTiff(const std::string& path, Layout layout) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 16000);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 16000);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, layout.compression);
    const std::uint8_t data[8] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
    if (layout.tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, 4096);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, 4096);
        TIFFWriteRawTile(tif, 0, const_cast<std::uint8_t*>(data), sizeof data);
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16000);
        TIFFWriteRawStrip(tif, 0, const_cast<std::uint8_t*>(data), sizeof data);
    }
    TIFFClose(tif);
    return readBytes(path);
}

// A flat gray picture of that size and compression, written by libtiff.
std::vector<std::uint8_t> flatTiff(const std::string& path, std::uint32_t width,
                                   std::uint32_t height, std::uint16_t compression) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    if (compression == COMPRESSION_ADOBE_DEFLATE)
        TIFFSetField(tif, TIFFTAG_ZIPQUALITY, 9);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
    const std::vector<std::uint8_t> row(width, 77);
    for (std::uint32_t y = 0; y < height; ++y)
        TIFFWriteScanline(tif, const_cast<std::uint8_t*>(row.data()), y, 0);
    TIFFClose(tif);
    return readBytes(path);
}

TEST(TiffBounds, StripsThatCannotHoldThePictureAreRefusedBeforeItIsAllocated) {
    TempFolder folder;
    const struct {
        const char* name;
        Layout layout;
    } cases[] = {
        {"stored strip", {COMPRESSION_NONE, false}},
        {"LZW strip", {COMPRESSION_LZW, false}},
        {"deflate strip", {COMPRESSION_ADOBE_DEFLATE, false}},
        {"PackBits strip", {COMPRESSION_PACKBITS, false}},
        {"stored tiles", {COMPRESSION_NONE, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> bytes = claimingTiff(folder.file("claim.tif"), c.layout);
        ASSERT_LT(bytes.size(), 1000u);
        const testing::ChildWork run = testing::peakOfWorkInChild([&] {
            try {
                decodeTiff(bytes);
                return std::string("decoded");
            } catch (const formats::DecodeError& e) {
                return std::string(e.what()) +
                       (e.kind() == formats::ErrorKind::Truncated ? " [truncated]" : "");
            }
        });
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.result,
                  "TIFF: the file is too short for its image (16000 x 16000) [truncated]");
        // The picture is a gigabyte as BGRA: preparing it would show here.
        EXPECT_LT(run.peakKb, 128u * 1024) << "KiB";
    }
}

TEST(TiffBounds, HighlyCompressedPicturesStillDecode) {
    // Flat pictures come close to each compression's greatest ratio.
    TempFolder folder;
    for (std::uint16_t compression :
         {COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE, COMPRESSION_PACKBITS}) {
        SCOPED_TRACE(compression);
        const std::vector<std::uint8_t> bytes =
            flatTiff(folder.file("flat.tif"), 16000, 2048, compression);
        const formats::DecodedImage image = decodeTiff(bytes);
        ASSERT_EQ(image.width, 16000u);
        ASSERT_EQ(image.height, 2048u);
        for (std::size_t at : {std::size_t{0}, image.bgra.size() / 2, image.bgra.size() - 4})
            EXPECT_EQ(
                (std::vector<std::uint8_t>(image.bgra.begin() + at, image.bgra.begin() + at + 4)),
                (std::vector<std::uint8_t>{77, 77, 77, 255}))
                << at;
    }
}

}  // namespace
}  // namespace pixmorrow

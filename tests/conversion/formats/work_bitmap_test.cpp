#include "conversion/formats/work_bitmap.h"
#include "conversion/formats/bmp_writer.h"
#include "formats/readers.h"
#include "formats/test_support.h"
#include "platform/error.h"

#include <gtest/gtest.h>

#include <QString>

namespace pixmorrow {
namespace {

using formats::testing::TempFolder;

formats::DecodedImage picture(std::uint32_t w, std::uint32_t h, std::vector<std::uint8_t> bgra) {
    formats::DecodedImage image;
    image.width = w;
    image.height = h;
    image.bgra = std::move(bgra);
    return image;
}

TEST(WorkBitmap, DrawComposesTransparencyOverWhite) {
    // Opaque, half-transparent black, clear red, 25% blue.
    WorkBitmap bitmap;
    bitmap.draw(picture(4, 1, {10, 20, 30, 255, 0, 0, 0, 128, 0, 0, 255, 0, 255, 0, 0, 64}));
    ASSERT_EQ(bitmap.format(), WorkBitmap::Format::Bgra32);
    const std::uint8_t* p = bitmap.row(0);
    const std::vector<int> got(p, p + 16);
    // 255 * 127 / 255 rounds to 127; 255 * 64 + 255 * 191 = 255 * 255; 255 * 191 / 255 = 191.
    EXPECT_EQ(got, (std::vector<int>{10, 20, 30, 255, 127, 127, 127, 255, 255, 255, 255, 255, 255,
                                     191, 191, 255}));
}

TEST(GrayscaleBitmap, AveragesChannelsIntoTwentyFourBits) {
    WorkBitmap bitmap;
    // (B, G, R): sums 6 -> 2, 767 -> 255 (no overflow), 2 -> 0 (remainder dropped), 254 -> 84.
    bitmap.draw(picture(2, 2, {1, 2, 3, 255, 255, 255, 255, 255, 1, 1, 0, 255, 0, 254, 0, 255}));
    GrayscaleBitmap(bitmap);
    ASSERT_EQ(bitmap.format(), WorkBitmap::Format::Bgr24);
    ASSERT_EQ(bitmap.stride(), 6u);
    EXPECT_EQ(std::vector<int>(bitmap.row(0), bitmap.row(0) + 6),
              (std::vector<int>{2, 2, 2, 255, 255, 255}));
    EXPECT_EQ(std::vector<int>(bitmap.row(1), bitmap.row(1) + 6),
              (std::vector<int>{0, 0, 0, 84, 84, 84}));
}

TEST(GrayscaleBitmap, WorksOnTheComposedColours) {
    WorkBitmap bitmap;
    bitmap.draw(picture(1, 1, {0, 0, 0, 0}));  // clear becomes white, stays white
    GrayscaleBitmap(bitmap);
    EXPECT_EQ(std::vector<int>(bitmap.row(0), bitmap.row(0) + 3),
              (std::vector<int>{255, 255, 255}));
}

std::vector<std::uint8_t> gradient(std::uint32_t w, std::uint32_t h) {
    std::vector<std::uint8_t> bgra(std::size_t{w} * h * 4);
    for (std::size_t i = 0; i < bgra.size(); i += 4) {
        bgra[i] = static_cast<std::uint8_t>(i * 7);
        bgra[i + 1] = static_cast<std::uint8_t>(i / 4 * 13);
        bgra[i + 2] = static_cast<std::uint8_t>(255 - i);
        bgra[i + 3] = 255;
    }
    return bgra;
}

TEST(BmpWriter, RoundTripsEveryRowPaddingBothFormats) {
    TempFolder folder;
    for (std::uint32_t width : {1u, 2u, 3u, 4u, 5u, 7u}) {
        for (bool gray : {false, true}) {
            SCOPED_TRACE(std::to_string(width) + (gray ? " gray" : ""));
            WorkBitmap bitmap;
            bitmap.draw(picture(width, 3, gradient(width, 3)));
            if (gray)
                GrayscaleBitmap(bitmap);
            const auto bytes = encodeBmp(bitmap);
            const std::size_t stride = (width * 3 + 3) / 4 * 4;
            ASSERT_EQ(bytes.size(), 54 + stride * 3);
            EXPECT_EQ(bytes[28], 24);
            // Padding bytes are zero; the first stored row is the bottom one.
            for (std::size_t r = 0; r < 3; ++r)
                for (std::size_t i = width * 3; i < stride; ++i)
                    EXPECT_EQ(bytes[54 + r * stride + i], 0);
            EXPECT_EQ(bytes[54], bitmap.row(2)[0]);

            const auto expected = bitmap.toBgra();
            EXPECT_EQ(formats::decodeBmp(bytes).bgra, expected);
            const std::string path =
                folder.file("w" + std::to_string(width) + (gray ? "g" : "") + ".bmp");
            writeBmp(bitmap, QString::fromStdString(path));
            EXPECT_EQ(formats::testing::magickBgra(path), expected);
        }
    }
}

TEST(BmpWriter, NeverReplacesAFile) {
    TempFolder folder;
    const std::string path = folder.file("taken.bmp");
    formats::testing::writeBytes(path, {1, 2, 3});
    WorkBitmap bitmap;
    bitmap.draw(picture(1, 1, {0, 0, 0, 255}));
    try {
        writeBmp(bitmap, QString::fromStdString(path));
        FAIL() << "replaced";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QString::fromStdString("Cannot write " + path + ": File exists"));
    }
    EXPECT_EQ(formats::testing::readBytes(path), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

}  // namespace
}  // namespace pixmorrow

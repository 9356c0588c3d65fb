// The decoders' shared limits and their checked size arithmetic.
#include "formats/decode_limits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace pixmorrow::formats {
namespace {

constexpr std::size_t kSizeMax = std::numeric_limits<std::size_t>::max();

TEST(Limits, ValuesOfThePlainBuild) {
#ifndef PIXMORROW_DECODE_LIMITS_SMALL
    EXPECT_EQ(kMaxSide, 65535u);
    EXPECT_EQ(kMaxPixels, std::uint64_t{1} << 28);
    EXPECT_EQ(kMaxImageBytes, std::uint64_t{1} << 30);
#else
    EXPECT_LT(kMaxPixels, std::uint64_t{1} << 28);
#endif
}

TEST(Limits, CheckedBytesRefusesEveryOverflow) {
    static_assert(checkedBytes(3, 5, 4, 2) == 62u);
    EXPECT_EQ(checkedBytes(0, kSizeMax, 4), 0u);
    EXPECT_EQ(checkedBytes(kSizeMax, 0, 4), 0u);
    EXPECT_EQ(checkedBytes(kSizeMax, 1), kSizeMax);
    EXPECT_EQ(checkedBytes(1, 1, 1, kSizeMax - 1), kSizeMax);
    // Each step of width * height * bytes + extra can be the one that overflows.
    EXPECT_EQ(checkedBytes(std::uint64_t{1} << 32, std::uint64_t{1} << 32), std::nullopt);
    EXPECT_EQ(checkedBytes(std::uint64_t{1} << 32, std::uint64_t{1} << 31, 2), std::nullopt);
    EXPECT_EQ(checkedBytes(kSizeMax / 4 + 1, 1, 4), std::nullopt);
    EXPECT_EQ(checkedBytes(kSizeMax / 4, 1, 4, 4), std::nullopt);
    EXPECT_EQ(checkedBytes(1, 1, 1, kSizeMax), std::nullopt);
}

TEST(Limits, SidesAndPixelCountBothBound) {
    EXPECT_TRUE(withinLimits(kMaxSide, 1));
    EXPECT_FALSE(withinLimits(kMaxSide + 1, 1));
    EXPECT_FALSE(withinLimits(1, kMaxSide + 1));
    const std::uint64_t widest = kMaxPixels / kMaxSide;
    EXPECT_TRUE(withinLimits(widest, kMaxSide));
    EXPECT_FALSE(withinLimits(widest + 1, kMaxSide));
    // Sides too large to multiply safely are refused by the side check first.
    EXPECT_FALSE(withinLimits(std::uint64_t{1} << 40, std::uint64_t{1} << 40));
}

TEST(Limits, SizeErrorsHaveTheirTextAndKind) {
    struct Case {
        std::uint64_t width, height;
        const char* text;
        ErrorKind kind;
    };
    const Case cases[] = {
        {0, 5, "GIF: the image has no pixels (0 x 5)", ErrorKind::Corrupt},
        {70000, 10, "Image is too large (70000 x 10)", ErrorKind::TooLarge},
        {kMaxSide, kMaxSide, "Image is too large (65535 x 65535)", ErrorKind::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto error = imageSizeError(c.width, c.height, "GIF");
        ASSERT_TRUE(error);
        EXPECT_STREQ(error->what(), c.text);
        EXPECT_EQ(error->kind(), c.kind);
        EXPECT_EQ(error->code(), LibraryCode{});
        try {
            checkImageSize(c.width, c.height, "GIF");
            ADD_FAILURE() << "accepted";
        } catch (const DecodeError& e) {
            EXPECT_STREQ(e.what(), c.text);
            EXPECT_EQ(e.kind(), c.kind);
        }
    }
    EXPECT_FALSE(imageSizeError(kMaxSide, 1, "GIF"));
    EXPECT_EQ(imageBytes(3, 5, 4, "GIF"), 60u);
    EXPECT_THROW(imageBytes(0, 5, 4, "GIF"), DecodeError);
}

// A vector document's size: huge and NaN values are turned into whole numbers safely.
TEST(Limits, RoundedSizesAreCheckedWithoutOverflow) {
    auto textOf = [](double width, double height) -> std::string {
        try {
            checkRoundedSize(width, height, "SVG");
            return "accepted";
        } catch (const DecodeError& e) {
            return e.what();
        }
    };
    EXPECT_EQ(textOf(640, 480), "accepted");
    EXPECT_EQ(textOf(70000, 10), "Image is too large (70000 x 10)");
    EXPECT_EQ(textOf(1e30, 10), "Image is too large (18446744073709551615 x 10)");
    EXPECT_EQ(textOf(std::nan(""), 10), "SVG: the image has no pixels (0 x 10)");
    EXPECT_EQ(textOf(-5, 10), "SVG: the image has no pixels (0 x 10)");
}

}  // namespace
}  // namespace pixmorrow::formats

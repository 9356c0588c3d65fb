// The size arithmetic of resizing: every mode on portrait and landscape pictures, the
// do-not-enlarge rule, tiny and odd sizes, percent rounding, the text forms and the JPEG
// decoding scale.
#include "formats/resize_plan.h"

#include <gtest/gtest.h>

namespace pixmorrow::formats {
namespace {

ResizeRequest request(ResizeMode mode, std::uint32_t value, bool enlarge = false,
                      std::uint32_t boxHeight = 0) {
    ResizeRequest r;
    r.mode = mode;
    r.value = value;
    r.boxHeight = boxHeight;
    r.enlarge = enlarge;
    return r;
}

struct SizeCase {
    const char* what;
    PixelSize source;
    ResizeRequest request;
    PixelSize expected;
};

TEST(ResizePlan, SizesOfEveryMode) {
    using M = ResizeMode;
    const SizeCase cases[] = {
        // Longest side: whichever side is longer becomes the value.
        {"landscape long", {4000, 3000}, request(M::LongestSide, 1920), {1920, 1440}},
        {"portrait long", {3000, 4000}, request(M::LongestSide, 1920), {1440, 1920}},
        {"square long", {500, 500}, request(M::LongestSide, 100), {100, 100}},
        {"odd long rounds half up", {1001, 667}, request(M::LongestSide, 500), {500, 333}},
        {"half rounds up", {3, 1}, request(M::LongestSide, 1), {1, 1}},
        {"exact half up", {200, 101}, request(M::LongestSide, 100), {100, 51}},
        {"below half down", {400, 101}, request(M::LongestSide, 100), {100, 25}},
        {"thin never zero", {10000, 3}, request(M::LongestSide, 100), {100, 1}},
        {"one pixel stays", {1, 1}, request(M::LongestSide, 1920), {1, 1}},
        {"one pixel enlarged", {1, 1}, request(M::LongestSide, 7, true), {7, 7}},
        // Width and height: that side is fixed, whatever the orientation.
        {"width of landscape", {4000, 3000}, request(M::Width, 800), {800, 600}},
        {"width of portrait", {3000, 4000}, request(M::Width, 800), {800, 1067}},
        {"height of landscape", {4000, 3000}, request(M::Height, 600), {800, 600}},
        {"height of portrait", {3000, 4000}, request(M::Height, 600), {450, 600}},
        {"odd width", {333, 777}, request(M::Width, 100), {100, 233}},
        // Fit in box: the side that meets the box first.
        {"fit landscape", {4000, 3000}, request(M::FitInBox, 1920, false, 1080), {1440, 1080}},
        {"fit portrait", {3000, 4000}, request(M::FitInBox, 1920, false, 1080), {810, 1080}},
        {"fit wide panorama", {8000, 1000}, request(M::FitInBox, 1920, false, 1080), {1920, 240}},
        {"fit exact box", {3840, 2160}, request(M::FitInBox, 1920, false, 1080), {1920, 1080}},
        {"fit enlarges to box", {192, 108}, request(M::FitInBox, 1920, true, 1080), {1920, 1080}},
        // Percent: each side on its own, halves up.
        {"half", {4000, 3000}, request(M::Percent, 50), {2000, 1500}},
        {"half of odd", {3, 5}, request(M::Percent, 50), {2, 3}},
        {"one percent of small", {49, 150}, request(M::Percent, 1), {1, 2}},
        {"hundred percent", {123, 45}, request(M::Percent, 100), {123, 45}},
        {"thirty three", {1000, 10}, request(M::Percent, 33), {330, 3}},
        {"double with enlarge", {3, 5}, request(M::Percent, 200, true), {6, 10}},
        // Do not enlarge (the default): a picture that would grow keeps its size.
        {"small long kept", {800, 600}, request(M::LongestSide, 1920), {800, 600}},
        {"small long enlarged", {800, 600}, request(M::LongestSide, 1920, true), {1920, 1440}},
        {"narrow width kept", {400, 4000}, request(M::Width, 800), {400, 4000}},
        {"short height kept", {4000, 300}, request(M::Height, 600), {4000, 300}},
        {"inside box kept", {1000, 500}, request(M::FitInBox, 1920, false, 1080), {1000, 500}},
        {"percent above kept", {100, 100}, request(M::Percent, 150), {100, 100}},
        {"percent above enlarged", {100, 100}, request(M::Percent, 150, true), {150, 150}},
        {"already the size", {1920, 1200}, request(M::LongestSide, 1920), {1920, 1200}},
        // The largest sides do not overflow.
        {"huge", {65535, 65535}, request(M::Percent, 1000, true), {655350, 655350}},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(plannedSize(c.source, c.request), c.expected)
            << plannedSize(c.source, c.request).width << " x "
            << plannedSize(c.source, c.request).height;
    }
}

TEST(ResizePlan, TextForms) {
    using M = ResizeMode;
    struct Case {
        const char* text;
        std::optional<ResizeRequest> expected;
    };
    const Case cases[] = {
        {"long:1920", request(M::LongestSide, 1920, false, 1080)},
        {"  LONG:1 ", request(M::LongestSide, 1, false, 1080)},
        {"width:800", request(M::Width, 800, false, 1080)},
        {"height:600", request(M::Height, 600, false, 1080)},
        {"fit:1920x1080", request(M::FitInBox, 1920, false, 1080)},
        {"Fit:640X480", request(M::FitInBox, 640, false, 480)},
        {"50%", request(M::Percent, 50, false, 1080)},
        {"1000%", request(M::Percent, 1000, false, 1080)},
        {"65535%", std::nullopt},
        {"long:65535", request(M::LongestSide, 65535, false, 1080)},
        {"long:65536", std::nullopt},
        {"long:0", std::nullopt},
        {"0%", std::nullopt},
        {"long:-5", std::nullopt},
        {"long:+5", std::nullopt},
        {"long:19x", std::nullopt},
        {"long:", std::nullopt},
        {"long", std::nullopt},
        {"1920", std::nullopt},
        {"fit:1920", std::nullopt},
        {"fit:x1080", std::nullopt},
        {"fit:1920x", std::nullopt},
        {"side:100", std::nullopt},
        {"%", std::nullopt},
        {"", std::nullopt},
        {"long:99999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseResizeRequest(c.text), c.expected);
    }
    // The text of a request reads back as the same request.
    for (const char* text : {"long:1920", "width:800", "height:600", "fit:1920x1080", "50%"}) {
        const auto parsed = parseResizeRequest(text);
        ASSERT_TRUE(parsed) << text;
        EXPECT_EQ(resizeRequestText(*parsed), text);
    }
}

TEST(ResizePlan, JpegScaleLeavesTheResamplerOnlyShrinking) {
    struct Case {
        PixelSize stored, target;
        int expected;
    };
    const Case cases[] = {
        {{4000, 3000}, {1920, 1440}, 2},  // 2000 x 1500 still holds the target
        {{4000, 3000}, {2001, 1500}, 1},  // half would be too small by a pixel
        {{4000, 3000}, {2000, 1500}, 2},  // exactly half
        {{4000, 3000}, {1000, 750}, 4},
        {{4000, 3000}, {500, 375}, 8},
        {{4000, 3000}, {100, 75}, 8},  // 1/8 is libjpeg-turbo's smallest of these
        {{4000, 3000}, {4000, 3000}, 1},
        {{4000, 3000}, {8000, 6000}, 1},  // growing
        {{7, 7}, {1, 1}, 4},
        {{1, 1}, {1, 1}, 1},
        {{4000, 1000}, {999, 250}, 4},  // both sides must hold
        {{4000, 1000}, {999, 251}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.stored.width << "x" << c.stored.height << " -> "
                                          << c.target.width << "x" << c.target.height);
        EXPECT_EQ(jpegScaleDenominator(c.stored, c.target), c.expected);
    }
}

}  // namespace
}  // namespace pixmorrow::formats

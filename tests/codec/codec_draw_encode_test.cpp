// Surfaces, the grayscale filter, snapshots and encoding through the codec library.
#include "codec_fixtures.h"

#include <QDir>

#include <tuple>

namespace pixmorrow::testing {
namespace {

class CodecDrawTest : public CodecTest {
protected:
    CodecLibrary::Image imageOf(int width, int height, const std::vector<Rgba>& pixels) {
        const QString pam = path(QStringLiteral("src%1.pam").arg(counter_)),
                      png = path(QStringLiteral("src%1.png").arg(counter_));
        ++counter_;
        writePam(pam, width, height, pixels);
        runTool("convert", {pam, png});
        CodecLibrary::Image image = codec().makeImageFromEncodedFile(png);
        EXPECT_TRUE(image) << codec().lastError().toStdString();
        return image;
    }

    // The image drawn onto a cleared surface, optionally through a filter.
    CodecLibrary::Image drawn(const CodecLibrary::Image& image,
                              const CodecLibrary::ColorFilter* filter) {
        CodecLibrary::Surface surface = codec().makeRasterSurface(image.width(), image.height());
        surface.clear(0);
        CodecLibrary::Paint paint = codec().createPaint();
        if (filter)
            paint.setColorFilter(*filter);
        surface.drawImage(image, 0, 0, &paint);
        return surface.makeImageSnapshot();
    }

    int counter_ = 0;
};

TEST_F(CodecDrawTest, GrayscaleFilterUsesLinearLuminance) {
    // Worked by hand: unpremultiply, sRGB to linear, Y = 0.2126 R + 0.7152 G + 0.0722 B,
    // back to sRGB, premultiply. Red: Y = 0.2126 -> sRGB 0.4984 -> 127.10 -> 127.
    // Green: 0.7152 -> 219.93 -> 220. Blue: 0.0722 -> 75.96 -> 76.
    // (200, 100, 50): linear 0.5776, 0.1274, 0.0319 -> Y 0.21624 -> 128.10 -> 128.
    // Red at alpha 128: the same 0.4984 straight, times 128 -> 63.80 -> 64 premultiplied.
    struct Case {
        Rgba in;
        std::uint8_t gray, alpha;
    };
    const std::vector<Case> cases = {
        {{255, 0, 0, 255}, 127, 255},     {{0, 255, 0, 255}, 220, 255},
        {{0, 0, 255, 255}, 76, 255},      {{200, 100, 50, 255}, 128, 255},
        {{255, 255, 255, 255}, 255, 255}, {{0, 0, 0, 255}, 0, 255},
        {{255, 0, 0, 128}, 64, 128},      {{0, 0, 0, 0}, 0, 0},
    };
    std::vector<Rgba> pixels;
    for (const Case& c : cases)
        pixels.push_back(c.in);
    CodecLibrary::Image source = imageOf(int(cases.size()), 1, pixels);
    CodecLibrary::ColorFilter gray = codec().makeHighContrast(true, PMC_INVERT_NONE, 0.0f);
    CodecLibrary::Image result = drawn(source, &gray);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const auto g = cases[i].gray, a = cases[i].alpha;
        EXPECT_EQ(premultipliedAt(result, int(i), 0), (std::vector<std::uint8_t>{g, g, g, a}));
    }
}

TEST_F(CodecDrawTest, HighContrastInvertsBrightness) {
    CodecLibrary::Image source = imageOf(2, 1, {{255, 255, 255, 255}, {0, 0, 0, 255}});
    CodecLibrary::ColorFilter invert = codec().makeHighContrast(false, PMC_INVERT_BRIGHTNESS, 0.0f);
    CodecLibrary::Image result = drawn(source, &invert);
    EXPECT_EQ(premultipliedAt(result, 0, 0), (std::vector<std::uint8_t>{0, 0, 0, 255}));
    EXPECT_EQ(premultipliedAt(result, 1, 0), (std::vector<std::uint8_t>{255, 255, 255, 255}));
}

TEST_F(CodecDrawTest, DrawingComposesSourceOverAtTheNearestPixel) {
    CodecLibrary::Image half = imageOf(1, 1, {{255, 0, 0, 128}});
    CodecLibrary::Surface surface = codec().makeRasterSurface(3, 1);
    surface.clear(0xFF0000FFu);                    // opaque blue
    surface.drawImage(half, 1.6f, 0.0f, nullptr);  // lands on x = 2
    CodecLibrary::Image shot = surface.makeImageSnapshot();
    EXPECT_EQ(premultipliedAt(shot, 1, 0), (std::vector<std::uint8_t>{255, 0, 0, 255}));
    // 128 red over blue: red 128, blue 255 * 127 / 255.
    EXPECT_EQ(premultipliedAt(shot, 2, 0), (std::vector<std::uint8_t>{127, 0, 128, 255}));
}

TEST_F(CodecDrawTest, SnapshotSharesPixelsUntilTheSurfaceChanges) {
    CodecLibrary::Surface surface = codec().makeRasterSurface(2, 2);
    surface.clear(0xFF0000FFu);
    CodecLibrary::Image shot = surface.makeImageSnapshot();
    EXPECT_EQ(shot.peekPixels(), surface.peekPixels());
    surface.clear(0xFFFF0000u);
    EXPECT_NE(shot.peekPixels(), surface.peekPixels());
    EXPECT_EQ(premultipliedAt(shot, 1, 1), (std::vector<std::uint8_t>{255, 0, 0, 255}));
    const auto* now = static_cast<const std::uint8_t*>(surface.peekPixels());
    EXPECT_EQ(std::vector<std::uint8_t>(now, now + 4), (std::vector<std::uint8_t>{0, 0, 255, 255}));
}

TEST_F(CodecDrawTest, ReferencesKeepObjectsAlive) {
    const CodecLibrary::Api& api = codec().api();
    CodecLibrary::Surface surface = codec().makeRasterSurface(2, 1);
    pmc_image* shot = api.surface_make_image_snapshot(surface.get());
    api.image_ref(shot);
    api.image_unref(shot);
    EXPECT_EQ(api.image_get_width(shot), 2);
    // The image outlives its surface.
    surface.reset();
    EXPECT_EQ(static_cast<const std::uint8_t*>(api.image_peek_pixels(shot))[3], 0);
    api.image_unref(shot);

    // A paint holds its own reference to its filter.
    CodecLibrary::Paint paint = codec().createPaint();
    {
        CodecLibrary::ColorFilter filter = codec().makeHighContrast(true, PMC_INVERT_NONE, 0.0f);
        paint.setColorFilter(filter);
    }
    CodecLibrary::Image red = imageOf(1, 1, {{255, 0, 0, 255}});
    CodecLibrary::Surface target = codec().makeRasterSurface(1, 1);
    target.drawImage(red, 0, 0, &paint);
    EXPECT_EQ(premultipliedAt(target.makeImageSnapshot(), 0, 0),
              (std::vector<std::uint8_t>{127, 127, 127, 255}));
}

TEST_F(CodecDrawTest, SurfacesOutsideTheLimitsAreRefused) {
    for (auto [w, h] :
         {std::pair{0, 5}, std::pair{-1, 5}, std::pair{70000, 1}, std::pair{20000, 20000}}) {
        EXPECT_THROW(codec().makeRasterSurface(w, h), Error) << w << " x " << h;
    }
    const pmc_image_info rgba{4, 4, PMC_COLORTYPE_UNKNOWN, PMC_ALPHATYPE_PREMUL, nullptr};
    EXPECT_EQ(codec().api().surface_make_raster(&rgba, 16, nullptr), nullptr);
    const pmc_image_info bgra{4, 4, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_PREMUL, nullptr};
    EXPECT_EQ(codec().api().surface_make_raster(&bgra, 20, nullptr), nullptr);
}

// An image of pixels held elsewhere is the image decoding gives for the same straight pixels.
TEST_F(CodecDrawTest, ACopyOfStraightPixelsIsPremultipliedAsDecodingDoes) {
    const std::vector<Rgba> pixels = {{200, 100, 50, 255}, {255, 0, 0, 128}, {10, 20, 30, 0},
                                      {255, 255, 255, 1},  {0, 0, 0, 255},   {90, 180, 45, 254}};
    CodecLibrary::Image decoded = imageOf(3, 2, pixels);
    // Rows with a gap after the pixels, as a caller's buffer may have.
    constexpr std::size_t kRow = 3 * 4 + 5;
    std::vector<std::uint8_t> straight(kRow * 2, 0xEE);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        std::uint8_t* p = straight.data() + (i / 3) * kRow + (i % 3) * 4;
        p[0] = pixels[i].b;
        p[1] = pixels[i].g;
        p[2] = pixels[i].r;
        p[3] = pixels[i].a;
    }
    CodecLibrary::Image copy = codec().makeImageFromPixels(
        straight.data(), 3, 2, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_UNPREMUL, kRow);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(premultipliedAt(copy, i % 3, i / 3), premultipliedAt(decoded, i % 3, i / 3)) << i;
    EXPECT_EQ(copy.metadata(), formats::ImageMetadata{});

    // Premultiplied pixels are taken as they are; the caller's buffer stays its own.
    std::vector<std::uint8_t> premultiplied(
        static_cast<const std::uint8_t*>(decoded.peekPixels()),
        static_cast<const std::uint8_t*>(decoded.peekPixels()) + 6 * 4);
    CodecLibrary::Image same = codec().makeImageFromPixels(
        premultiplied.data(), 3, 2, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_PREMUL, 12);
    premultiplied.assign(premultiplied.size(), 0);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(premultipliedAt(same, i % 3, i / 3), premultipliedAt(decoded, i % 3, i / 3)) << i;

    // Three bytes a pixel become opaque pixels.
    const std::uint8_t bgr[] = {1, 2, 3, 250, 251, 252, 9, 9};
    CodecLibrary::Image opaque =
        codec().makeImageFromPixels(bgr, 2, 1, PMC_COLORTYPE_BGR_888, PMC_ALPHATYPE_OPAQUE, 8);
    EXPECT_EQ(premultipliedAt(opaque, 0, 0), (std::vector<std::uint8_t>{1, 2, 3, 255}));
    EXPECT_EQ(premultipliedAt(opaque, 1, 0), (std::vector<std::uint8_t>{250, 251, 252, 255}));
}

// Pixels handed over are used in place and given back once, when the image goes or at once
// when they are refused.
TEST_F(CodecDrawTest, PixelsHandedOverAreUsedInPlaceAndGivenBackOnce) {
    struct Lent {
        std::vector<std::uint8_t> pixels;
        int givenBack = 0;
    };
    const auto release = [](void* pixels, void* context) {
        auto* lent = static_cast<Lent*>(context);
        EXPECT_EQ(pixels, lent->pixels.data());
        ++lent->givenBack;
    };
    const CodecLibrary::Api& api = codec().api();
    // Straight red at alpha 128 and opaque blue: premultiplied in place.
    Lent lent{{0, 0, 255, 128, 255, 0, 0, 255}};
    const pmc_image_info info{2, 1, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_UNPREMUL, nullptr};
    pmc_image* image = api.image_make_raster_data(&info, lent.pixels.data(), 8, release, &lent);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(api.image_peek_pixels(image), lent.pixels.data());
    EXPECT_EQ(lent.pixels, (std::vector<std::uint8_t>{0, 0, 128, 128, 255, 0, 0, 255}));
    api.image_ref(image);
    api.image_unref(image);
    EXPECT_EQ(lent.givenBack, 0);
    // A surface drawn from it keeps its own copy after the image goes.
    CodecLibrary::Surface surface = codec().makeRasterSurface(2, 1);
    CodecLibrary::Image borrowed(&api, image);
    surface.drawImage(borrowed, 0, 0, nullptr);
    borrowed.reset();
    EXPECT_EQ(lent.givenBack, 1);
    EXPECT_EQ(premultipliedAt(surface.makeImageSnapshot(), 0, 0),
              (std::vector<std::uint8_t>{0, 0, 128, 128}));

    const pmc_image_info gapped{1, 1, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_PREMUL, nullptr};
    const pmc_image_info threeBytes{2, 1, PMC_COLORTYPE_BGR_888, PMC_ALPHATYPE_OPAQUE, nullptr};
    for (auto [what, refused, rowBytes] : {std::tuple{"rows with a gap", &gapped, 8},
                                           std::tuple{"three bytes a pixel", &threeBytes, 6}}) {
        SCOPED_TRACE(what);
        Lent given{std::vector<std::uint8_t>(8)};
        EXPECT_EQ(
            api.image_make_raster_data(refused, given.pixels.data(), rowBytes, release, &given),
            nullptr);
        EXPECT_EQ(given.givenBack, 1);
        EXPECT_NE(codec().lastError(), QString());
    }
    // Through the program's handle, pixels that do not fill the picture never reach it.
    EXPECT_THROW(codec().adoptPixels(std::vector<std::uint8_t>(7), 2, 1, PMC_ALPHATYPE_PREMUL),
                 Error);
    CodecLibrary::Image adopted = codec().adoptPixels({1, 2, 3, 255}, 1, 1, PMC_ALPHATYPE_PREMUL);
    EXPECT_EQ(premultipliedAt(adopted, 0, 0), (std::vector<std::uint8_t>{1, 2, 3, 255}));
}

TEST_F(CodecDrawTest, CopiesOfPixelsOutsideWhatIsTakenAreRefused) {
    const std::vector<std::uint8_t> pixels(64 * 4);
    const int colourSpace = 0;
    struct Case {
        const char* what;
        pmc_image_info info;
        std::size_t rowBytes;
        const void* pixels;
    } cases[] = {
        {"no pixels", {2, 2, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_PREMUL, nullptr}, 8, nullptr},
        {"unknown colour type",
         {2, 2, PMC_COLORTYPE_UNKNOWN, PMC_ALPHATYPE_PREMUL, nullptr},
         8,
         pixels.data()},
        {"BGRA said opaque",
         {2, 2, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_OPAQUE, nullptr},
         8,
         pixels.data()},
        {"BGR with alpha",
         {2, 2, PMC_COLORTYPE_BGR_888, PMC_ALPHATYPE_PREMUL, nullptr},
         6,
         pixels.data()},
        {"a colour space",
         {2, 2, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_PREMUL, &colourSpace},
         8,
         pixels.data()},
        {"no width",
         {0, 2, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_PREMUL, nullptr},
         8,
         pixels.data()},
        {"negative height",
         {2, -1, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_PREMUL, nullptr},
         8,
         pixels.data()},
        {"over the limits",
         {70000, 1, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_PREMUL, nullptr},
         280000,
         pixels.data()},
        {"short BGRA rows",
         {2, 2, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_UNPREMUL, nullptr},
         7,
         pixels.data()},
        {"short BGR rows",
         {2, 2, PMC_COLORTYPE_BGR_888, PMC_ALPHATYPE_OPAQUE, nullptr},
         5,
         pixels.data()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(codec().api().image_make_raster_copy(&c.info, c.pixels, c.rowBytes), nullptr);
        EXPECT_NE(codec().lastError(), QString());
    }
    EXPECT_EQ(codec().api().image_make_raster_copy(nullptr, pixels.data(), 8), nullptr);
    try {
        codec().makeImageFromPixels(pixels.data(), 2, 2, PMC_COLORTYPE_BGRA_8888,
                                    PMC_ALPHATYPE_PREMUL, 7);
        FAIL() << "made";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Cannot make a 2 x 2 image: Rows are too short for the width");
    }
}

class CodecEncodeTest : public CodecDrawTest {
protected:
    // 8 x 8: opaque colours, a fully transparent and a half-transparent pixel.
    CodecLibrary::Image sample() {
        std::vector<Rgba> pixels(64);
        for (int i = 0; i < 64; ++i)
            pixels[i] = {std::uint8_t(i * 4), std::uint8_t(255 - i * 3), std::uint8_t(i * i % 256),
                         255};
        pixels[9] = {0, 0, 0, 0};
        pixels[10] = {200, 100, 50, 128};
        return imageOf(8, 8, pixels);
    }
    QString identify(const QString& format, const QString& file) {
        return toolOutput("identify", {"-format", format, file});
    }
};

TEST_F(CodecEncodeTest, EncodesJpegPngAndWebpFiles) {
    CodecLibrary::Image image = sample();
    struct Case {
        pmc_encodedimageformat format;
        int quality;
        const char* name;
        const char* identified;
    };
    const Case cases[] = {
        {PMC_FORMAT_JPEG, 90, "q90.jpg", "JPEG 8x8 90"},
        {PMC_FORMAT_PNG, 80, "q80.png", "PNG 8x8"},
        {PMC_FORMAT_WEBP, 80, "q80.webp", "WEBP 8x8"},
        {PMC_FORMAT_WEBP, 100, "q100.webp", "WEBP 8x8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = path(c.name);
        image.encodeToFile(out, c.format, c.quality);
        const QString format = c.format == PMC_FORMAT_JPEG ? "%m %wx%h %Q" : "%m %wx%h";
        EXPECT_EQ(identify(format, out), c.identified);
        CodecLibrary::Image back = codec().makeImageFromEncodedFile(out);
        ASSERT_TRUE(back);
        EXPECT_EQ(back.width(), 8);
    }
    // WebP at 100 is lossless, below it lossy.
    EXPECT_EQ(readBytes(path("q100.webp")).indexOf("VP8L"), 12);
    EXPECT_EQ(readBytes(path("q80.webp")).indexOf("VP8L"), -1);
}

TEST_F(CodecEncodeTest, LosslessOutputsKeepEveryPixel) {
    CodecLibrary::Image image = sample();
    const auto original = pixelsOf(image);
    for (auto [format, name] :
         {std::pair{PMC_FORMAT_PNG, "exact.png"}, std::pair{PMC_FORMAT_WEBP, "exact.webp"}}) {
        SCOPED_TRACE(name);
        image.encodeToFile(path(name), format, 100);
        CodecLibrary::Image back = codec().makeImageFromEncodedFile(path(name));
        ASSERT_TRUE(back);
        EXPECT_EQ(
            std::vector<std::uint8_t>(static_cast<const std::uint8_t*>(back.peekPixels()),
                                      static_cast<const std::uint8_t*>(back.peekPixels()) + 64 * 4),
            std::vector<std::uint8_t>(
                static_cast<const std::uint8_t*>(image.peekPixels()),
                static_cast<const std::uint8_t*>(image.peekPixels()) + 64 * 4));
        EXPECT_EQ(pixelsOf(back), original);
    }
}

TEST_F(CodecEncodeTest, PngIgnoresQuality) {
    CodecLibrary::Image image = sample();
    image.encodeToFile(path("a.png"), PMC_FORMAT_PNG, 10);
    image.encodeToFile(path("b.png"), PMC_FORMAT_PNG, 100);
    EXPECT_EQ(readBytes(path("a.png")), readBytes(path("b.png")));
}

TEST_F(CodecEncodeTest, JpegComposesTransparencyOverWhite) {
    CodecLibrary::Image clear = imageOf(8, 8, std::vector<Rgba>(64, {0, 0, 0, 0}));
    clear.encodeToFile(path("clear.jpg"), PMC_FORMAT_JPEG, 95);
    for (const Rgba& p : pixelsOf(codec().makeImageFromEncodedFile(path("clear.jpg"))))
        ASSERT_GE(std::min({p.r, p.g, p.b}), 250);
}

TEST_F(CodecEncodeTest, FailedEncodingLeavesNothing) {
    CodecLibrary::Image image = sample();
    const QString existing = path("taken.webp");
    writeBytes(existing, "keep me");
    writeBytes(path("a-file"), "x");
    const QString targets[] = {path("no-such-folder/out.png"), path("a-file/out.png"), existing};
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        EXPECT_THROW(image.encodeToFile(target, PMC_FORMAT_WEBP, 80), Error);
        EXPECT_FALSE(codec().api().image_encode_to_file(image.get(), target.toUtf8().constData(),
                                                        PMC_FORMAT_PNG, 80));
        EXPECT_FALSE(QString(codec().lastError()).isEmpty());
    }
    EXPECT_EQ(readBytes(existing), "keep me");
    // Formats that cannot be written fail too.
    EXPECT_FALSE(codec().api().image_encode_to_file(image.get(), path("x.bmp").toUtf8().constData(),
                                                    PMC_FORMAT_BMP, 80));
    EXPECT_FALSE(QFile::exists(path("x.bmp")));
    // Nothing else appeared, not even a hidden temporary file.
    QStringList left =
        QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    left.removeIf([](const QString& n) { return n.startsWith("src"); });
    left.sort();
    EXPECT_EQ(left, (QStringList{"a-file", "taken.webp"}));
}

TEST_F(CodecEncodeTest, WebpRefusesPicturesOverItsLimit) {
    CodecLibrary::Surface wide = codec().makeRasterSurface(16384, 1);
    EXPECT_THROW(wide.makeImageSnapshot().encodeToFile(path("wide.webp"), PMC_FORMAT_WEBP, 80),
                 Error);
    EXPECT_FALSE(QFile::exists(path("wide.webp")));
}

}  // namespace
}  // namespace pixmorrow::testing

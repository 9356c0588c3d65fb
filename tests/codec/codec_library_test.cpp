// Loading the codec library, the route from a source file to an output, and the picture
// loader's entries.
#include "codec_fixtures.h"
#include "support/recording_dialogs.h"

#include "platform/error_report.h"

#include <QDir>

namespace pixmorrow::testing {
namespace {

TEST(CodecLibraryLoadTest, MissingLibraryOrFunctionIsAClearError) {
    try {
        CodecLibrary library("/nonexistent/libpixmorrow_codec.so");
        FAIL() << "loaded";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().startsWith(
            "The codec library cannot be loaded (/nonexistent/libpixmorrow_codec.so)"))
            << e.message().toStdString();
    }
    try {
        CodecLibrary library("libz.so.1");
        FAIL() << "loaded";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "The codec library libz.so.1 has no function pmc_last_error");
    }
}

TEST(CodecLibraryLoadTest, StartUpReportsAMissingLibrary) {
    QTemporaryDir empty;
    RecordingDialogs dialogs;
    EXPECT_FALSE(loadCodecLibraryAtStart(dialogs, empty.path()));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(CodecLibrary::libraryPathIn(empty.path())));
    EXPECT_EQ(dialogs.messages[0].title, kApplicationTitle);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);

    EXPECT_TRUE(loadCodecLibraryAtStart(dialogs, builtProgramFolder()));
    EXPECT_TRUE(CodecLibrary::isLoaded());
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

class CodecRouteTest : public CodecTest {};

TEST_F(CodecRouteTest, GrayscaleJpegBecomesGrayWebp) {
    const QString jpg = path("photo.jpg"), out = path("photo.webp");
    runTool("convert", {"-size", "32x16", "gradient:red-blue", "-quality", "90", jpg});
    codecRoute(jpg, out, PMC_FORMAT_WEBP, 75, true);
    ASSERT_EQ(toolOutput("identify", {"-format", "%m %wx%h", out}), "WEBP 32x16");
    CodecLibrary::Image back = codec().makeImageFromEncodedFile(out);
    ASSERT_TRUE(back);
    for (const Rgba& p : pixelsOf(back)) {
        ASSERT_LE(std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}), 3) << p;
    }
}

TEST_F(CodecRouteTest, TransparencySurvivesIntoPng) {
    const QString pam = path("t.pam"), src = path("t.gif"), out = path("t.png");
    writePam(pam, 2, 1, {{0, 0, 0, 0}, {10, 200, 30, 255}});
    runTool("convert", {pam, src});
    codecRoute(src, out, PMC_FORMAT_PNG, 80, false);
    EXPECT_EQ(pixelsOf(codec().makeImageFromEncodedFile(out)),
              (std::vector<Rgba>{{0, 0, 0, 0}, {10, 200, 30, 255}}));
}

TEST_F(CodecRouteTest, FailuresAreErrorsAndWriteNothing) {
    const QString bad = path("bad.jpg");
    writeBytes(bad, "not a jpeg");
    try {
        codecRoute(bad, path("bad.webp"), PMC_FORMAT_WEBP, 80, false);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().startsWith("Cannot decode " + bad)) << e.message().toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("bad.webp")));

    const QString good = path("good.png"), taken = path("taken.jpg");
    runTool("convert", {"-size", "4x4", "xc:red", good});
    writeBytes(taken, "mine");
    EXPECT_THROW(codecRoute(good, taken, PMC_FORMAT_JPEG, 80, false), Error);
    EXPECT_EQ(readBytes(taken), "mine");
    EXPECT_THROW(codecRoute(good, path("missing/out.jpg"), PMC_FORMAT_JPEG, 80, false), Error);
    EXPECT_THROW(codecRoute(QString(), path("x.jpg"), PMC_FORMAT_JPEG, 80, false), Error);
}

TEST_F(CodecRouteTest, PictureLoaderEntriesGiveStraightPixels) {
    const QString pam = path("w.pam"), webp = path("w.webp");
    writePam(pam, 2, 1, {{255, 0, 0, 128}, {1, 2, 3, 255}});
    runTool("cwebp", {"-quiet", "-lossless", "-exact", pam, "-o", webp});
    formats::DecodedImage image = decodeWithCodecLibrary(webp);
    EXPECT_EQ(image.width, 2u);
    EXPECT_EQ(image.height, 1u);
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_EQ(image.bgra, (std::vector<std::uint8_t>{0, 0, 255, 128, 3, 2, 1, 255}));

    const QString wbmp = path("w.wbmp");
    runTool("convert", {"-size", "3x2", "xc:white", wbmp});
    formats::DecodedImage bits = decodeWithCodecLibrary(wbmp);
    EXPECT_EQ(bits.width, 3u);
    EXPECT_FALSE(bits.hasAlpha);

    writeBytes(path("junk.webp"), "RIFF....WEBPjunk");
    EXPECT_THROW(decodeWithCodecLibrary(path("junk.webp")), Error);
}

TEST_F(CodecRouteTest, SvgRendersAtItsRoundedSize) {
    const QString sized = path("sized.svg"), boxed = path("boxed.svg"), broken = path("broken.svg");
    writeBytes(sized,
               "<svg xmlns='http://www.w3.org/2000/svg' width='10.6' height='5.4'>"
               "<rect width='100%' height='100%' fill='#ff0000'/></svg>");
    writeBytes(boxed,
               "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 20 10'>"
               "<rect x='10' width='10' height='10' fill='#0000ff'/></svg>");
    writeBytes(broken, "<svg");
    formats::DecodedImage a = renderSvg(sized);
    EXPECT_EQ(a.width, 11u);
    EXPECT_EQ(a.height, 5u);
    EXPECT_EQ(std::vector<std::uint8_t>(a.bgra.begin(), a.bgra.begin() + 4),
              (std::vector<std::uint8_t>{0, 0, 255, 255}));
    formats::DecodedImage b = renderSvg(boxed);
    EXPECT_EQ(b.width, 20u);
    EXPECT_EQ(b.height, 10u);
    EXPECT_TRUE(b.hasAlpha);
    EXPECT_EQ(b.bgra[3], 0);                    // left half transparent
    EXPECT_EQ(b.bgra[(5 * 20 + 15) * 4], 255);  // right half blue
    EXPECT_THROW(renderSvg(broken), Error);
    EXPECT_THROW(renderSvg(QString()), Error);
}

}  // namespace
}  // namespace pixmorrow::testing

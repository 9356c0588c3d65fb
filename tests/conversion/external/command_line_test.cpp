#include "conversion/external/bridge_test_files.h"
#include "conversion/external/imagemagick_bridge.h"
#include "support/recording_dialogs.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

using testing::pngChunks;
using testing::writeBytes;

// A folder with a plain PNG, PNGs with an acTL chunk before and after the image data, and
// names of other kinds (which need not exist: only PNGs are looked into).
class CommandLines : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        const QByteArray ihdr(13, '\x01');
        writeBytes(path("plain.png"), pngChunks({{"IHDR", ihdr}, {"IDAT", "x"}, {"IEND", {}}}));
        writeBytes(
            path("early.png"),
            pngChunks(
                {{"IHDR", ihdr}, {"acTL", QByteArray(8, '\0')}, {"IDAT", "x"}, {"IEND", {}}}));
        writeBytes(
            path("late.PNG"),
            pngChunks(
                {{"IHDR", ihdr}, {"IDAT", "x"}, {"acTL", QByteArray(8, '\0')}, {"IEND", {}}}));
    }
    QString path(const char* name) const { return folder_.filePath(QString::fromUtf8(name)); }

    QTemporaryDir folder_;
};

struct GeneralCase {
    const char* input;
    const char* output;
    bool gray;
    const char* line;  // with %1 for the folder
    QStringList arguments;
};

TEST_F(CommandLines, GeneralConversionTable) {
    const GeneralCase cases[] = {
        {"plain.png",
         "out.webp",
         false,
         "magick.exe \"%1/plain.png\" -coalesce \"%1/out.webp\"",
         {"PNG:%1/plain.png", "-coalesce", "WEBP:%1/out.webp"}},
        {"early.png",
         "out.webp",
         false,
         "magick.exe APNG:\"%1/early.png\" -coalesce \"%1/out.webp\"",
         {"APNG:%1/early.png", "-coalesce", "WEBP:%1/out.webp"}},
        {"late.PNG",
         "out.jpg",
         true,
         "magick.exe -colorspace Gray APNG:\"%1/late.PNG\" -coalesce \"%1/out.jpg\"",
         {"-colorspace", "Gray", "APNG:%1/late.PNG", "-coalesce", "JPEG:%1/out.jpg"}},
        {"moving.apng",
         "out.png",
         false,
         "magick.exe APNG:\"%1/moving.apng\" -coalesce \"%1/out.png\"",
         {"APNG:%1/moving.apng", "-coalesce", "PNG:%1/out.png"}},
        {"layers.psd",
         "temp.png",
         false,
         "magick.exe \"%1/layers.psd\" -flatten -coalesce \"%1/temp.png\"",
         {"PSD:%1/layers.psd", "-flatten", "-coalesce", "PNG:%1/temp.png"}},
        {"LAYERS.PSD",
         "temp.png",
         true,
         "magick.exe -colorspace Gray \"%1/LAYERS.PSD\" -flatten -coalesce \"%1/temp.png\"",
         {"-colorspace", "Gray", "PSD:%1/LAYERS.PSD", "-flatten", "-coalesce", "PNG:%1/temp.png"}},
        {"anim.gif",
         "anim.apng",
         false,
         "magick.exe \"%1/anim.gif\" -coalesce APNG:\"%1/anim.apng\"",
         {"GIF:%1/anim.gif", "-coalesce", "APNG:%1/anim.apng"}},
        {"early.png",
         "OUT.APNG",
         true,
         "magick.exe -colorspace Gray APNG:\"%1/early.png\" -coalesce APNG:\"%1/OUT.APNG\"",
         {"-colorspace", "Gray", "APNG:%1/early.png", "-coalesce", "APNG:%1/OUT.APNG"}},
        // Only the argument vector doubles "%" (the tool would read "%d" as a frame number) and
        // names each file's coder.
        {"photo.heic",
         "100%d.webp",
         false,
         "magick.exe \"%1/photo.heic\" -coalesce \"%1/100%d.webp\"",
         {"HEIC:%1/photo.heic", "-coalesce", "WEBP:%1/100%%d.webp"}},
    };
    const QString dir = folder_.path();
    for (const GeneralCase& c : cases) {
        const QString input = path(c.input);
        const QString output = path(c.output);
        const QString expected = QString::fromUtf8(c.line).replace(QStringLiteral("%1"), dir);
        EXPECT_EQ(ImageMagickBridge::generalCommandLine(input, output, c.gray), expected)
            << c.input;
        QStringList arguments;
        for (const QString& a : c.arguments)
            arguments << QString(a).replace(QStringLiteral("%1"), dir);
        EXPECT_EQ(ImageMagickBridge::generalArguments(input, output, c.gray), arguments) << c.input;
    }
}

TEST_F(CommandLines, SourceArgumentQuotesWithoutEscaping) {
    EXPECT_EQ(ImageMagickBridge::sourceArgument(QStringLiteral("/a b/x\"y.tga")),
              QStringLiteral("\"/a b/x\"y.tga\""));
    EXPECT_EQ(ImageMagickBridge::sourceArgument(QStringLiteral("/dir.psd/file")),
              QStringLiteral("\"/dir.psd/file\""));
    EXPECT_EQ(ImageMagickBridge::sourceArgument(path("plain.png")),
              QLatin1Char('"') + path("plain.png") + QLatin1Char('"'));
}

TEST_F(CommandLines, TheProfileComesFromTheFirstImageUnderALiteralName) {
    EXPECT_EQ(ImageMagickBridge::profileArguments(QStringLiteral("/in/a.psd"),
                                                  QStringLiteral("/set/100%/temp.icc")),
              QStringList({"PSD:/in/a.psd[0]", "ICC:/set/100%%/temp.icc"}));
}

TEST_F(CommandLines, QualityConversionTable) {
    const QString in = path("early.png");  // never given "APNG:" nor "-coalesce" here
    const QString out = path("out.gif");
    EXPECT_EQ(ImageMagickBridge::qualityCommandLine(in, out, 7, true),
              QStringLiteral("magick.exe \"%1\" -colorspace Gray -quality 7 \"%2\"").arg(in, out));
    EXPECT_EQ(ImageMagickBridge::qualityArguments(in, out, 7, true),
              (QStringList{"PNG:" + in, "-colorspace", "Gray", "-quality", "7", "GIF:" + out}));

    const QString ico = path("icon.ico");
    EXPECT_EQ(ImageMagickBridge::qualityCommandLine(in, ico, 100, false),
              QStringLiteral("magick.exe \"%1\" -quality 100 \"%2\"").arg(in, ico));
    EXPECT_EQ(ImageMagickBridge::qualityArguments(in, ico, 100, false),
              (QStringList{"PNG:" + in, "-quality", "100", "ICO:" + ico}));
}

// While resizing, the tool resamples to the exact planned size with the same kernel: every
// frame after -coalesce in the general conversion, the still picture turned upright first in
// the quality conversion; the logged line says the same.
TEST_F(CommandLines, ResizeArgumentsFollowTheReading) {
    const QString gif = path("anim.gif");
    const QString webp = path("out.webp");
    EXPECT_EQ(ImageMagickBridge::generalArguments(gif, webp, false, QSize(640, 427)),
              (QStringList{"GIF:" + gif, "-coalesce", "-filter", "Lanczos", "-resize", "640x427!",
                           "WEBP:" + webp}));
    EXPECT_EQ(ImageMagickBridge::generalCommandLine(gif, webp, true, QSize(640, 427)),
              QStringLiteral("magick.exe -colorspace Gray \"%1\" -coalesce -filter Lanczos "
                             "-resize 640x427! \"%2\"")
                  .arg(gif, webp));
    const QString jpg = path("photo.jpg");
    const QString ico = path("icon.ico");
    const IconSizes icon{{16}, false};
    EXPECT_EQ(
        ImageMagickBridge::qualityArguments(jpg, ico, 80, true, icon, QSize(30, 40)),
        (QStringList{"JPEG:" + jpg, "-auto-orient", "-filter", "Lanczos", "-resize", "30x40!",
                     "-colorspace", "Gray"}
         << ImageMagickBridge::iconArguments(icon) << QStringList{"-quality", "80", "ICO:" + ico}));
    EXPECT_EQ(ImageMagickBridge::qualityCommandLine(jpg, ico, 80, false, {}, QSize(30, 40)),
              QStringLiteral("magick.exe \"%1\" -auto-orient -filter Lanczos -resize 30x40! "
                             "-quality 80 \"%2\"")
                  .arg(jpg, ico));
    // No size: the arguments of today.
    EXPECT_EQ(ImageMagickBridge::generalArguments(gif, webp, false, QSize()),
              ImageMagickBridge::generalArguments(gif, webp, false));
    EXPECT_EQ(ImageMagickBridge::resizeArguments(QSize(), true), QStringList());
}

// The icon's squares stand between the source (and grayscale) and the quality, in the logged
// line exactly as in the argument vector.
TEST_F(CommandLines, IconSizesInTheQualityConversion) {
    const QString in = path("photo.jpg");
    const QString out = path("100%.ico");
    const struct {
        IconSizes icon;
        bool gray;
        const char* sizes;
    } cases[] = {
        {{{256, 128, 64, 48, 32, 16}, true},
         false,
         "-background none -gravity center -filter Lanczos -delete 1--1 -flatten -resize 256x256 "
         "( -clone 0 -extent 256x256 ) ( -clone 0 -resize 128x128 -extent 128x128 ) "
         "( -clone 0 -resize 64x64 -extent 64x64 ) ( -clone 0 -resize 48x48 -extent 48x48 ) "
         "( -clone 0 -resize 32x32 -extent 32x32 ) ( -clone 0 -resize 16x16 -extent 16x16 ) "
         "-delete 0 -compress Zip"},
        {{{64, 48, 32, 16}, false},
         true,
         "-background none -gravity center -filter Lanczos "
         "( -clone 0 -flatten -resize 64x64 -extent 64x64 ) "
         "( -clone 0 -flatten -resize 48x48 -extent 48x48 ) "
         "( -clone 0 -flatten -resize 32x32 -extent 32x32 ) "
         "( -clone 0 -flatten -resize 16x16 -extent 16x16 ) -compress Zip"},
        {{{16}, false},
         false,
         "-background none -gravity center -filter Lanczos "
         "( -clone 0 -flatten -resize 16x16 -extent 16x16 ) -compress Zip"},
    };
    for (const auto& c : cases) {
        const QString sizes = QString::fromLatin1(c.sizes);
        const QString gray = c.gray ? QStringLiteral("-colorspace Gray ") : QString();
        EXPECT_EQ(
            ImageMagickBridge::qualityCommandLine(in, out, 80, c.gray, c.icon),
            QStringLiteral("magick.exe \"%1\" %2%3 -quality 80 \"%4\"").arg(in, gray, sizes, out));
        QStringList arguments{"JPEG:" + in};
        if (c.gray)
            arguments << "-colorspace"
                      << "Gray";
        arguments << sizes.split(u' ') << "-quality"
                  << "80"
                  << "ICO:" + path("100%%.ico");
        EXPECT_EQ(ImageMagickBridge::qualityArguments(in, out, 80, c.gray, c.icon), arguments)
            << c.sizes;
    }
    // No squares: the command of any other quality conversion.
    EXPECT_EQ(ImageMagickBridge::qualityCommandLine(in, out, 80, false, {}),
              QStringLiteral("magick.exe \"%1\" -quality 80 \"%2\"").arg(in, out));
    EXPECT_EQ(ImageMagickBridge::iconArguments({}), QStringList());
}

TEST(ImageMagickBridgePaths, ToolAndWorkingFolderFollowTheProgramFolder) {
    CommandLog log;
    testing::RecordingDialogs dialogs;
    ImageMagickBridge bridge(QStringLiteral("/opt/pixmorrow"), dialogs, log);
    EXPECT_EQ(bridge.toolPath(), QStringLiteral("/opt/pixmorrow/imagemagick/magick"));
    EXPECT_EQ(bridge.workingFolder(), QStringLiteral("/opt/pixmorrow/imagemagick"));
}

}  // namespace
}  // namespace pixmorrow

// ICO outputs through the real routes and the external tool, read back by the reference
// tool's identify and by a reading of the icon directory of the test's own.
#include "conversion/external/command_runner.h"
#include "conversion/routes/codec_library.h"
#include "conversion/routes/conversion_engine.h"
#include "conversion/routes/route_test_tools.h"
#include "conversion/run/conversion_run.h"
#include "platform/tick_clock.h"
#include "support/recording_dialogs.h"
#include "support/test_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace pixmorrow {
namespace {

using testing::builtProgramFolder;
using testing::RecordingDialogs;
using testing::runProgram;
using testing::saturations;

// One image of an icon as identify reads it.
struct IconImage {
    std::string format;  // "PNG" for a PNG-compressed image, "ICO" for a bitmap
    int width = 0, height = 0;
    // The box around everything that is not fully transparent.
    int boxWidth = 0, boxHeight = 0, boxX = 0, boxY = 0;
    double cornerAlpha = 1, centreAlpha = 1, lastAlpha = 1;
};

std::vector<IconImage> identifyIcon(const QString& path) {
    std::vector<IconImage> images;
    const QString text = runProgram(
        QStringLiteral("identify"),
        {QStringLiteral("-format"),
         QStringLiteral("%m %w %h %@ %[fx:p{0,0}.a] %[fx:p{w/2,h/2}.a] %[fx:p{w-1,h-1}.a]\\n"),
         path});
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u' ');
        if (f.size() != 7)
            continue;
        IconImage image{f[0].toStdString(), f[1].toInt(), f[2].toInt()};
        const QStringList box = QString(f[3]).replace(u'+', u'x').split(u'x');
        if (box.size() == 4) {
            image.boxWidth = box[0].toInt();
            image.boxHeight = box[1].toInt();
            image.boxX = box[2].toInt();
            image.boxY = box[3].toInt();
        }
        image.cornerAlpha = f[4].toDouble();
        image.centreAlpha = f[5].toDouble();
        image.lastAlpha = f[6].toDouble();
        images.push_back(image);
    }
    return images;
}

// The bytes of each image stored in an icon file, in directory order.
std::vector<QByteArray> iconBlobs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const auto le = [&](qsizetype at, int size) {
        quint32 value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    std::vector<QByteArray> blobs;
    if (bytes.size() < 6)
        return blobs;
    for (quint32 i = 0; i < le(4, 2) && 6 + 16 * (i + 1) <= quint32(bytes.size()); ++i) {
        const qsizetype entry = 6 + 16 * qsizetype(i);
        blobs.push_back(bytes.mid(le(entry + 12, 4), le(entry + 8, 4)));
    }
    return blobs;
}

class IconOutput : public testing::RouteRunTest {
protected:
    // A picture made by the reference tool.
    QString make(const QString& name, const QStringList& arguments) {
        const QString path = work.filePath(name);
        int code = -1;
        runProgram(QStringLiteral("convert"), arguments + QStringList{path}, &code);
        EXPECT_EQ(code, 0) << name.toStdString();
        return path;
    }
    QString photo() {
        // Smooth areas in many colours with a sensor's noise, like a photo; the same every
        // run. A small plasma enlarged: a large one takes the tool several seconds.
        return make(QStringLiteral("photo.jpg"),
                    {"-seed", "7", "-size", "640x400", "plasma:orange-navy", "-resize", "400%",
                     "-attenuate", "0.2", "+noise", "Gaussian", "-quality", "90"});
    }
    QString banner() {
        return make(QStringLiteral("banner.png"), {"-size", "300x40", "gradient:red-blue"});
    }

    // Converts one source to ICO at quality 80 in a run of its own; the output's path.
    QString toIcon(const QString& source, bool grayscale) {
        const QString folder =
            work.filePath(grayscale ? QStringLiteral("gray") : QStringLiteral("colour"));
        const auto totals = runOnce({source}, {QStringLiteral("ICO"), 80, grayscale, folder});
        EXPECT_TRUE(totals && totals->convertedCount == 1);
        EXPECT_TRUE(dialogs.messages.empty());
        return folder + u'/' + QFileInfo(source).completeBaseName() + QStringLiteral(".ico");
    }

    // The icon the tool made before icons got their sizes: the source as it is.
    QString todaysIcon(const QString& source) {
        const QString path = work.filePath(QFileInfo(source).completeBaseName() + ".today.ico");
        int code = -1;
        runProgram(builtProgramFolder() + QStringLiteral("/imagemagick/magick"),
                   {source, QStringLiteral("-quality"), QStringLiteral("80"), path}, &code);
        EXPECT_EQ(code, 0);
        return path;
    }
};

// Each square holds the whole picture, as wide as the square, as high as the aspect ratio
// gives (within a pixel of rounding), centred, and transparent above and below.
void expectLandscapeSquares(const std::vector<IconImage>& images, double aspect) {
    const int sides[] = {256, 128, 64, 48, 32, 16};
    ASSERT_EQ(images.size(), std::size(sides));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IconImage& image = images[i];
        const int side = sides[i];
        SCOPED_TRACE(side);
        EXPECT_EQ(image.format, side == 256 ? "PNG" : "ICO");
        EXPECT_EQ(image.width, side);
        EXPECT_EQ(image.height, side);
        EXPECT_EQ(image.boxWidth, side);
        EXPECT_EQ(image.boxX, 0);
        EXPECT_LE(std::abs(image.boxHeight - side / aspect), 1.0) << image.boxHeight;
        EXPECT_LE(std::abs(image.boxY - (side - image.boxHeight) / 2.0), 1.0) << image.boxY;
        EXPECT_EQ(image.cornerAlpha, 0) << "no transparency around the picture";
        EXPECT_EQ(image.centreAlpha, 1);
    }
}

TEST_F(IconOutput, ALargePhotoGivesEverySizeWithItsAspectKept) {
    const QString source = photo();
    for (const bool grayscale : {false, true}) {
        SCOPED_TRACE(grayscale ? "grayscale" : "colour");
        const QString icon = toIcon(source, grayscale);
        const auto images = identifyIcon(icon);
        expectLandscapeSquares(images, 1.6);
        // 2560 x 1600 fits exactly: no rounding at any size.
        const int heights[] = {160, 80, 40, 30, 20, 10};
        for (std::size_t i = 0; i < images.size() && i < std::size(heights); ++i) {
            EXPECT_EQ(images[i].boxHeight, heights[i]);
            EXPECT_EQ(images[i].boxY, (images[i].width - heights[i]) / 2);
        }
        for (const double chroma : saturations(icon)) {
            if (grayscale) {
                EXPECT_LT(chroma, 0.02) << "not gray";
            } else {
                EXPECT_GT(chroma, 0.3) << "colours lost";
            }
        }
        // The 256 px image is stored as PNG, the others as bitmaps.
        const auto blobs = iconBlobs(icon);
        ASSERT_EQ(blobs.size(), 6u);
        EXPECT_TRUE(blobs[0].startsWith("\x89PNG\r\n\x1a\n"));
        for (std::size_t i = 1; i < blobs.size(); ++i)
            EXPECT_EQ(blobs[i].left(4), QByteArray::fromHex("28000000")) << i;
        ::testing::Test::RecordProperty(grayscale ? "gray_icon_bytes" : "icon_bytes",
                                        static_cast<int>(QFileInfo(icon).size()));
    }
    // The log shows the command that ran: the squares made from the decoded photo's size.
    ASSERT_FALSE(log.lines().isEmpty());
    EXPECT_TRUE(log.lines().front().startsWith(
        QStringLiteral("magick.exe \"%1\" -colorspace Gray -background none -gravity center "
                       "-filter Lanczos -delete 1--1 -flatten -resize 256x256 ( -clone 0 "
                       "-extent 256x256 ) ( -clone 0 -resize 128x128 -extent 128x128 ) ")
            .arg(source)))
        << log.lines().front().toStdString();
}

TEST_F(IconOutput, ABannerIsFittedIntoEverySquareWithTransparencyAround) {
    const QString source = banner();
    for (const bool grayscale : {false, true}) {
        SCOPED_TRACE(grayscale ? "grayscale" : "colour");
        const QString icon = toIcon(source, grayscale);
        expectLandscapeSquares(identifyIcon(icon), 7.5);
        for (const double chroma : saturations(icon)) {
            if (grayscale) {
                EXPECT_LT(chroma, 0.02) << "not gray";
            } else {
                EXPECT_GT(chroma, 0.3) << "colours lost";
            }
        }
    }
}

// A picture that fits in an icon stays as the tool stored it before, with the smaller
// squares after it; one below the smallest size is the icon it always gave.
TEST_F(IconOutput, APictureThatFitsKeepsItsOwnImageAndGetsTheSmallerSizes) {
    // Transparent in its top left corner.
    const QString square =
        make(QStringLiteral("square.png"), {"-size", "256x256", "gradient:yellow-purple", "-alpha",
                                            "set", "-channel", "A", "-fx", "i<64&&j<64?0:1"});
    const QString tiny = make(QStringLiteral("tiny.png"), {"-size", "10x10", "xc:orange"});
    for (const bool grayscale : {false, true}) {
        SCOPED_TRACE(grayscale ? "grayscale" : "colour");
        const QString icon = toIcon(square, grayscale);
        const auto images = identifyIcon(icon);
        const int sides[] = {256, 128, 64, 48, 32, 16};
        ASSERT_EQ(images.size(), std::size(sides));
        for (std::size_t i = 0; i < images.size(); ++i) {
            SCOPED_TRACE(sides[i]);
            EXPECT_EQ(images[i].format, i == 0 ? "PNG" : "ICO");
            EXPECT_EQ(images[i].width, sides[i]);
            EXPECT_EQ(images[i].height, sides[i]);
            // A square picture fills its squares; its own transparency stays.
            EXPECT_EQ(images[i].cornerAlpha, 0);
            EXPECT_EQ(images[i].lastAlpha, 1);
        }
        if (!grayscale) {
            const auto blobs = iconBlobs(icon);
            const auto before = iconBlobs(todaysIcon(square));
            ASSERT_EQ(before.size(), 1u);
            ASSERT_FALSE(blobs.empty());
            EXPECT_EQ(blobs[0], before[0]) << "the picture's own image changed";
        }

        const QString tinyIcon = toIcon(tiny, grayscale);
        const auto tinyImages = identifyIcon(tinyIcon);
        ASSERT_EQ(tinyImages.size(), 1u);
        EXPECT_EQ(tinyImages[0].width, 10);
        EXPECT_EQ(tinyImages[0].height, 10);
        if (!grayscale) {
            QFile made(tinyIcon), before(todaysIcon(tiny));
            ASSERT_TRUE(made.open(QIODevice::ReadOnly) && before.open(QIODevice::ReadOnly));
            EXPECT_EQ(made.readAll(), before.readAll());
        }
    }
}

}  // namespace
}  // namespace pixmorrow

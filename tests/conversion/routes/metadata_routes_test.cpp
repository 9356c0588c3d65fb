// Colour profiles, EXIF and XMP through the real routes, the codec library and the external
// tool, read back by an independent reader (exiftool). The sources are made at test time:
// the reference tool draws them, exiftool tags them with a profile from
// make_icc_profile.py, GPS, an XMP title, and for one an orientation and a thumbnail.
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
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace pixmorrow {
namespace {

using testing::builtProgramFolder;
using testing::RecordingDialogs;
using testing::runForBytes;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the independent reader says.
QByteArray iccOf(const QString& path) {
    return runForBytes(QStringLiteral("exiftool"), {"-b", "-ICC_Profile", path});
}
QString tagOf(const QString& path, const QString& tag) {
    return QString::fromUtf8(
               runForBytes(QStringLiteral("exiftool"), {"-s3", "-n", "-" + tag, path}))
        .trimmed();
}

class MetadataRoutes : public testing::RouteRunTest {
protected:
    static void SetUpTestSuite() {
        RouteRunTest::SetUpTestSuite();
        sources = std::make_unique<QTemporaryDir>();
        makeSources(sources->path());
    }
    static void TearDownTestSuite() { sources.reset(); }

    void SetUp() override {
        // scripts/install-deps installs both: a missing tool is a broken set-up, not a skip.
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty())
            << "exiftool is not installed (scripts/install-deps)";
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty())
            << "ImageMagick is not installed (scripts/install-deps)";
        ASSERT_TRUE(made) << "the sources could not be made";
        ASSERT_TRUE(work.isValid());
    }

    static void step(const QString& program, const QStringList& arguments) {
        int code = -1;
        runForBytes(program, arguments, &code);
        if (code != 0) {
            ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString();
            made = false;
        }
    }

    static void makeSources(const QString& dir) {
        made = true;
        const auto at = [&](const char* name) { return dir + u'/' + QLatin1String(name); };
        step(QStringLiteral("python3"),
             {QStringLiteral(PIXMORROW_TEST_SOURCE_DIR "/conversion/routes/make_icc_profile.py"),
              at("wide.icc")});
        step(QStringLiteral("python3"),
             {QStringLiteral(PIXMORROW_TEST_SOURCE_DIR "/conversion/routes/make_icc_profile.py"),
              at("big.icc"), "--pad", "150000", "--name", "Large test profile"});
        // 64 x 48, a yellow block in the top-left corner to tell how it was turned.
        const QStringList picture = {"-size",  "64x48", "gradient:red-blue",  "-fill",
                                     "yellow", "-draw", "rectangle 0,0 15,11"};
        for (const char* name : {"plain.jpg", "plain.png", "plain.webp", "plain.tif", "plain.psd"})
            step("convert", picture + QStringList{at(name)});
        for (const char* kind : {"jpg", "png", "webp", "tif", "psd"})
            QFile::copy(at("plain.") + kind, at("tagged.") + kind);
        QFile::copy(at("plain.jpg"), at("big.jpg"));
        QFile::copy(at("plain.jpg"), at("turned.jpg"));
        const QStringList tags = {"-q", "-overwrite_original", "-GPSLatitude=48.5",
                                  "-GPSLatitudeRef=N", "-XMP-dc:Title=Lighthouse"};
        step("exiftool", tags + QStringList{"-ICC_Profile<=" + at("wide.icc"), at("tagged.jpg"),
                                            at("tagged.png"), at("tagged.webp"), at("tagged.tif"),
                                            at("tagged.psd")});
        step("exiftool",
             {"-q", "-overwrite_original", "-ICC_Profile<=" + at("big.icc"), at("big.jpg")});
        // Stored upright but to be shown turned 90 degrees clockwise, with a thumbnail.
        step("convert", {at("plain.jpg"), "-resize", "16x12", at("thumb.jpg")});
        step("exiftool",
             tags + QStringList{"-Orientation#=6", "-ThumbnailImage<=" + at("thumb.jpg"),
                                at("turned.jpg")});
        // The tagged JPEG with its profile's header claiming one byte more than it holds.
        QByteArray bytes = readAll(at("tagged.jpg"));
        const qsizetype icc = bytes.indexOf(QByteArray("ICC_PROFILE\0", 12));
        if (icc < 0) {
            ADD_FAILURE() << "no profile in the tagged JPEG";
            made = false;
            return;
        }
        bytes[icc + 14 + 3] = char(bytes[icc + 14 + 3] + 1);
        QFile damaged(at("damaged.jpg"));
        made = made && damaged.open(QIODevice::WriteOnly) && damaged.write(bytes) == bytes.size();
    }

    static QString source(const QString& name) { return sources->path() + u'/' + name; }
    static QByteArray profile(const char* name = "wide.icc") {
        return readAll(source(QLatin1String(name)));
    }

    // Converts one source in a run of its own; the output's path.
    QString convert(const QString& name, const QString& type, bool keepMetadata = false,
                    bool grayscale = false) {
        const QString folder = work.filePath(QString::number(++runs));
        QDir().mkpath(folder);
        ConversionOptions options{type, 80, grayscale, folder};
        options.keepMetadata = keepMetadata;
        const auto totals = runOnce({source(name)}, options);
        EXPECT_TRUE(totals && totals->convertedCount == 1)
            << name.toStdString() << " to " << type.toStdString();
        EXPECT_TRUE(dialogs.messages.empty()) << name.toStdString() << " to " << type.toStdString();
        dialogs.messages.clear();
        return folder + u'/' + QFileInfo(name).completeBaseName() + outputExtension(type);
    }

    static inline std::unique_ptr<QTemporaryDir> sources;
    static inline bool made = false;
    int runs = 0;
};

const QStringList kProfileTypes = {"WEBP", "PNG", "JPG", "TIF"};

TEST_F(MetadataRoutes, TheProfileTravelsFromEverySourceToEveryOutputThatHoldsOne) {
    const QByteArray wide = profile();
    ASSERT_GT(wide.size(), 6000);
    // The PSD goes through the tool's intermediate PNG; the PNG whole through the tool.
    for (const char* name :
         {"tagged.jpg", "tagged.png", "tagged.webp", "tagged.tif", "tagged.psd"}) {
        ASSERT_EQ(iccOf(source(name)), wide) << name << ": the source holds the profile";
        for (const QString& type : kProfileTypes) {
            const QString output = convert(name, type);
            EXPECT_EQ(iccOf(output), wide) << name << " to " << type.toStdString();
        }
    }
    // A profile larger than one JPEG marker holds, and one kept with grayscale on.
    const QByteArray big = profile("big.icc");
    ASSERT_GT(big.size(), 3 * 65519 / 2);
    for (const QString& type : kProfileTypes)
        EXPECT_EQ(iccOf(convert("big.jpg", type)), big) << type.toStdString();
    EXPECT_EQ(iccOf(convert("tagged.jpg", "WEBP", false, true)), wide) << "grayscale";
    EXPECT_EQ(iccOf(convert("tagged.webp", "TIF", false, true)), wide) << "grayscale";
    // The tool's grayscale intermediate holds no RGB profile; the tool gives it apart.
    for (const QString& type : kProfileTypes)
        EXPECT_EQ(iccOf(convert("tagged.psd", type, false, true)), wide)
            << "grayscale PSD to " << type.toStdString();
    EXPECT_TRUE(iccOf(convert("plain.psd", "WEBP", false, true)).isEmpty());
}

TEST_F(MetadataRoutes, NoProfileOrMetadataInGivesNoneOut) {
    for (const char* name : {"plain.jpg", "plain.png", "plain.webp", "plain.tif"}) {
        for (const QString& type : kProfileTypes) {
            const QString output = convert(name, type, true);
            const QString said = QString(name) + " to " + type;
            EXPECT_TRUE(iccOf(output).isEmpty()) << said.toStdString();
            EXPECT_TRUE(tagOf(output, "GPSLatitude").isEmpty()) << said.toStdString();
            EXPECT_TRUE(tagOf(output, "XMP:Title").isEmpty()) << said.toStdString();
        }
    }
}

TEST_F(MetadataRoutes, GpsAndXmpGoOnlyWhenTheUserKeepsThem) {
    for (const char* name : {"tagged.jpg", "tagged.png", "tagged.webp"}) {
        for (const QString& type : QStringList{"WEBP", "PNG", "JPG"}) {
            const std::string said = std::string(name) + " to " + type.toStdString();
            const QString stripped = convert(name, type);
            EXPECT_TRUE(tagOf(stripped, "GPSLatitude").isEmpty()) << said;
            EXPECT_TRUE(tagOf(stripped, "XMP:Title").isEmpty()) << said;
            const QString kept = convert(name, type, true);
            EXPECT_EQ(tagOf(kept, "GPSLatitude"), QStringLiteral("48.5")) << said;
            EXPECT_EQ(tagOf(kept, "XMP:Title"), QStringLiteral("Lighthouse")) << said;
            EXPECT_EQ(iccOf(kept), profile()) << said;
        }
    }
    // TIFF outputs take the XMP (EXIF lives in directories of the TIFF's own there).
    for (const char* name : {"tagged.jpg", "tagged.tif"}) {
        EXPECT_TRUE(tagOf(convert(name, "TIF"), "XMP:Title").isEmpty()) << name;
        EXPECT_EQ(tagOf(convert(name, "TIF", true), "XMP:Title"), QStringLiteral("Lighthouse"))
            << name;
    }
}

TEST_F(MetadataRoutes, KeptExifSaysUprightForTurnedPixelsAndHasNoThumbnail) {
    ASSERT_EQ(tagOf(source("turned.jpg"), "Orientation"), QStringLiteral("6"));
    ASSERT_FALSE(
        runForBytes("exiftool", {"-b", "-ThumbnailImage", source("turned.jpg")}).isEmpty());
    for (const QString& type : QStringList{"WEBP", "PNG", "JPG"}) {
        SCOPED_TRACE(type.toStdString());
        const QString output = convert("turned.jpg", type, true);
        EXPECT_EQ(tagOf(output, "ImageWidth") + u'x' + tagOf(output, "ImageHeight"),
                  QStringLiteral("48x64"));
        EXPECT_EQ(tagOf(output, "Orientation"), QStringLiteral("1"));
        EXPECT_EQ(tagOf(output, "GPSLatitude"), QStringLiteral("48.5"));
        EXPECT_TRUE(runForBytes("exiftool", {"-b", "-ThumbnailImage", output}).isEmpty());
        // Turned clockwise, the yellow corner is now at the top right.
        const QString corner =
            testing::runProgram("convert", {output, "-format",
                                            "%[fx:p{w-3,3}.r>0.8 && p{w-3,3}.g>0.8 && "
                                            "p{w-3,3}.b<0.3 && p{2,2}.g<0.5]",
                                            "info:"});
        EXPECT_EQ(corner, QStringLiteral("1"));
    }
}

// The codec library route takes the pixels and blocks the decoding stage holds instead of
// decoding its input again; the outputs are the same bytes.
TEST_F(MetadataRoutes, TheCodecRouteWritesWhatDecodingAgainGives) {
    for (const char* name : {"tagged.jpg", "tagged.png", "tagged.webp", "tagged.tif", "turned.jpg",
                             "big.jpg", "damaged.jpg"}) {
        for (const bool keep : {false, true}) {
            for (const bool gray : {false, true}) {
                const QString bitmap = convert(name, "BMP", keep, gray);
                for (const QString& type : QStringList{"WEBP", "PNG", "JPG"}) {
                    const std::string said = std::string(name) + " to " + type.toStdString() +
                                             (keep ? " keep" : "") + (gray ? " gray" : "");
                    const QString output = convert(name, type, keep, gray);
                    const auto again = testing::codecRouteDecodingAgain(
                        source(name), bitmap, source(name), type, 80, gray, keep,
                        work.filePath(QStringLiteral("again-%1").arg(++runs)));
                    if (!again)
                        continue;
                    EXPECT_FALSE(again->isEmpty()) << said;
                    EXPECT_TRUE(readAll(output) == *again) << said << ": the output differs";
                }
            }
        }
    }
}

TEST_F(MetadataRoutes, ADamagedProfileIsDroppedAndThePictureStillConverted) {
    ASSERT_FALSE(readAll(source("damaged.jpg")).isEmpty());
    for (const QString& type : kProfileTypes) {
        const QString output = convert("damaged.jpg", type, true);
        EXPECT_TRUE(QFileInfo(output).size() > 0) << type.toStdString();
        EXPECT_TRUE(iccOf(output).isEmpty()) << type.toStdString();
        EXPECT_EQ(tagOf(output, "XMP:Title"), QStringLiteral("Lighthouse")) << type.toStdString();
    }
}

}  // namespace
}  // namespace pixmorrow

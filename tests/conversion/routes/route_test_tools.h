#pragma once

// What the tests of whole runs share: a run reporter that ignores everything, a fixture that
// converts through the real routes, and the reference tools that read the outputs back.

#include "conversion/external/command_runner.h"
#include "conversion/format_table.h"
#include "conversion/routes/codec_library.h"
#include "conversion/routes/conversion_engine.h"
#include "conversion/routes/format_routes.h"
#include "conversion/run/conversion_run.h"
#include "formats/file_io.h"
#include "formats/metadata.h"
#include "platform/tick_clock.h"
#include "support/recording_dialogs.h"
#include "support/test_paths.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace pixmorrow::testing {

struct NullReporter final : RunReporter {
    void statusText(const QString&) override {}
    void progress(std::int64_t, std::int64_t) override {}
    void focusDestination() override {}
    void showQueuePage() override {}
};

// Tests that convert through the real routes, the codec library's and the external tool's, in
// a work folder of their own.
class RouteRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!CodecLibrary::isLoaded())
            CodecLibrary::loadAtStart(builtProgramFolder());
    }

    void SetUp() override {
        // scripts/install-deps installs it: a missing tool is a broken set-up, not a skip.
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty())
            << "ImageMagick is not installed (scripts/install-deps)";
        ASSERT_TRUE(work.isValid());
    }

    // One run of `sources` with an engine of its own, its settings in the work folder.
    std::optional<RunTotals> runOnce(const QStringList& sources, const ConversionOptions& options) {
        const QString settings = work.filePath(QStringLiteral("settings/"));
        QDir().mkpath(settings);
        NullReporter reporter;
        SteadyTickClock clock;
        ConversionEngine engine({builtProgramFolder(), settings, dialogs, log});
        ConversionRun conversion(dialogs, reporter, clock, engine.converter());
        return conversion.run(sources, options);
    }

    QTemporaryDir work;
    RecordingDialogs dialogs;
    CommandLog log;
};

// Runs a program to its end (two minutes at most); its standard output. A program that
// crashed has the exit code -1.
inline QByteArray runForBytes(const QString& program, const QStringList& arguments,
                              int* exitCode = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    process.waitForFinished(120000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput();
}

// The same, its output as text.
inline QString runProgram(const QString& program, const QStringList& arguments,
                          int* exitCode = nullptr) {
    return QString::fromLocal8Bit(runForBytes(program, arguments, exitCode));
}

// The largest chroma (HCL, 0 to 1) of each frame of a file, read by the reference tool.
// Lossy encoders leave a little colour noise on gray pixels, so gray means "nearly no
// chroma".
inline std::vector<double> saturations(const QString& path) {
    const QString text = runProgram(
        QStringLiteral("convert"),
        {path, QStringLiteral("-alpha"), QStringLiteral("off"), QStringLiteral("-colorspace"),
         QStringLiteral("HCL"), QStringLiteral("-channel"), QStringLiteral("G"),
         QStringLiteral("-separate"), QStringLiteral("-format"), QStringLiteral("%[fx:maxima]\n"),
         QStringLiteral("info:")});
    std::vector<double> values;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts))
        values.push_back(line.toDouble());
    return values;
}

// What the codec library route wrote when it decoded its input file itself, into `output`:
// the source for a kind the library reads, else `bitmapFile` (the work bitmap as the BMP route
// writes it, which is what the route gave the library), with the blocks of `blocksFile` (the
// source, or for a kind the tool decodes, a TIFF output, which holds the profile the tool's
// intermediate gave). Nothing when the file takes another route.
inline std::optional<QByteArray> codecRouteDecodingAgain(
    const QString& source, const QString& bitmapFile, const QString& blocksFile,
    const QString& type, int quality, bool grayscale, bool keepMetadata, const QString& output) {
    const QString extension = u'.' + QFileInfo(source).suffix().toLower();
    formats::ImageMetadata blocks;
    try {
        blocks = formats::readMetadata(formats::readWholeFile(blocksFile.toStdString()));
    } catch (const std::exception&) {
    }
    if (!blocks.exif.empty())
        blocks.exif = formats::exifForOutput(blocks.exif);
    const bool exifOrXmp = !blocks.exif.empty() || !blocks.xmp.empty();
    if (writingRouteFor(type, extension, source, keepMetadata && exifOrXmp) !=
        WritingRoute::CodecLibrary)
        return std::nullopt;
    if (!keepMetadata) {
        blocks.exif.clear();
        blocks.xmp.clear();
    }
    const CodecOutput codec = codecOutputFor(type, quality);
    codecRoute(CodecLibrary::instance(),
               inputKind(extension).codecLibraryReads ? source : bitmapFile, output, codec.format,
               codec.quality, grayscale, blocks, keepMetadata);
    QFile file(output);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace pixmorrow::testing

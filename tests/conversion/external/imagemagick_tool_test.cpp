// The bridge with the real launcher of the program folder and the ImageMagick, ffmpeg and
// libjxl the project installs. Sample files are made at test time by independent encoders.
#include "conversion/external/imagemagick_bridge.h"
#include "support/recording_dialogs.h"
#include "support/test_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace pixmorrow {
namespace {

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun run(const QString& program, const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
}

bool installed(const char* program) {
    return !QStandardPaths::findExecutable(QString::fromUtf8(program)).isEmpty();
}

// The installed ImageMagick itself, under the system's policy, which makes samples and reads
// results with coders the program's own policy denies (canvases, "info:", TGA and PSD out).
QString referenceTool() {
    return QStandardPaths::findExecutable(installed("magick") ? QStringLiteral("magick")
                                                              : QStringLiteral("convert"));
}

class RealTool : public ::testing::Test {
protected:
    void SetUp() override {
        // scripts/install-deps installs it: a missing tool is a broken set-up, not a skip.
        ASSERT_TRUE(installed("magick") || installed("convert"))
            << "ImageMagick is not installed (scripts/install-deps)";
        ASSERT_TRUE(folder_.isValid());
        ASSERT_TRUE(QFileInfo(bridge_.toolPath()).isExecutable()) << "build the program folder";
        // A 64x48 gradient, the source of the other samples: 8-bit RGB, since the PSD writer
        // cannot put layers over a palette picture. (A clear square laid over it would change
        // nothing: the picture is opaque.)
        ASSERT_EQ(magick({"-size", "64x48", "gradient:red-blue", "-depth", "8",
                          "PNG24:" + file("source.png")}),
                  0);
    }

    QString file(const QString& name) const { return folder_.filePath(name); }
    int magick(const QStringList& arguments) {
        const ToolRun result = run(referenceTool(), arguments);
        EXPECT_EQ(result.exitCode, 0) << result.output.toStdString();
        return result.exitCode;
    }
    // "WxH" of the first frame and the number of frames, read by the tool.
    QStringList describe(const QString& argument) {
        const ToolRun result = run(referenceTool(), {argument, "-format", "%wx%h %m\\n", "info:-"});
        return result.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    int ffmpegFrames(const QString& path) {
        const ToolRun result =
            run(QStringLiteral("ffprobe"),
                {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                 "stream=nb_read_frames", "-of", "csv=p=0", path});
        return result.output.trimmed().toInt();
    }
    void makeAnimatedGif(const QString& path, int frames) {
        QStringList arguments{"-delay", "10", "-size", "40x30"};
        const char* colours[] = {"red", "green", "blue", "yellow", "white", "black", "orange"};
        for (int i = 0; i < frames; ++i)
            arguments << QStringLiteral("xc:") + colours[i % 7];
        // Doubled "%": the tool reads "%d" in an output name as the frame number.
        arguments << "-loop"
                  << "0" << QString(path).replace(QLatin1Char('%'), QStringLiteral("%%"));
        ASSERT_EQ(magick(arguments), 0);
    }

    QTemporaryDir folder_;
    CommandLog log_;
    testing::RecordingDialogs dialogs_;
    ImageMagickBridge bridge_{testing::builtProgramFolder(), dialogs_, log_};
};

struct Sample {
    const char* extension;
    const char* generator;  // a program to make the sample; empty: the tool itself
    QStringList arguments;  // %in = source.png, %ppm = it as a PPM, %out = the sample
    int tolerance;          // the largest difference of a channel from what was encoded
};

// The largest difference of any channel of two pictures, compared premultiplied (the colour
// of a clear pixel means nothing); -1 when the sizes differ.
int largestDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 4; ++i)
            worst = std::max(worst, std::abs(p[i] - q[i]));
    }
    return worst;
}

TEST_F(RealTool, ExternalFormatsDecodeToTempPng) {
    // Lossless encodings, so the picture must come back as it went in; the tool's HEIF
    // library turns AVIF and HEIC pixels back into RGB through YCbCr, a few levels off.
    const Sample samples[] = {
        {".avif", "avifenc", {"-l", "%in", "%out"}, 6},
        {".heic", "heif-enc", {"-L", "%in", "-o", "%out"}, 6},
        {".jxl", "cjxl", {"-d", "0", "%in", "%out"}, 0},
        // From a PPM: the encoder's PNG reader applies the PNG's gamma to the pixels.
        {".jp2", "opj_compress", {"-i", "%ppm", "-o", "%out"}, 0},
        {".tga", "", {"%in", "%out"}, 0},
        // Layered: the composite, then two layers (all of one depth, or the writer mixes
        // them up).
        {".psd",
         "",
         {"%in", "(", "-size", "64x48", "xc:none", "-fill", "red", "-draw", "rectangle 0,0 31,47",
          ")", "(", "-size", "20x20", "xc:green", ")", "-depth", "8", "%out"},
         0},
    };
    // The source as Qt's own PNG reader sees it, and what the PSD's layers flattened onto
    // white make of it: the left half red, a green square in the corner.
    ASSERT_EQ(magick({file("source.png"), file("source.ppm")}), 0);
    const QImage original(file("source.png"));
    ASSERT_FALSE(original.isNull());
    QImage flattened(original.size(), QImage::Format_ARGB32);
    flattened.fill(Qt::white);
    {
        QPainter painter(&flattened);
        painter.drawImage(0, 0, original);
        painter.fillRect(0, 0, 32, 48, QColor(255, 0, 0));
        painter.fillRect(0, 0, 20, 20, QColor(0, 128, 0));
    }
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.extension);
        const QString extension = QString::fromUtf8(sample.extension);
        if (*sample.generator != '\0' && !installed(sample.generator)) {
            ADD_FAILURE() << sample.generator << " is missing (scripts/install-deps)";
            continue;
        }
        const QString source = file(QStringLiteral("sample") + extension);
        QStringList arguments;
        for (const QString& a : sample.arguments)
            arguments << (a == "%in"    ? file("source.png")
                          : a == "%ppm" ? file("source.ppm")
                          : a == "%out" ? source
                                        : a);
        const ToolRun made =
            run(*sample.generator != '\0' ? QString::fromUtf8(sample.generator) : referenceTool(),
                arguments);
        ASSERT_TRUE(QFileInfo(source).size() > 0) << made.output.toStdString();
        if (extension == ".psd") {
            EXPECT_GE(describe(source).size(), 3) << "not layered";
        }

        const QString temp = file(QStringLiteral("temp.png"));
        QFile::remove(temp);
        bridge_.ImageMagickIleDonustur(source, temp, false);
        EXPECT_TRUE(dialogs_.messages.empty()) << log_.text().toStdString();
        EXPECT_EQ(describe(temp), QStringList{"64x48 PNG"}) << log_.text().toStdString();
        EXPECT_EQ(log_.lines().value(0),
                  ImageMagickBridge::generalCommandLine(source, temp, false));
        // Read back by another reader than the tool's own.
        const QImage decoded(temp);
        ASSERT_FALSE(decoded.isNull());
        const int difference =
            largestDifference(decoded, extension == ".psd" ? flattened : original);
        EXPECT_GE(difference, 0) << "wrong size";
        EXPECT_LE(difference, sample.tolerance);
    }
}

TEST_F(RealTool, AnimatedGifKeepsAllFramesInWebpAndApng) {
    const QString gif = file(QStringLiteral("anim.gif"));
    makeAnimatedGif(gif, 5);

    const QString webp = file(QStringLiteral("anim.webp"));
    bridge_.ImageMagickIleDonustur(gif, webp, false);
    const ToolRun info = run(QStringLiteral("webpmux"), {"-info", webp});
    EXPECT_EQ(info.exitCode, 0) << "strict readers must accept the file: "
                                << info.output.toStdString();
    EXPECT_TRUE(info.output.contains(QStringLiteral("Number of frames: 5")))
        << info.output.toStdString();

    const QString apng = file(QStringLiteral("anim.apng"));
    bridge_.ImageMagickIleDonustur(gif, apng, true);
    EXPECT_EQ(ffmpegFrames(apng), 5);
    EXPECT_TRUE(QFileInfo(apng).permissions() & QFile::ReadOther);
    EXPECT_TRUE(dialogs_.messages.empty()) << log_.text().toStdString();

    // An animated PNG source is read whole: the APNG written above, under a ".png" name.
    const QString png = file(QStringLiteral("moving.png"));
    ASSERT_TRUE(QFile::copy(apng, png));
    ASSERT_TRUE(IsAnimatedPng(png));
    const QString back = file(QStringLiteral("back.webp"));
    bridge_.ImageMagickIleDonustur(png, back, false);
    EXPECT_TRUE(run(QStringLiteral("webpmux"), {"-info", back})
                    .output.contains(QStringLiteral("Number of frames: 5")));
}

// A still picture written as APNG is an animated PNG of one frame: its animation control
// chunk says so, before the image data, and the picture is the source's.
TEST_F(RealTool, AStillPictureBecomesAnApngOfOneFrame) {
    const QString apng = file(QStringLiteral("still.apng"));
    bridge_.ImageMagickIleDonustur(file("source.png"), apng, false);
    EXPECT_TRUE(dialogs_.messages.empty()) << log_.text().toStdString();
    QFile written(apng);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    const qsizetype control = bytes.indexOf("acTL");
    ASSERT_GT(control, 0) << "no animation control chunk";
    EXPECT_LT(control, bytes.indexOf("IDAT"));
    EXPECT_EQ(bytes.mid(control + 4, 4), QByteArray::fromHex("00000001")) << "frames";
    EXPECT_EQ(ffmpegFrames(apng), 1);
    EXPECT_EQ(largestDifference(QImage(apng), QImage(file("source.png"))), 0);
}

TEST_F(RealTool, ApngKeepsEachFramesOwnDelay) {
    // Delays in 1/100 s; the tool keeps them to its 3/100 s steps: 9, 30, 6, 9.
    const QString gif = file(QStringLiteral("delays.gif"));
    ASSERT_EQ(magick({"-size", "40x30", "-delay", "10", "xc:red", "-delay", "30", "xc:green",
                      "-delay", "6", "xc:blue", "-delay", "10", "xc:red", "-loop", "0", gif}),
              0);
    const QString apng = file(QStringLiteral("delays.apng"));
    bridge_.ImageMagickIleDonustur(gif, apng, false);
    const ToolRun durations =
        run(QStringLiteral("ffprobe"),
            {"-v", "error", "-show_entries", "packet=duration_time", "-of", "csv=p=0", apng});
    EXPECT_EQ(durations.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
              (QStringList{"0.090000", "0.300000", "0.060000", "0.090000"}))
        << log_.text().toStdString();
}

TEST_F(RealTool, QualityConversionWritesGrayGif) {
    const QString gif = file(QStringLiteral("small.gif"));
    bridge_.ImageMagickIleAVIFDonustur(file("source.png"), gif, 7, true);
    EXPECT_TRUE(dialogs_.messages.empty()) << log_.text().toStdString();
    // GIF has no gray colour space; gray pixels have no saturation.
    const ToolRun saturation =
        run(referenceTool(), {gif, "-colorspace", "HSL", "-format", "%[fx:maxima.g]", "info:-"});
    EXPECT_EQ(saturation.output.trimmed(), QStringLiteral("0"));
}

TEST_F(RealTool, CorruptAvifShowsTheToolsOwnErrorLines) {
    const QString avif = file(QStringLiteral("broken.avif"));
    {
        QFile f(avif);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromHex("0000001c667479706176696600000000617669666d696631") +
                QByteArray(300, '\x5A'));
    }
    const QString temp = file(QStringLiteral("temp.png"));
    bridge_.ImageMagickIleDonustur(avif, temp, false);
    EXPECT_FALSE(QFile::exists(temp));
    ASSERT_EQ(dialogs_.messages.size(), 1u) << log_.text().toStdString();
    const auto& message = dialogs_.messages[0];
    EXPECT_EQ(message.title, QStringLiteral("ERROR"));
    EXPECT_EQ(message.icon, MessageIcon::Error);
    const QStringList shown = message.text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_FALSE(shown.isEmpty());
    for (const QString& line : shown) {
        EXPECT_TRUE(log_.lines().contains(line)) << line.toStdString();
        EXPECT_TRUE(line.contains(QStringLiteral("error"), Qt::CaseInsensitive) ||
                    line.contains(QStringLiteral("failed"), Qt::CaseInsensitive));
    }
    EXPECT_TRUE(message.text.contains(temp)) << "the tool names the output it could not make";
}

TEST_F(RealTool, HostileFileNameConvertsAndRunsNothing) {
    QDir dir(file(QStringLiteral("hostile")));
    ASSERT_TRUE(dir.mkpath(QStringLiteral(".")));
    const QString name = QStringLiteral("a\"b $(touch pwned) `touch pwned2`; c\nd 50%d");
    const QString gif = dir.filePath(name + QStringLiteral(".gif"));
    makeAnimatedGif(gif, 3);
    const QString out = dir.filePath(name + QStringLiteral(".webp"));
    bridge_.ImageMagickIleDonustur(gif, out, false);
    const QString apng = dir.filePath(name + QStringLiteral(".apng"));
    bridge_.ImageMagickIleDonustur(gif, apng, false);
    const QString ico = dir.filePath(name + QStringLiteral(".ico"));
    bridge_.ImageMagickIleAVIFDonustur(gif, ico, 50, false);

    EXPECT_TRUE(dialogs_.messages.empty()) << log_.text().toStdString();
    QStringList expected{QFileInfo(gif).fileName(), QFileInfo(out).fileName(),
                         QFileInfo(apng).fileName(), QFileInfo(ico).fileName()};
    expected.sort();
    EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              expected)
        << dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)
               .join(QLatin1Char('|'))
               .toStdString();
    for (const QString& place : {folder_.path(), bridge_.workingFolder(), QDir::currentPath()}) {
        EXPECT_FALSE(QFile::exists(place + QStringLiteral("/pwned"))) << place.toStdString();
        EXPECT_FALSE(QFile::exists(place + QStringLiteral("/pwned2"))) << place.toStdString();
    }
}

TEST_F(RealTool, LauncherSaysSoWhenNoImageMagickIsInstalled) {
    // A PATH with only what the launcher itself uses.
    const QString bin = file(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    for (const char* tool : {"dirname", "basename", "readlink"})
        QFile::link(QStandardPaths::findExecutable(QString::fromUtf8(tool)),
                    bin + QLatin1Char('/') + QString::fromUtf8(tool));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), bin);
    const ToolRun result =
        run(QStringLiteral("/bin/sh"), {bridge_.toolPath(), file("source.png"), file("x.png")},
            environment);
    EXPECT_NE(result.exitCode, 0);
    const QStringList lines = result.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << result.output.toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("error")));
    EXPECT_FALSE(QFile::exists(file("x.png")));
}

TEST_F(RealTool, OwnPolicyAndDelegatesAreInForce) {
    const ToolRun resources = run(bridge_.toolPath(), {"-list", "resource"});
    EXPECT_TRUE(resources.output.contains(QRegularExpression(QStringLiteral("Memory: 2GiB"))))
        << resources.output.toStdString();
    EXPECT_TRUE(resources.output.contains(QStringLiteral("List length: 10000")));
    // A picture wider than the limit is refused, not decoded.
    const QString wide = file(QStringLiteral("wide.png"));
    QImage line(40000, 1, QImage::Format_RGB32);
    line.fill(Qt::red);
    ASSERT_TRUE(line.save(wide));
    const QString narrow = file(QStringLiteral("narrow.png"));
    const ToolRun refused = run(bridge_.toolPath(), {"PNG:" + wide, "PNG:" + narrow});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_FALSE(QFileInfo(narrow).size() > 0);
}

// Coders the routes do not use are denied, whether named or found by the content: a canvas,
// text, a PGM, a PostScript file.
TEST_F(RealTool, EveryOtherCoderIsDenied) {
    const QString pgm = file(QStringLiteral("gray.pgm"));
    ASSERT_EQ(magick({"-size", "8x8", "gradient:", pgm}), 0);
    const QString eps = file(QStringLiteral("page.eps"));
    QFile page(eps);
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 8 8\nshowpage\n");
    page.close();
    for (const QString& source : {QStringLiteral("xc:red"), QStringLiteral("label:x"),
                                  QStringLiteral("PGM:") + pgm, pgm, eps}) {
        const QString out = file(QStringLiteral("out.png"));
        const ToolRun refused = run(bridge_.toolPath(), {source, "PNG:" + out});
        EXPECT_NE(refused.exitCode, 0) << source.toStdString();
        EXPECT_TRUE(refused.output.contains(QStringLiteral("security policy")))
            << refused.output.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

// The decoder is the one the extension promises: a file of another kind under that name is
// refused with the tool's own words, not read by the decoder its content would pick.
TEST_F(RealTool, ARenamedPictureIsRefused) {
    const struct {
        const char* made;    // what the content is
        const char* posing;  // the name it is queued under
        bool named;          // the tool's words name the file
    } cases[] = {{"gray.pgm", "photo.tga", true},
                 {"photo.png", "layers.psd", true},
                 {"photo.jpg", "x.heic", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.posing);
        const QString made = file(QString::fromUtf8(c.made));
        ASSERT_EQ(magick({file("source.png"), made}), 0);
        const QString posing = file(QString::fromUtf8(c.posing));
        QFile::remove(posing);
        ASSERT_TRUE(QFile::rename(made, posing));
        dialogs_.messages.clear();
        const QString temp = file(QStringLiteral("temp.png"));
        QFile::remove(temp);
        bridge_.ImageMagickIleDonustur(posing, temp, false);
        EXPECT_FALSE(QFileInfo(temp).size() > 0) << log_.text().toStdString();
        ASSERT_EQ(dialogs_.messages.size(), 1u) << log_.text().toStdString();
        if (c.named) {
            EXPECT_TRUE(dialogs_.messages[0].text.contains(posing))
                << dialogs_.messages[0].text.toStdString();
        }
    }
}

// Names the tool would read as an option, a format prefix, a frame selection or a list,
// given absolute or relative to the working folder, in a folder whose name has them too (and
// a line break).
TEST_F(RealTool, NamesWithDashColonAndBracketAreReadAsFileNames) {
    QDir dir(file(QStringLiteral("a:b [1] @c\nd")));
    ASSERT_TRUE(dir.mkpath(QStringLiteral(".")));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    struct Restore {
        QString folder;
        ~Restore() { QDir::setCurrent(folder); }
    } restore{previous};
    const char* const names[] = {"-resize 1x1", "ps:evil", "frame[0]x", "@list", "%d"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const QString base = QString::fromUtf8(name);
        const QString gif = dir.filePath(base + QStringLiteral(".gif"));
        makeAnimatedGif(gif, 3);
        // Relative: what the tool gets is made absolute first.
        bridge_.ImageMagickIleDonustur(base + QStringLiteral(".gif"),
                                       base + QStringLiteral(".webp"), false);
        bridge_.ImageMagickIleAVIFDonustur(gif, dir.filePath(base + QStringLiteral(".ico")), 50,
                                           false);
        EXPECT_TRUE(dialogs_.messages.empty()) << log_.text().toStdString();
        EXPECT_TRUE(QFileInfo(dir.filePath(base + QStringLiteral(".webp"))).size() > 0);
        EXPECT_TRUE(QFileInfo(dir.filePath(base + QStringLiteral(".ico"))).size() > 0);
    }
    // Nothing else was made, in the folder or the tool's.
    EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).size(),
              3 * static_cast<int>(std::size(names)));
}

}  // namespace
}  // namespace pixmorrow

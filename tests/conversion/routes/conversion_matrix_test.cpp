// Every input kind of the format table converted to every output type of it, with and without
// grayscale, through the real routes, checked with decoders that are not the program's own.
#include "conversion/external/command_runner.h"
#include "conversion/format_table.h"
#include "conversion/routes/codec_library.h"
#include "conversion/routes/conversion_engine.h"
#include "conversion/routes/engine_factory.h"
#include "conversion/routes/route_test_tools.h"
#include "conversion/run/conversion_run.h"
#include "platform/tick_clock.h"
#include "support/recording_dialogs.h"
#include "support/test_paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

using testing::builtProgramFolder;
using testing::NullReporter;
using testing::RecordingDialogs;
using testing::runProgram;
using testing::saturations;
using testing::testSourceFolder;

struct Kind {
    QString file;
    bool transparent = false;  // the bottom right pixel is transparent in the source
    bool animated = false;
};

QString kindName(const Kind& kind) {
    return QFileInfo(kind.file).completeBaseName();
}

QString kindExtension(const Kind& kind) {
    return u'.' + QFileInfo(kind.file).suffix();
}

QString fixtureScript() {
    return testSourceFolder() + QStringLiteral("/conversion/routes/make_matrix_fixtures.sh");
}

// The fixtures, made once per build folder and version of the script beside this test.
QString fixtureFolder() {
    static const QString folder = [] {
        QFile scriptFile(fixtureScript());
        EXPECT_TRUE(scriptFile.open(QIODevice::ReadOnly));
        const QString version = QString::fromLatin1(
            QCryptographicHash::hash(scriptFile.readAll(), QCryptographicHash::Sha1)
                .toHex()
                .left(12));
        const QString target =
            builtProgramFolder() + QStringLiteral("/test-fixtures/matrix-") + version;
        // Only a script that succeeded gives its folder the name; kinds.txt is its last file.
        if (QFile::exists(target + QStringLiteral("/kinds.txt")))
            return target;
        QDir().mkpath(builtProgramFolder() + QStringLiteral("/test-fixtures"));
        QTemporaryDir scratch(builtProgramFolder() +
                              QStringLiteral("/test-fixtures/making-XXXXXX"));
        scratch.setAutoRemove(true);
        const QString made = scratch.path() + QStringLiteral("/matrix");
        QProcess script;
        script.start(QStringLiteral("bash"), {fixtureScript(), made});
        const bool finished = script.waitForFinished(120000);
        const bool succeeded =
            finished && script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
        EXPECT_TRUE(succeeded) << (finished ? "the fixture script failed: "
                                            : "the fixture script timed out: ")
                               << script.readAllStandardError().toStdString();
        if (!succeeded)
            return QString();  // nothing kept: the next run makes them again
        // Another test process may have won the race; its fixtures are the same. A folder
        // without kinds.txt is what an older build left of a failed script.
        if (QFileInfo(target).isDir() && !QFile::exists(target + QStringLiteral("/kinds.txt")))
            QDir(target).removeRecursively();
        QDir().rename(made, target);
        return target;
    }();
    return folder;
}

// The fixtures as the script lists them.
std::vector<Kind> fixtureKinds() {
    std::vector<Kind> kinds;
    QFile list(fixtureFolder() + QStringLiteral("/kinds.txt"));
    EXPECT_TRUE(list.open(QIODevice::ReadOnly | QIODevice::Text));
    for (const QString& line : QString::fromUtf8(list.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        kinds.push_back({words.value(0), words.contains(QStringLiteral("transparent")),
                         words.contains(QStringLiteral("animated"))});
    }
    return kinds;
}

// The fixtures of every input kind the table accepts, in the table's order.
std::vector<Kind> kindsOfTheTable() {
    const std::vector<Kind> fixtures = fixtureKinds();
    std::vector<Kind> kinds;
    for (const QString& extension : supportedExtensions()) {
        for (const Kind& kind : fixtures) {
            if (kindExtension(kind) == extension)
                kinds.push_back(kind);
        }
    }
    return kinds;
}

struct RunOutcome {
    QString folder;
    std::vector<RecordingDialogs::Message> messages;
    QStringList settingsLeft;
    std::optional<RunTotals> totals;
};

// One frame of one output file as identify sees it.
struct Frame {
    QString format;
    int width = 0;
    int height = 0;
    QString type;
    double cornerAlpha = 1;
    double cornerRed = 0;
    // The canvas the frame is placed on: an animation's later frames may be smaller.
    int canvasWidth = 0;
    int canvasHeight = 0;
};

// Frames of every file, by path, read in one identify call.
QMap<QString, std::vector<Frame>> identifyAll(const QStringList& files) {
    QMap<QString, std::vector<Frame>> frames;
    if (files.isEmpty())
        return frames;
    QStringList arguments = {
        QStringLiteral("-format"),
        QStringLiteral("%i|%m|%w|%h|%[type]|%[fx:p{w-1,h-1}.a]|%[fx:p{w-1,h-1}.r]|%W|%H\\n")};
    arguments << files;
    const QString text = runProgram(QStringLiteral("identify"), arguments);
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u'|');
        if (f.size() != 9)
            continue;
        frames[f[0]].push_back({f[1], f[2].toInt(), f[3].toInt(), f[4], f[5].toDouble(),
                                f[6].toDouble(), f[7].toInt(), f[8].toInt()});
    }
    return frames;
}

class ConversionMatrix : public ::testing::TestWithParam<std::string> {
protected:
    static void SetUpTestSuite() {
        if (!CodecLibrary::isLoaded())
            CodecLibrary::loadAtStart(builtProgramFolder());
    }

    RunOutcome convertAll(const QString& type, bool grayscale,
                          const std::optional<formats::ResizeRequest>& resize = std::nullopt) {
        RunOutcome outcome;
        const QString variant = resize      ? QStringLiteral("resized")
                                : grayscale ? QStringLiteral("gray")
                                            : QStringLiteral("plain");
        outcome.folder = work.path() + u'/' + variant;
        const QString settings = work.path() + QStringLiteral("/settings-") + variant + u'/';
        QDir().mkpath(settings);
        QStringList sources;
        for (const Kind& kind : kinds)
            sources << fixtureFolder() + u'/' + kind.file;
        sources << fixtureFolder() + QStringLiteral("/bad.jpg");

        RecordingDialogs dialogs;
        CommandLog log;
        NullReporter reporter;
        SteadyTickClock clock;
        ConversionOptions options{type, 80, grayscale, outcome.folder};
        options.resize = resize;
        if (resize) {
            // Resized the window's way: on two workers, each converter told of the size.
            EngineFactory factory(builtProgramFolder());
            RunSettings runSettings;
            runSettings.settingsFolder = settings;
            runSettings.workers = 2;
            ConversionRun conversion(dialogs, reporter, clock, factory, runSettings);
            outcome.totals = conversion.run(sources, options);
        } else {
            ConversionEngine engine({builtProgramFolder(), settings, dialogs, log});
            ConversionRun conversion(dialogs, reporter, clock, engine.converter());
            outcome.totals = conversion.run(sources, options);
        }
        outcome.messages = dialogs.messages;
        outcome.settingsLeft = QDir(settings).entryList(QDir::Files | QDir::Hidden);
        return outcome;
    }

    // The frames of the files `names` of `folder`, by path, as the reference tool reads them.
    // WMP outputs are checked through the reference JPEG XR decoder, into copies in the work
    // folder whose names start with `prefix`; `decodedFrom` maps each decoded copy to its
    // output.
    QMap<QString, std::vector<Frame>> identifyOutputs(const QDir& folder, const QStringList& names,
                                                      const QString& type, const QString& prefix,
                                                      QMap<QString, QString>& decodedFrom) {
        QStringList toIdentify;
        for (const QString& name : names) {
            const QString path = folder.filePath(name);
            if (type == QStringLiteral("WMP")) {
                const QString stem = work.path() + u'/' + prefix + name;
                const QString copy = stem + QStringLiteral(".jxr");
                const QString bmp = stem + QStringLiteral(".bmp");
                QFile::copy(path, copy);
                int code = -1;
                runProgram(QStringLiteral("JxrDecApp"),
                           {QStringLiteral("-i"), copy, QStringLiteral("-o"), bmp}, &code);
                EXPECT_EQ(code, 0) << "JxrDecApp cannot read " << name.toStdString();
                decodedFrom[bmp] = path;
                toIdentify << bmp;
            } else {
                toIdentify << path;
            }
        }
        QMap<QString, std::vector<Frame>> identified;
        const auto raw = identifyAll(toIdentify);
        for (auto it = raw.begin(); it != raw.end(); ++it)
            identified[decodedFrom.value(it.key(), it.key())] = it.value();
        return identified;
    }

    QTemporaryDir work;
    const std::vector<Kind> kinds = kindsOfTheTable();
};

bool keepsTransparency(const Kind& kind, const QString& type) {
    if (!kind.transparent)
        return false;
    const QString name = kindName(kind);
    const QString extension = kindExtension(kind);
    if (type == QStringLiteral("PNG") || type == QStringLiteral("WEBP")) {
        // The tool reads PNG sources itself and GIF sources for WEBP; the codec library reads
        // WebP, GIF and ICO sources itself; the rest come through the opaque work bitmap.
        return QStringList{QStringLiteral(".png"), QStringLiteral(".apng"), QStringLiteral(".webp"),
                           QStringLiteral(".gif"), QStringLiteral(".ico")}
            .contains(extension);
    }
    if (type == QStringLiteral("GIF") || type == QStringLiteral("ICO") ||
        type == QStringLiteral("APNG")) {
        return QStringList{QStringLiteral("png"), QStringLiteral("webp"), QStringLiteral("gif"),
                           QStringLiteral("animgif"), QStringLiteral("ico")}
            .contains(name);
    }
    return false;
}

bool canHoldTransparency(const QString& type) {
    return !QStringList{QStringLiteral("BMP"), QStringLiteral("TIF"), QStringLiteral("TIFF"),
                        QStringLiteral("WMP"), QStringLiteral("JPG"), QStringLiteral("JPEG"),
                        QStringLiteral("JFIF")}
                .contains(type);
}

bool isOneOf(const QString& value, const QStringList& options) {
    return options.contains(value);
}

// Whether a transparent source that the program decodes itself reaches the output through
// the work bitmap, which composes transparency over white.
bool putOnWhite(const Kind& kind, const QString& type) {
    const QString extension = kindExtension(kind);
    // The external tool decodes these, so what they hold depends on the tool.
    if (!kind.transparent || isOneOf(extension, {QStringLiteral(".avif"), QStringLiteral(".psd"),
                                                 QStringLiteral(".heic"), QStringLiteral(".heif"),
                                                 QStringLiteral(".tga"), QStringLiteral(".jxl"),
                                                 QStringLiteral(".jp2")})) {
        return false;
    }
    if (isOneOf(type, {QStringLiteral("BMP"), QStringLiteral("TIF"), QStringLiteral("TIFF"),
                       QStringLiteral("WMP")})) {
        return true;
    }
    // The codec library reads neither TIFF nor SVG, and neither it nor the tool reads JPEG XR;
    // the tool does not read SVG either. Those get "temp.bmp" from the work bitmap.
    if (isOneOf(type, {QStringLiteral("GIF"), QStringLiteral("ICO"), QStringLiteral("APNG")}))
        return isOneOf(extension, {QStringLiteral(".svg"), QStringLiteral(".wmp")});
    return isOneOf(extension, {QStringLiteral(".tif"), QStringLiteral(".tiff"),
                               QStringLiteral(".svg"), QStringLiteral(".wmp")});
}

// Whether the route hands the whole animated source to the tool, which keeps its frames.
bool keepsFrames(const Kind& kind, const QString& type) {
    if (!kind.animated)
        return false;
    const QString name = kindName(kind);
    if (name == QStringLiteral("animgif")) {
        return type == QStringLiteral("WEBP") || type == QStringLiteral("GIF") ||
               type == QStringLiteral("APNG");
    }
    if (name == QStringLiteral("apng")) {
        return type == QStringLiteral("WEBP") || type == QStringLiteral("APNG");
    }
    return type == QStringLiteral("GIF") || type == QStringLiteral("APNG");
}

int pngFrameCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return 0;
    return std::max<int>(1, bytes.count("fcTL"));
}

// Whether a PNG file is an animated one: its animation control chunk comes before the image
// data. Any PNG has a frame; only an animated PNG has this chunk.
bool hasAnimationControl(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return false;
    for (qsizetype at = 8; at + 8 <= bytes.size();) {
        const auto* p = reinterpret_cast<const uchar*>(bytes.constData() + at);
        const qsizetype length = qsizetype{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3];
        const QByteArray type = bytes.mid(at + 4, 4);
        if (type == "acTL")
            return true;
        if (type == "IDAT")
            return false;
        at += 12 + length;
    }
    return false;
}

// The output of `kind` as `type` keeps, drops or puts on white its transparency, and keeps its
// frames, as the route it took does.
void expectTransparencyAndFrames(const Kind& kind, const QString& type, const QString& output,
                                 const std::vector<Frame>& frames) {
    const Frame& first = frames.front();
    const bool transparent = first.cornerAlpha < 0.5;
    if (keepsTransparency(kind, type)) {
        EXPECT_TRUE(transparent) << "transparency lost";
    } else if (!canHoldTransparency(type)) {
        EXPECT_FALSE(transparent);
    }
    if (putOnWhite(kind, type)) {
        EXPECT_FALSE(transparent);
        EXPECT_GT(first.cornerRed, 0.9) << "transparent parts not put on white";
    }
    if (keepsFrames(kind, type)) {
        const int count = type == QStringLiteral("APNG") ? pngFrameCount(output)
                                                         : static_cast<int>(frames.size());
        EXPECT_GE(count, 2) << "frames lost";
    }
}

TEST_P(ConversionMatrix, EveryKindBecomesAFaithfulOutput) {
    const QString type = QString::fromStdString(GetParam());
    const QString extension = outputExtension(type);
    for (const bool grayscale : {false, true}) {
        SCOPED_TRACE(grayscale ? "grayscale" : "colour");
        const RunOutcome outcome = convertAll(type, grayscale);
        ASSERT_TRUE(outcome.totals);
        EXPECT_EQ(outcome.totals->processedCount, std::ssize(kinds) + 1);
        EXPECT_EQ(outcome.settingsLeft, QStringList()) << "intermediate files left behind";

        // The only message is the one for the file that holds no JPEG data.
        QStringList texts;
        for (const auto& message : outcome.messages)
            texts << message.title + u':' + message.text;
        EXPECT_EQ(texts, QStringList{QStringLiteral(
                             "ERROR:JPEG error #53\r\rUnknown file format, empty/damaged file!")});

        const QDir folder(outcome.folder);
        const QStringList written = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
        for (const QString& name : written) {
            EXPECT_FALSE(name.startsWith(u'.')) << "temporary output left: " << name.toStdString();
        }

        QMap<QString, QString> decodedFrom;
        QMap<QString, std::vector<Frame>> identified = identifyOutputs(
            folder, written, type, grayscale ? QStringLiteral("gray-") : QStringLiteral("plain-"),
            decodedFrom);
        const auto identifiedPath = [&](const QString& path) {
            return decodedFrom.key(path, path);
        };

        for (const Kind& kind : kinds) {
            const QString name = kindName(kind);
            SCOPED_TRACE(QStringLiteral("%1 to %2").arg(kind.file, type).toStdString());
            QString output = folder.filePath(name + extension);
            const bool split = kind.animated && name == QStringLiteral("apng") &&
                               QStringList{QStringLiteral("PNG"), QStringLiteral("JPG"),
                                           QStringLiteral("JPEG"), QStringLiteral("JFIF")}
                                   .contains(type);
            if (split) {
                // The tool writes each frame of the animation into a file of its own.
                output = folder.filePath(name + QStringLiteral("-0") + extension);
                EXPECT_TRUE(
                    QFile::exists(folder.filePath(name + QStringLiteral("-1") + extension)));
            }
            ASSERT_TRUE(QFile::exists(output)) << output.toStdString();
            ASSERT_TRUE(identified.contains(output)) << "not decodable: " << output.toStdString();
            const std::vector<Frame>& frames = identified[output];
            const Frame& first = frames.front();

            static const QMap<QString, QStringList> formats = {
                {QStringLiteral("WEBP"), {QStringLiteral("WEBP")}},
                {QStringLiteral("PNG"), {QStringLiteral("PNG")}},
                {QStringLiteral("APNG"), {QStringLiteral("PNG")}},
                {QStringLiteral("JPG"), {QStringLiteral("JPEG")}},
                {QStringLiteral("JPEG"), {QStringLiteral("JPEG")}},
                {QStringLiteral("JFIF"), {QStringLiteral("JPEG")}},
                {QStringLiteral("TIF"), {QStringLiteral("TIFF")}},
                {QStringLiteral("TIFF"), {QStringLiteral("TIFF")}},
                {QStringLiteral("GIF"), {QStringLiteral("GIF")}},
                {QStringLiteral("BMP"), {QStringLiteral("BMP"), QStringLiteral("BMP3")}},
                {QStringLiteral("ICO"), {QStringLiteral("ICO")}},
                {QStringLiteral("WMP"), {QStringLiteral("BMP"), QStringLiteral("BMP3")}},
            };
            EXPECT_TRUE(formats[type].contains(first.format)) << first.format.toStdString();
            if (type == QStringLiteral("APNG")) {
                EXPECT_TRUE(hasAnimationControl(output)) << "not an animated PNG";
            }
            EXPECT_EQ(first.width, 8);
            EXPECT_EQ(first.height, 6);
            const auto frameSaturations = saturations(identifiedPath(output));
            ASSERT_FALSE(frameSaturations.empty());
            for (const double saturation : frameSaturations) {
                if (grayscale) {
                    EXPECT_LT(saturation, 0.08) << "not gray";
                } else {
                    EXPECT_GT(saturation, 0.5) << "colours lost";
                }
            }

            expectTransparencyAndFrames(kind, type, output, frames);
        }
    }
}

// A PNG's bytes without its text and time chunks, where the external tool writes the time of
// writing.
QByteArray withoutPngTimeStamps(const QByteArray& bytes) {
    if (!bytes.startsWith("\x89PNG"))
        return bytes;
    QByteArray kept = bytes.left(8);
    qsizetype at = 8;
    while (at + 12 <= bytes.size()) {
        const auto length = static_cast<qsizetype>(qFromBigEndian<quint32>(bytes.constData() + at));
        if (length > bytes.size() - at - 12)
            return bytes;
        const QByteArray type = bytes.mid(at + 4, 4);
        if (type != "tEXt" && type != "zTXt" && type != "iTXt" && type != "tIME")
            kept += bytes.mid(at, length + 12);
        at += length + 12;
    }
    return kept;
}

// The bytes of every file in a folder, by name.
QMap<QString, QByteArray> folderBytes(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        QFile file(folder + u'/' + name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        files[name] = withoutPngTimeStamps(file.readAll());
    }
    return files;
}

// Every input kind, and a damaged file, through the real routes with one worker and with
// four: the same files under the same names with the same bytes, the same boxes in the same
// order, the same sums, and no intermediate left in the settings folder.
TEST(WorkerRuns, FourWorkersWriteWhatOneWorkerWrites) {
    if (!CodecLibrary::isLoaded())
        CodecLibrary::loadAtStart(builtProgramFolder());
    QStringList sources;
    for (const Kind& kind : kindsOfTheTable())
        sources << fixtureFolder() + u'/' + kind.file;
    sources << fixtureFolder() + QStringLiteral("/bad.jpg");
    // Two sources of one name: their outputs take the series' names in queue order.
    sources << fixtureFolder() + QStringLiteral("/png.png");
    QTemporaryDir work;
    for (const QString& type :
         {QStringLiteral("WEBP"), QStringLiteral("PNG"), QStringLiteral("JPG"),
          QStringLiteral("GIF"), QStringLiteral("TIFF")}) {
        SCOPED_TRACE(type.toStdString());
        struct Outcome {
            QMap<QString, QByteArray> files;
            QStringList messages;
            std::optional<RunTotals> totals;
            QStringList settingsLeft;
        };
        const auto convert = [&](int workers) {
            Outcome outcome;
            const QString name = type + QString::number(workers);
            const QString folder = work.path() + u'/' + name;
            const QString settings = work.path() + QStringLiteral("/settings-") + name + u'/';
            QDir().mkpath(settings);
            RecordingDialogs dialogs;
            NullReporter reporter;
            SteadyTickClock clock;
            EngineFactory factory(builtProgramFolder());
            RunSettings runSettings;
            runSettings.settingsFolder = settings;
            runSettings.workers = workers;
            {
                ConversionRun conversion(dialogs, reporter, clock, factory, runSettings);
                outcome.totals = conversion.run(sources, {type, 80, false, folder});
            }
            outcome.files = folderBytes(folder);
            for (const auto& message : dialogs.messages)
                outcome.messages << message.title + QStringLiteral(": ") + message.text;
            outcome.settingsLeft =
                QDir(settings).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            return outcome;
        };
        const Outcome one = convert(1);
        const Outcome four = convert(4);
        ASSERT_TRUE(one.totals);
        ASSERT_TRUE(four.totals);
        EXPECT_FALSE(one.files.isEmpty());
        EXPECT_EQ(four.files.keys(), one.files.keys());
        for (const QString& name : one.files.keys())
            EXPECT_TRUE(four.files.value(name) == one.files.value(name)) << name.toStdString();
        EXPECT_EQ(four.messages, one.messages);
        EXPECT_FALSE(one.messages.isEmpty()) << "the damaged file raised no box";
        EXPECT_EQ(four.totals->processedCount, one.totals->processedCount);
        EXPECT_EQ(four.totals->convertedCount, one.totals->convertedCount);
        EXPECT_EQ(four.totals->inputTotal, one.totals->inputTotal);
        EXPECT_EQ(four.totals->outputTotal - one.totals->outputTotal, 0)
            << "sizes differ (PNG text chunks of the tool aside, they may differ in length)";
        EXPECT_EQ(one.settingsLeft, QStringList());
        EXPECT_EQ(four.settingsLeft, QStringList());
    }
}

// Resizing on every route: the 8 x 6 fixtures at twice their size (their transparent
// corner stays wholly transparent at that scale), colours, transparency and frames as
// without resizing.
TEST_P(ConversionMatrix, EveryKindIsResizedOnEveryRoute) {
    const QString type = QString::fromStdString(GetParam());
    const QString extension = outputExtension(type);
    formats::ResizeRequest twice;
    twice.mode = formats::ResizeMode::Percent;
    twice.value = 200;
    twice.enlarge = true;
    const RunOutcome outcome = convertAll(type, false, twice);
    ASSERT_TRUE(outcome.totals);
    EXPECT_EQ(outcome.totals->convertedCount, std::ssize(kinds));
    EXPECT_EQ(outcome.settingsLeft, QStringList()) << "intermediate files left behind";
    const QDir folder(outcome.folder);
    QMap<QString, QString> decodedFrom;
    QMap<QString, std::vector<Frame>> identified =
        identifyOutputs(folder, folder.entryList(QDir::Files, QDir::Name), type,
                        QStringLiteral("resized-"), decodedFrom);
    for (const Kind& kind : kinds) {
        const QString name = kindName(kind);
        SCOPED_TRACE(QStringLiteral("%1 to %2 resized").arg(kind.file, type).toStdString());
        QString output = folder.filePath(name + extension);
        if (!QFile::exists(output))
            output = folder.filePath(name + QStringLiteral("-0") + extension);
        ASSERT_TRUE(identified.contains(output)) << "not written or not decodable";
        const std::vector<Frame>& frames = identified[output];
        for (const Frame& frame : frames) {
            EXPECT_EQ(frame.canvasWidth, 16);
            EXPECT_EQ(frame.canvasHeight, 12);
        }
        const Frame& first = frames.front();
        EXPECT_EQ(first.width, 16);
        EXPECT_EQ(first.height, 12);
        const QString decoded = decodedFrom.key(output, output);
        for (const double saturation : saturations(decoded))
            EXPECT_GT(saturation, 0.5) << "colours lost";
        expectTransparencyAndFrames(kind, type, output, frames);
    }
}

// The codec library route takes the pixels the decoding stage holds instead of decoding its
// input again: every output is the one decoding again gives, byte for byte.
TEST(CodecRouteOutputs, AreWhatDecodingTheInputAgainGives) {
    if (!CodecLibrary::isLoaded())
        CodecLibrary::loadAtStart(builtProgramFolder());
    const std::vector<Kind> kinds = kindsOfTheTable();
    QStringList sources;
    for (const Kind& kind : kinds)
        sources << fixtureFolder() + u'/' + kind.file;
    QTemporaryDir work;
    const auto runInto = [&](const QString& type, bool grayscale) {
        const QString folder = work.path() + u'/' + type + (grayscale ? u'g' : u'c');
        const QString settings = folder + QStringLiteral("-settings/");
        QDir().mkpath(settings);
        RecordingDialogs dialogs;
        CommandLog log;
        NullReporter reporter;
        SteadyTickClock clock;
        ConversionEngine engine({builtProgramFolder(), settings, dialogs, log});
        ConversionRun conversion(dialogs, reporter, clock, engine.converter());
        const auto totals = conversion.run(sources, {type, 80, grayscale, folder});
        EXPECT_TRUE(totals && totals->convertedCount == std::ssize(kinds)) << type.toStdString();
        return folder;
    };
    int compared = 0;
    for (const bool grayscale : {false, true}) {
        const QString bitmaps = runInto(QStringLiteral("BMP"), grayscale);
        const QString tiffs = runInto(QStringLiteral("TIF"), grayscale);
        for (const QString& type :
             {QStringLiteral("WEBP"), QStringLiteral("PNG"), QStringLiteral("JPG")}) {
            const QString folder = runInto(type, grayscale);
            for (const Kind& kind : kinds) {
                const QString name = kindName(kind);
                SCOPED_TRACE(QStringLiteral("%1 to %2%3")
                                 .arg(kind.file, type, grayscale ? QStringLiteral(" gray") : "")
                                 .toStdString());
                const QString reference = work.path() + QStringLiteral("/again-%1-%2%3")
                                                            .arg(grayscale)
                                                            .arg(name, outputExtension(type));
                const QString source = fixtureFolder() + u'/' + kind.file;
                const bool byTheTool =
                    inputKind(kindExtension(kind)).read == InputRead::ExternalTool;
                const auto again = testing::codecRouteDecodingAgain(
                    source, bitmaps + u'/' + name + QStringLiteral(".bmp"),
                    byTheTool ? tiffs + u'/' + name + QStringLiteral(".tif") : source, type, 80,
                    grayscale, false, reference);
                if (!again)
                    continue;
                QFile output(folder + u'/' + name + outputExtension(type));
                ASSERT_TRUE(output.open(QIODevice::ReadOnly));
                EXPECT_FALSE(again->isEmpty());
                EXPECT_TRUE(output.readAll() == *again) << "the output differs";
                ++compared;
            }
        }
    }
    // Every kind reaches the route for one of the types at least.
    EXPECT_GE(compared, std::ssize(kinds));
}

// Adding an input kind to the table needs a fixture of it; a fixture of a kind the table does
// not accept is a leftover.
TEST(ConversionMatrixFixtures, EveryAcceptedInputKindHasAFixtureAndNoFixtureIsLeftOver) {
    const std::vector<Kind> fixtures = fixtureKinds();
    ASSERT_FALSE(fixtures.empty());
    for (const QString& extension : supportedExtensions()) {
        EXPECT_TRUE(std::any_of(fixtures.begin(), fixtures.end(),
                                [&](const Kind& kind) { return kindExtension(kind) == extension; }))
            << "no fixture for " << extension.toStdString();
    }
    for (const Kind& kind : fixtures) {
        EXPECT_TRUE(supportedExtensions().contains(kindExtension(kind))) << kind.file.toStdString();
        EXPECT_TRUE(QFile::exists(fixtureFolder() + u'/' + kind.file)) << kind.file.toStdString();
    }
}

std::vector<std::string> tableOutputTypes() {
    std::vector<std::string> names;
    for (const QString& name : outputTypes())
        names.push_back(name.toStdString());
    return names;
}

INSTANTIATE_TEST_SUITE_P(OutputTypes, ConversionMatrix, ::testing::ValuesIn(tableOutputTypes()));

}  // namespace
}  // namespace pixmorrow

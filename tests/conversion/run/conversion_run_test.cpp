#include "conversion/run/conversion_run.h"

#include "conversion/routes/file_converter.h"
#include "conversion/run/shown_names.h"
#include "formats/readers.h"
#include "platform/error.h"
#include "support/fake_clock.h"
#include "support/file_contents.h"
#include "support/permissions_enforced.h"
#include "support/recording_dialogs.h"
#include "support/scoped_move_seam.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <vector>

namespace pixmorrow {
namespace {

using testing::FakeClock;
using testing::readFile;
using testing::RecordingDialogs;
using testing::writeFile;

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

struct RecordingReporter final : RunReporter {
    void statusText(const QString& text) override { events << QStringLiteral("status ") + text; }
    void progress(std::int64_t index, std::int64_t count) override {
        events << QStringLiteral("progress %1/%2").arg(index).arg(count);
    }
    void focusDestination() override { events << QStringLiteral("focus"); }
    void showQueuePage() override { events << QStringLiteral("queue page"); }
    QStringList events;
};

// libjpeg's failure on a file that holds no JPEG data, as the JPEG reader reports it.
const formats::ErrorCause kNotAJpeg{formats::ErrorKind::Unsupported, formats::kNotAJpegFile};

// Sources whose content starts with "BAD" fail to decode like a .jpg holding no JPEG data,
// "REPORTED" shows its own box and fails, "STRANGE" throws something that is no exception;
// every other source is "converted" into a copy of its content doubled.
struct FakeConverter final : FileConverter {
    explicit FakeConverter(Dialogs& dialogs) : dialogs(dialogs) {}

    void setResize(const std::optional<formats::ResizeRequest>& given) override {
        resizes.push_back(given);
    }
    void decodingStage(const QString& source, const QString&, bool) override {
        const QByteArray content = readFile(source);
        if (content.startsWith("BAD"))
            throw Error(QStringLiteral("JPEG error #53"), kNotAJpeg);
        if (content.startsWith("RAW"))
            throw formats::DecodeError("JPEG error #53", kNotAJpeg);
        if (content.startsWith("LOOKALIKE"))
            throw Error(QStringLiteral("JPEG error #53"));
        if (content.startsWith("OTHER"))
            throw Error(QStringLiteral("Unsupported bit depth"));
        if (content.startsWith("REPORTED")) {
            // As the routes do when the tool made no intermediate file.
            dialogs.showMessage(QStringLiteral("File cannot be created: temp.png"),
                                QStringLiteral("Pixmorrow"), MessageIcon::None);
            throw ReportedFailure();
        }
        if (content.startsWith("STRANGE"))
            throw 42;  // no exception type the run knows
        current = content;
    }
    void writingStage(const QString&, const QString&, const QString& output, const QString&, int,
                      bool, bool) override {
        outputs << output;
        if (boxNamingOutput) {
            // As the external tool's lines do when it cannot write.
            dialogs.showMessage(QStringLiteral("unable to open image `") + output + u'\'',
                                QStringLiteral("ERROR"), MessageIcon::Error);
            throw ReportedFailure();
        }
        if (throwNamingOutput)
            throw Error(QStringLiteral("Cannot write ") + output + QStringLiteral(": No space"));
        if (duringWrite)
            duringWrite(output);
        if (!writeNothing)
            writeFile(output, current + current);
        if (failAfterWrite)
            throw Error(QStringLiteral("Encoding failed"));
    }
    // The writing stage writes these frame files beside its output, as the external tool does
    // with an animation it splits ("-0", "-1" before the extension).
    void writeFrames(const std::vector<QByteArray>& frames) {
        duringWrite = [frames](const QString& output) {
            const QString stem = output.chopped(4);
            for (std::size_t n = 0; n < frames.size(); ++n)
                writeFile(stem + QStringLiteral("-%1.png").arg(n), frames[n]);
        };
    }

    Dialogs& dialogs;
    std::vector<std::optional<formats::ResizeRequest>> resizes;
    QByteArray current;
    QStringList outputs;
    bool writeNothing = false;
    bool failAfterWrite = false;
    bool boxNamingOutput = false;
    bool throwNamingOutput = false;
    std::function<void(const QString&)> duringWrite;
};

class ConversionRunTest : public ::testing::Test {
protected:
    std::optional<RunTotals> run(const QStringList& sources, const QString& type,
                                 const QString& destination = kSameFolder) {
        ConversionOptions options;
        options.type = type;
        options.quality = 80;
        options.destination = destination;
        ConversionRun conversion(dialogs, reporter, clock, converter);
        return conversion.run(sources, options);
    }
    QString file(const QString& name, const QByteArray& content = "PIXELS") {
        const QString path = dir.filePath(name);
        writeFile(path, content);
        return path;
    }

    QTemporaryDir dir;
    RecordingDialogs dialogs;
    RecordingReporter reporter;
    FakeClock clock;
    FakeConverter converter{dialogs};
};

TEST_F(ConversionRunTest, OutputsTakeTheNextFreeNameAndNeverReplaceAFile) {
    const QString a = file(QStringLiteral("a.png"));
    ASSERT_TRUE(run({a}, QStringLiteral("PNG")));
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("a (2).png"))), QByteArray("PIXELSPIXELS"));
    ASSERT_TRUE(run({a}, QStringLiteral("PNG")));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("a (3).png"))));
    EXPECT_EQ(readFile(a), QByteArray("PIXELS"));

    const QString tar = file(QStringLiteral("x.tar.jpg"));
    ASSERT_TRUE(run({tar}, QStringLiteral("WEBP")));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("x.tar.webp"))));

    QTemporaryDir into;
    const QString jpg = file(QStringLiteral("b.jpg"), "JPEG");
    const QString png = file(QStringLiteral("b.png"), "PNG");
    ASSERT_TRUE(run({jpg, png}, QStringLiteral("WEBP"), into.path()));
    EXPECT_EQ(readFile(into.filePath(QStringLiteral("b.webp"))), QByteArray("JPEGJPEG"));
    EXPECT_EQ(readFile(into.filePath(QStringLiteral("b (2).webp"))), QByteArray("PNGPNG"));
    EXPECT_EQ(entries(into.path()),
              (QStringList{QStringLiteral("b (2).webp"), QStringLiteral("b.webp")}));
    EXPECT_TRUE(dialogs.messages.empty());
}

// A caller that reports file by file learns each file's end with its names and bytes, and
// one that asks to stop ends the run before the next file.
struct FileByFileReporter final : RunReporter {
    void statusText(const QString&) override {}
    void progress(std::int64_t, std::int64_t) override {}
    void focusDestination() override {}
    void showQueuePage() override {}
    void fileFinished(const FileResult& result) override {
        results.push_back(result);
        if (onFile)
            onFile(result);
    }
    bool stopRequested() override { return stop; }
    std::vector<FileResult> results;
    std::function<void(const FileResult&)> onFile;
    bool stop = false;
};

TEST_F(ConversionRunTest, EachFileEndsWithItsOutputsAndBytesAndAStopEndsTheRunBetweenFiles) {
    QTemporaryDir into;
    const QString a = file(QStringLiteral("a.png"), "ABCD");
    const QString bad = file(QStringLiteral("bad.jpg"), "BAD");
    const QString c = file(QStringLiteral("c.png"), "CCCCCC");
    const QString d = file(QStringLiteral("d.png"), "DD");
    FileByFileReporter byFile;
    byFile.onFile = [&](const FileResult& result) {
        clock.now += 7;
        // The stop asked for after the third file: the fourth never starts.
        if (result.source == c)
            byFile.stop = true;
    };
    ConversionOptions options;
    options.type = QStringLiteral("WEBP");
    options.destination = into.path();
    ConversionRun conversion(dialogs, byFile, clock, converter);
    const std::optional<RunTotals> totals = conversion.run({a, bad, c, d}, options);
    ASSERT_TRUE(totals);

    struct Expected {
        QString source;
        QStringList outputs;
        std::int64_t in;
        std::int64_t out;
    } expected[] = {
        {a, {into.filePath(QStringLiteral("a.webp"))}, 4, 8},
        {bad, {}, 3, 0},
        {c, {into.filePath(QStringLiteral("c.webp"))}, 6, 12},
    };
    ASSERT_EQ(byFile.results.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].source.toStdString());
        EXPECT_EQ(byFile.results[i].source, expected[i].source);
        EXPECT_EQ(byFile.results[i].outputs, expected[i].outputs);
        EXPECT_EQ(byFile.results[i].inputBytes, expected[i].in);
        EXPECT_EQ(byFile.results[i].outputBytes, expected[i].out);
    }
    EXPECT_EQ(totals->processedCount, 3);
    EXPECT_EQ(totals->convertedCount, 2);
    EXPECT_EQ(totals->inputTotal, 13);
    EXPECT_EQ(totals->outputTotal, 20);
    EXPECT_EQ(totals->elapsedMilliseconds, 21u);
    EXPECT_EQ(entries(into.path()),
              (QStringList{QStringLiteral("a.webp"), QStringLiteral("c.webp")}));
    ASSERT_EQ(dialogs.messages.size(), 1u) << "the damaged file's box, shown before its end";
}

TEST_F(ConversionRunTest, RoutesWriteUnderAHiddenNameWithTheOutputExtension) {
    QTemporaryDir into;
    ASSERT_TRUE(run({file(QStringLiteral("c.gif"))}, QStringLiteral("TIFF"), into.path()));
    ASSERT_EQ(converter.outputs.size(), 1);
    const QString temporary = converter.outputs.at(0);
    EXPECT_TRUE(temporary.startsWith(into.path() + QStringLiteral("/.")));
    EXPECT_TRUE(temporary.endsWith(QStringLiteral(".tiff")));
    EXPECT_FALSE(QFile::exists(temporary));
    EXPECT_EQ(entries(into.path()), QStringList{QStringLiteral("c.tiff")});
}

TEST_F(ConversionRunTest, JfifOutputsAreWrittenUnderAJpegName) {
    QTemporaryDir into;
    ASSERT_TRUE(run({file(QStringLiteral("j.png"))}, QStringLiteral("JFIF"), into.path()));
    ASSERT_EQ(converter.outputs.size(), 1);
    EXPECT_TRUE(converter.outputs.at(0).endsWith(QStringLiteral(".jpg")));
    EXPECT_EQ(entries(into.path()), QStringList{QStringLiteral("j.jfif")});
}

TEST_F(ConversionRunTest, ANameTakenDuringTheWriteMovesTheOutputToTheNextName) {
    QTemporaryDir into;
    converter.duringWrite = [&](const QString&) {
        writeFile(into.filePath(QStringLiteral("d.webp")), "SOMEONE ELSE");
    };
    const auto totals = run({file(QStringLiteral("d.jpg"))}, QStringLiteral("WEBP"), into.path());
    ASSERT_TRUE(totals);
    EXPECT_EQ(readFile(into.filePath(QStringLiteral("d.webp"))), QByteArray("SOMEONE ELSE"));
    EXPECT_EQ(readFile(into.filePath(QStringLiteral("d (2).webp"))), QByteArray("PIXELSPIXELS"));
    EXPECT_EQ(totals->outputTotal, 12);
    EXPECT_EQ(entries(into.path()).size(), 2);
}

TEST_F(ConversionRunTest, FramesTheToolSplitIntoNumberedFilesGetFreeNamesOfTheirOwn) {
    QTemporaryDir into;
    writeFile(into.filePath(QStringLiteral("f-0.png")), "EXISTING");
    converter.writeNothing = true;
    converter.writeFrames({"FRAME0", "FRAME1"});
    const auto totals = run({file(QStringLiteral("f.apng"))}, QStringLiteral("PNG"), into.path());
    ASSERT_TRUE(totals);
    EXPECT_EQ(readFile(into.filePath(QStringLiteral("f-0.png"))), QByteArray("EXISTING"));
    EXPECT_EQ(readFile(into.filePath(QStringLiteral("f-0 (2).png"))), QByteArray("FRAME0"));
    EXPECT_EQ(readFile(into.filePath(QStringLiteral("f-1.png"))), QByteArray("FRAME1"));
    EXPECT_EQ(totals->outputTotal, 12);
    EXPECT_EQ(entries(into.path()).size(), 3);
}

TEST_F(ConversionRunTest, AFailingFileIsReportedCountedAndLeavesNothingBehind) {
    QTemporaryDir into;
    const QString bad = file(QStringLiteral("bad.jpg"), "BAD!");  // 4 bytes
    const QString good = file(QStringLiteral("good.jpg"), "GOOD");
    const auto totals = run({bad, good}, QStringLiteral("WEBP"), into.path());
    ASSERT_TRUE(totals);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("JPEG error #53\r\rUnknown file format, empty/damaged file!"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("ERROR"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(totals->processedCount, 2);
    EXPECT_EQ(totals->convertedCount, 1);
    EXPECT_EQ(totals->inputTotal, 8);
    EXPECT_EQ(totals->outputTotal, 8);
    EXPECT_EQ(entries(into.path()), QStringList{QStringLiteral("good.webp")});

    // A writing stage that fails after writing part of a file leaves no file at all.
    converter.failAfterWrite = true;
    dialogs.messages.clear();
    ASSERT_TRUE(run({good}, QStringLiteral("WEBP"), into.path()));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Encoding failed"));
    EXPECT_EQ(entries(into.path()), QStringList{QStringLiteral("good.webp")});
}

TEST_F(ConversionRunTest, ARunInWhichEveryFileFailsStillCountsThemAll) {
    const QStringList sources = {file(QStringLiteral("1.jpg"), "BAD1"),
                                 file(QStringLiteral("2.png"), "OTHER"),
                                 dir.filePath(QStringLiteral("missing.jpg"))};
    converter.writeNothing = true;
    const auto totals = run(sources, QStringLiteral("JPG"));
    ASSERT_TRUE(totals);
    EXPECT_EQ(totals->processedText(), QStringLiteral("3"));
    EXPECT_EQ(totals->inputTotal, 9);
    EXPECT_EQ(totals->outputTotal, 0);
    EXPECT_EQ(totals->diskSpaceCaption(), QStringLiteral("Saved Disk Space:"));
    EXPECT_EQ(totals->diskSpaceText(), QStringLiteral("9 bytes (100%)"));
    ASSERT_EQ(dialogs.messages.size(), 2u);  // the missing file decodes to nothing here
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("Unsupported bit depth"));
    EXPECT_EQ(entries(dir.path()).size(), 2);
}

TEST_F(ConversionRunTest, StatusAndProgressNameEachFile) {
    const QString a = file(QStringLiteral("a.bmp"));
    const QString b = file(QStringLiteral("b.bmp"));
    ASSERT_TRUE(run({a, b}, QStringLiteral("BMP")));
    EXPECT_EQ(reporter.events,
              (QStringList{QStringLiteral("progress 1/2"),
                           QStringLiteral("status Converting ") + a + QStringLiteral("..."),
                           QStringLiteral("status "), QStringLiteral("progress 2/2"),
                           QStringLiteral("status Converting ") + b + QStringLiteral("..."),
                           QStringLiteral("status "), QStringLiteral("progress 0/0")}));
}

TEST_F(ConversionRunTest, ElapsedTimeSurvivesAWrapOfTheTickCounter) {
    clock.now = 0xFFFFFF00u;
    converter.duringWrite = [&](const QString&) { clock.now += 2406; };
    const auto totals = run({file(QStringLiteral("e.jpg"))}, QStringLiteral("WEBP"));
    ASSERT_TRUE(totals);
    EXPECT_EQ(totals->elapsedMilliseconds, 2406u);
}

TEST_F(ConversionRunTest, PreconditionsStopTheRunBeforeAnyFile) {
    const QString a = file(QStringLiteral("a.jpg"));

    EXPECT_FALSE(run({}, QStringLiteral("WEBP")));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("No image files have been added!"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("WARNING"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(reporter.events, QStringList{QStringLiteral("queue page")});

    // A file where the folder should be: it cannot be created.
    const QString blocked = file(QStringLiteral("blocked"));
    EXPECT_FALSE(run({a}, QStringLiteral("WEBP"), blocked + QStringLiteral("/sub")));
    EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Directory does not exist!"));
    EXPECT_EQ(reporter.events.back(), QStringLiteral("focus"));

    // A folder nobody may write to, not even root (as on CI) while the test holds back the
    // capabilities that would let it.
    const QString probe = dir.filePath(QStringLiteral("probe"));
    QDir(dir.path()).mkdir(QStringLiteral("probe"));
    ASSERT_TRUE(QFile::setPermissions(probe, QFile::ReadOwner | QFile::ExeOwner));
    {
        const testing::PermissionsEnforced enforced;
        ASSERT_TRUE(enforced.ok());
        EXPECT_FALSE(run({a}, QStringLiteral("WEBP"), probe));
    }
    QFile::setPermissions(probe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(QDir(probe).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("Unable to write to directory!"));
    EXPECT_EQ(dialogs.messages.back().title, QStringLiteral("WARNING"));
    EXPECT_EQ(reporter.events.back(), QStringLiteral("focus"));

    try {
        run({a}, QStringLiteral("WEBP"), QString());
        ADD_FAILURE() << "an empty destination must fail";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unable to create directory"));
    }
    EXPECT_TRUE(converter.outputs.isEmpty());
    EXPECT_EQ(dialogs.messages.size(), 3u);
}

TEST_F(ConversionRunTest, AMissingDestinationIsCreatedWithItsParents) {
    const QString target = dir.filePath(QStringLiteral("new/deeper/out"));
    ASSERT_TRUE(run({file(QStringLiteral("p.jpg"))}, QStringLiteral("JPEG"), target + u'/'));
    EXPECT_TRUE(QFile::exists(target + QStringLiteral("/p.jpeg")));
    EXPECT_TRUE(dialogs.messages.empty());
}

// The user never sees the hidden name an output is written under: a failure names the file
// they will look for, in the run's own box and in the converter's.
TEST_F(ConversionRunTest, ErrorBoxesNameTheUsersFileNotTheHiddenOne) {
    const QString a = file(QStringLiteral("a.png"));
    ShownNames names;
    NamingDialogs converterDialogs(dialogs, names);
    FakeConverter named{converterDialogs};
    ConversionOptions options;
    options.type = QStringLiteral("GIF");
    options.destination = kSameFolder;
    for (const bool ownBox : {true, false}) {
        dialogs.messages.clear();
        named.boxNamingOutput = ownBox;
        named.throwNamingOutput = !ownBox;
        ConversionRun conversion(dialogs, reporter, clock, named, &names);
        ASSERT_TRUE(conversion.run({a}, options));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        const QString text = dialogs.messages[0].text;
        EXPECT_TRUE(text.contains(dir.filePath(QStringLiteral("a.gif")))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral(".pixmorrow-"))) << text.toStdString();
    }
    // Without names given, the run's own box still names the user's file.
    dialogs.messages.clear();
    converter.throwNamingOutput = true;
    ASSERT_TRUE(run({a}, QStringLiteral("GIF")));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Cannot write ") +
                                            dir.filePath(QStringLiteral("a.gif")) +
                                            QStringLiteral(": No space"));
}

// A destination typed as a relative name is the folder of that name in the working folder.
TEST_F(ConversionRunTest, ARelativeDestinationIsTakenAgainstTheWorkingFolder) {
    const QString a = file(QStringLiteral("a.png"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const auto totals = run({a}, QStringLiteral("PNG"), QStringLiteral("out/here"));
    QDir::setCurrent(previous);
    ASSERT_TRUE(totals);
    ASSERT_EQ(converter.outputs.size(), 1);
    EXPECT_TRUE(
        converter.outputs[0].startsWith(QDir(dir.path()).canonicalPath() +
                                        QStringLiteral("/out/here/.pixmorrow-")) ||
        converter.outputs[0].startsWith(dir.path() + QStringLiteral("/out/here/.pixmorrow-")))
        << converter.outputs[0].toStdString();
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("out/here/a.png"))), "PIXELSPIXELS");
}

TEST(RunTotals, DiskSpaceTexts) {
    const struct {
        std::int64_t input, output;
        const char* caption;
        const char* value;
    } cases[] = {
        {2000000, 500000, "Saved Disk Space:", "1.43 MB (75%)"},
        {1000, 1500, "Increased Disk Space:", "500 bytes (50%)"},
        {4096, 4096, "Saved Disk Space:", " bytes (0%)"},
        {1000, 3000, "Increased Disk Space:", "1.95 KB (200%)"},
        {0, 0, "Saved Disk Space:", " bytes (0%)"},
        {0, 10, "Increased Disk Space:", "10 bytes (0%)"},
    };
    for (const auto& c : cases) {
        RunTotals totals;
        totals.inputTotal = c.input;
        totals.outputTotal = c.output;
        EXPECT_EQ(totals.diskSpaceCaption(), QString::fromLatin1(c.caption)) << c.input;
        // Values here have no decimals or the system uses ".", as the run's own would.
        QString expected = QString::fromLatin1(c.value);
        expected.replace(u'.', QLocale::system().decimalPoint());
        EXPECT_EQ(totals.diskSpaceText(), expected) << c.input << " " << c.output;
    }
}

TEST(PerFileErrorText, AddsTheHintOnlyToJpegError53) {
    auto jpeg = [](int code) {
        return formats::ErrorCause{formats::ErrorKind::Corrupt,
                                   {formats::CodeSource::Libjpeg, code}};
    };
    EXPECT_EQ(perFileErrorText(QStringLiteral("JPEG error #53"), kNotAJpeg),
              QStringLiteral("JPEG error #53\r\rUnknown file format, empty/damaged file!"));
    EXPECT_EQ(perFileErrorText(QStringLiteral("JPEG error #530"), jpeg(530)),
              QStringLiteral("JPEG error #530"));
    EXPECT_EQ(perFileErrorText(QStringLiteral("JPEG error #42"), jpeg(42)),
              QStringLiteral("JPEG error #42"));
}

// libjpeg's code decides, not the text: the same text without the code (or with another
// library's 53) gets no hint, and the code gets it whatever the text.
TEST(PerFileErrorText, TheCodeDecidesNotTheText) {
    const QString text = QStringLiteral("JPEG error #53");
    const QString hint = QStringLiteral("\r\rUnknown file format, empty/damaged file!");
    EXPECT_EQ(perFileErrorText(text, {}), text);
    EXPECT_EQ(perFileErrorText(text, {formats::ErrorKind::Unsupported, {}}), text);
    EXPECT_EQ(
        perFileErrorText(text, {formats::ErrorKind::Library, {formats::CodeSource::Jxrlib, 53}}),
        text);
    EXPECT_EQ(perFileErrorText(QStringLiteral("Not a JPEG file"), kNotAJpeg),
              QStringLiteral("Not a JPEG file") + hint);
    // The kind plays no part once the code is libjpeg's 53.
    EXPECT_EQ(perFileErrorText(text, {formats::ErrorKind::Corrupt, formats::kNotAJpegFile}),
              text + hint);
}

TEST_F(ConversionRunTest, TheRunKnowsTheNonJpegFileByItsCode) {
    const QString raw = file(QStringLiteral("raw.jpg"), "RAW");
    const QString lookalike = file(QStringLiteral("lookalike.jpg"), "LOOKALIKE");
    ASSERT_TRUE(run({raw, lookalike}, QStringLiteral("WEBP")));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    // A decoder's own exception reaches the box with its code too.
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("JPEG error #53\r\rUnknown file format, empty/damaged file!"));
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("JPEG error #53"));
}

// The commit's own moves: a name may be taken between the free-name search and the move,
// on either road of the move; the output then goes to the next free name.
TEST_F(ConversionRunTest, ANameTakenJustBeforeTheMoveGoesToTheNextFreeName) {
    using testing::MoveRoad;
    for (const MoveRoad road : {MoveRoad::Renameat2, MoveRoad::LinkAndUnlink}) {
        SCOPED_TRACE(testing::roadName(road));
        QTemporaryDir into;
        const QString first = into.filePath(QStringLiteral("d.webp"));
        const QString second = into.filePath(QStringLiteral("d (2).webp"));
        const testing::ScopedMoveSeam seam(road, [&](const std::string&, const std::string& to) {
            const QString target = QString::fromStdString(to);
            if ((target == first || target == second) && !QFile::exists(target))
                writeFile(target, "SOMEONE ELSE");
        });
        ASSERT_TRUE(run({file(QStringLiteral("d.jpg"))}, QStringLiteral("WEBP"), into.path()));
        EXPECT_EQ(readFile(first), QByteArray("SOMEONE ELSE"));
        EXPECT_EQ(readFile(second), QByteArray("SOMEONE ELSE"));
        EXPECT_EQ(readFile(into.filePath(QStringLiteral("d (3).webp"))),
                  QByteArray("PIXELSPIXELS"));
        EXPECT_EQ(entries(into.path()).size(), 3) << entries(into.path()).join(u' ').toStdString();
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

TEST_F(ConversionRunTest, AFrameFileNameTakenJustBeforeItsMoveGoesToTheNextFreeName) {
    using testing::MoveRoad;
    for (const MoveRoad road : {MoveRoad::Renameat2, MoveRoad::LinkAndUnlink}) {
        SCOPED_TRACE(testing::roadName(road));
        QTemporaryDir into;
        converter.writeNothing = true;
        converter.writeFrames({"FRAME0", "FRAME1"});
        const QString taken = into.filePath(QStringLiteral("f-1.png"));
        const testing::ScopedMoveSeam seam(road, [&](const std::string&, const std::string& to) {
            if (QString::fromStdString(to) == taken && !QFile::exists(taken))
                writeFile(taken, "SOMEONE ELSE");
        });
        ASSERT_TRUE(run({file(QStringLiteral("f.apng"))}, QStringLiteral("PNG"), into.path()));
        EXPECT_EQ(readFile(into.filePath(QStringLiteral("f-0.png"))), QByteArray("FRAME0"));
        EXPECT_EQ(readFile(taken), QByteArray("SOMEONE ELSE"));
        EXPECT_EQ(readFile(into.filePath(QStringLiteral("f-1 (2).png"))), QByteArray("FRAME1"));
        EXPECT_EQ(entries(into.path()).size(), 3) << entries(into.path()).join(u' ').toStdString();
    }
}

// When every free name is taken again before the move reaches it, the search gives up with
// an error instead of running on; nothing is replaced and the output goes.
TEST_F(ConversionRunTest, TheFreeNameSearchGivesUpInTime) {
    QTemporaryDir into;
    int squatted = 0;
    const testing::ScopedMoveSeam seam(
        testing::MoveRoad::Renameat2, [&](const std::string&, const std::string& to) {
            // Far more names than any sensible number of attempts, but not without end.
            if (squatted < 2000) {
                writeFile(QString::fromStdString(to), "SOMEONE ELSE");
                ++squatted;
            }
        });
    const auto totals = run({file(QStringLiteral("g.jpg"))}, QStringLiteral("WEBP"), into.path());
    ASSERT_TRUE(totals);
    EXPECT_LT(squatted, 2000) << "the search never gave up";
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("Cannot create file ") + into.filePath(QStringLiteral("g.webp")));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("ERROR"));
    EXPECT_EQ(totals->outputTotal, 0);
    EXPECT_EQ(totals->convertedCount, 0);
    const QStringList left = entries(into.path());
    EXPECT_EQ(left.size(), squatted) << "the output was left or replaced something";
    for (const QString& name : left)
        EXPECT_EQ(readFile(into.filePath(name)), QByteArray("SOMEONE ELSE")) << name.toStdString();
}

// A move that fails for another reason than a taken name fails the file with the system's
// reason; the output goes and the next file is converted.
TEST_F(ConversionRunTest, ACommitFailureOtherThanATakenNameFailsOnlyThatFile) {
    QTemporaryDir into;
    // 255 characters, the most a name may have: with ".webp" the output's name is one more.
    const QString longest = file(QString(251, u'x') + QStringLiteral(".png"));
    const QString next = file(QStringLiteral("next.png"));
    const auto totals = run({longest, next}, QStringLiteral("WEBP"), into.path());
    ASSERT_TRUE(totals);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("Cannot create file ") +
                  into.filePath(QString(251, u'x') + QStringLiteral(".webp")) +
                  QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(ENAMETOOLONG)));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("ERROR"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(totals->convertedCount, 1);
    EXPECT_EQ(entries(into.path()), QStringList{QStringLiteral("next.webp")});
}

// A converter that has shown its own box already gets no second one; something thrown that
// is no exception at all is an unknown error. Either way the next file is converted and the
// status text is emptied after each.
TEST_F(ConversionRunTest, ReportedAndUnknownFailuresShowOneBoxAndTheRunGoesOn) {
    const struct {
        const char* content;
        const char* text;
        const char* title;
        MessageIcon icon;
    } cases[] = {
        {"REPORTED", "File cannot be created: temp.png", "Pixmorrow", MessageIcon::None},
        {"STRANGE", "Unknown error", "ERROR", MessageIcon::Error},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        QTemporaryDir into;
        dialogs.messages.clear();
        reporter.events.clear();
        const auto totals =
            run({file(QStringLiteral("u.png"), c.content), file(QStringLiteral("v.png"))},
                QStringLiteral("WEBP"), into.path());
        ASSERT_TRUE(totals);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, QString::fromLatin1(c.text));
        EXPECT_EQ(dialogs.messages[0].title, QString::fromLatin1(c.title));
        EXPECT_EQ(dialogs.messages[0].icon, c.icon);
        EXPECT_EQ(totals->processedCount, 2);
        EXPECT_EQ(totals->convertedCount, 1);
        EXPECT_EQ(entries(into.path()), QStringList{QStringLiteral("v.webp")});
        EXPECT_EQ(reporter.events.filter(QStringLiteral("status ")).size(), 4);
    }
}

TEST_F(ConversionRunTest, FrameFilesOfAFailedWriteAreRemoved) {
    QTemporaryDir into;
    converter.writeFrames({"FRAME0", "FRAME1"});
    converter.failAfterWrite = true;
    ASSERT_TRUE(run({file(QStringLiteral("h.apng"))}, QStringLiteral("PNG"), into.path()));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Encoding failed"));
    EXPECT_EQ(entries(into.path()), QStringList());
}

TEST_F(ConversionRunTest, EmptyFrameFilesAreRemovedNotCommitted) {
    QTemporaryDir into;
    converter.writeNothing = true;
    converter.writeFrames({"FRAME0", "", "FRAME2"});
    const auto totals = run({file(QStringLiteral("k.apng"))}, QStringLiteral("PNG"), into.path());
    ASSERT_TRUE(totals);
    EXPECT_EQ(entries(into.path()),
              (QStringList{QStringLiteral("k-0.png"), QStringLiteral("k-2.png")}));
    EXPECT_EQ(readFile(into.filePath(QStringLiteral("k-2.png"))), QByteArray("FRAME2"));
    EXPECT_EQ(totals->outputTotal, 12);
    EXPECT_EQ(totals->convertedCount, 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

// Files a folder scan added come out under the destination at their place in the scanned
// folder; files added by themselves at its top; each folder has its own naming series.
TEST_F(ConversionRunTest, KeptFolderStructureRepeatsTheScannedFoldersUnderTheDestination) {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("photos/2023/june")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("photos/2024")));
    const QString root = dir.filePath(QStringLiteral("photos"));
    const QStringList sources = {
        file(QStringLiteral("photos/top.jpg"), "TOP"),
        file(QStringLiteral("photos/2023/beach.jpg"), "BEACH23"),
        file(QStringLiteral("photos/2023/june/day.jpg"), "DAY"),
        file(QStringLiteral("photos/2024/beach.jpg"), "BEACH24"),
        file(QStringLiteral("single.jpg"), "SINGLE"),
        // The same folder scanned from its sub-folder: that is its root then.
        dir.filePath(QStringLiteral("photos/2023/june/day.jpg")),
    };
    const QStringList roots = {root, root, root, root, QString(), root + QStringLiteral("/2023")};
    const auto convert = [&](bool keep) {
        QTemporaryDir into;
        ConversionOptions options;
        options.type = QStringLiteral("WEBP");
        options.destination = into.path();
        options.keepFolderStructure = keep;
        options.scanRoots = roots;
        ConversionRun conversion(dialogs, reporter, clock, converter);
        EXPECT_TRUE(conversion.run(sources, options));
        QStringList found;
        QDirIterator it(into.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            found << QDir(into.path()).relativeFilePath(path) + u'=' +
                         QString::fromLatin1(readFile(path));
        }
        found.sort();
        return found;
    };
    EXPECT_EQ(convert(true), (QStringList{
                                 QStringLiteral("2023/beach.webp=BEACH23BEACH23"),
                                 QStringLiteral("2023/june/day.webp=DAYDAY"),
                                 QStringLiteral("2024/beach.webp=BEACH24BEACH24"),
                                 QStringLiteral("june/day.webp=DAYDAY"),
                                 QStringLiteral("single.webp=SINGLESINGLE"),
                                 QStringLiteral("top.webp=TOPTOP"),
                             }));
    // Off, everything lands at the top in one naming series, as it always did.
    EXPECT_EQ(convert(false), (QStringList{
                                  QStringLiteral("beach (2).webp=BEACH24BEACH24"),
                                  QStringLiteral("beach.webp=BEACH23BEACH23"),
                                  QStringLiteral("day (2).webp=DAYDAY"),
                                  QStringLiteral("day.webp=DAYDAY"),
                                  QStringLiteral("single.webp=SINGLESINGLE"),
                                  QStringLiteral("top.webp=TOPTOP"),
                              }));
    EXPECT_TRUE(dialogs.messages.empty());

    // Same Folder as Original has no structure to keep: outputs go beside their sources.
    ConversionOptions beside;
    beside.type = QStringLiteral("PNG");
    beside.destination = kSameFolder;
    beside.keepFolderStructure = true;
    beside.scanRoots = roots;
    ConversionRun conversion(dialogs, reporter, clock, converter);
    ASSERT_TRUE(conversion.run({sources[2]}, beside));
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("photos/2023/june/day.png"))), "DAYDAY");
}

// A sub-folder that cannot be made (a file has its name: "File exists") fails the files that go
// there, each with the reason, and no other; a file that does not decode makes no folder.
TEST_F(ConversionRunTest, ASubFolderThatCannotBeMadeFailsOnlyItsFiles) {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("scan/blocked")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("scan/broken")));
    const QString root = dir.filePath(QStringLiteral("scan"));
    QTemporaryDir into;
    writeFile(into.filePath(QStringLiteral("blocked")), "MINE");
    const QStringList sources = {file(QStringLiteral("scan/blocked/a.jpg"), "A"),
                                 file(QStringLiteral("scan/b.jpg"), "B"),
                                 file(QStringLiteral("scan/broken/c.jpg"), "OTHER")};
    ConversionOptions options;
    options.type = QStringLiteral("JPG");
    options.destination = into.path();
    options.keepFolderStructure = true;
    options.scanRoots = {root, root, root};
    ConversionRun conversion(dialogs, reporter, clock, converter);
    const auto totals = conversion.run(sources, options);
    ASSERT_TRUE(totals);
    EXPECT_EQ(totals->convertedCount, 1);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    const QString blocked = QDir::toNativeSeparators(into.filePath(QStringLiteral("blocked")));
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("Cannot create folder %1: %2")
                  .arg(blocked, QString::fromLocal8Bit(std::strerror(EEXIST))))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("ERROR"));
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("Unsupported bit depth"));
    EXPECT_EQ(readFile(into.filePath(QStringLiteral("blocked"))), "MINE");
    EXPECT_EQ(readFile(into.filePath(QStringLiteral("b.jpg"))), "BB");
    EXPECT_FALSE(QFileInfo::exists(into.filePath(QStringLiteral("broken"))));
    EXPECT_EQ(readFile(sources[0]), "A");
}

// The run tells the converter once how the files are resized, and that it is off.
TEST_F(ConversionRunTest, TheConverterLearnsTheResizeOnceARun) {
    const QString a = file(QStringLiteral("a.png"));
    const QString b = file(QStringLiteral("b.png"));
    ConversionOptions options;
    options.type = QStringLiteral("PNG");
    options.destination = kSameFolder;
    formats::ResizeRequest request;
    request.mode = formats::ResizeMode::Width;
    request.value = 640;
    options.resize = request;
    ConversionRun conversion(dialogs, reporter, clock, converter);
    ASSERT_TRUE(conversion.run({a, b}, options));
    options.resize.reset();
    ASSERT_TRUE(conversion.run({a}, options));
    ASSERT_EQ(converter.resizes.size(), 2u);
    EXPECT_EQ(converter.resizes[0], request);
    EXPECT_EQ(converter.resizes[1], std::nullopt);
}

}  // namespace
}  // namespace pixmorrow

// The run with workers, over a fake converter whose files finish in the order a test asks:
// names, boxes and totals in queue order, the memory budget, cancel, and the private folder of
// intermediate files.
#include "conversion/routes/engine_factory.h"
#include "conversion/routes/file_converter.h"
#include "conversion/run/cancel_token.h"
#include "conversion/run/conversion_run.h"
#include "conversion/run/converter_factory.h"
#include "conversion/run/memory_budget.h"
#include "conversion/run/picture_extent.h"
#include "formats/decode_limits.h"
#include "platform/error.h"
#include "support/fake_clock.h"
#include "support/file_contents.h"
#include "support/recording_dialogs.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace pixmorrow {
namespace {

using namespace std::chrono_literals;
using testing::FakeClock;
using testing::readFile;
using testing::RecordingDialogs;
using testing::writeFile;

// Long enough for any machine; a wait that takes this long has failed.
constexpr auto kGenerous = 20s;

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString fileName(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

struct NullReporter final : RunReporter {
    void statusText(const QString& text) override {
        const std::lock_guard lock(mutex);
        statuses << text;
    }
    void progress(std::int64_t, std::int64_t) override {}
    void focusDestination() override {}
    void showQueuePage() override {}
    std::mutex mutex;
    QStringList statuses;
};

// What every fake converter of a run shares: the order in which files may finish, and what
// the test watches.
struct Script {
    // File names in the order their writing stages may end; files not named end at once.
    QStringList finishOrder;
    // Called when a file's decoding stage starts, with the file's name.
    std::function<void(const QString&)> onStart;
    // Called in the writing stage, before the output is written.
    std::function<void(const QString&, const QString& output)> onWrite;

    std::mutex mutex;
    std::condition_variable changed;
    std::set<QString> finished;
    std::set<QString> intermediateFolders;
    bool gaveUp = false;

    // Waits until the files before `name` in finishOrder have finished.
    void waitForTurn(const QString& name) {
        const qsizetype at = finishOrder.indexOf(name);
        std::unique_lock lock(mutex);
        const bool turn = changed.wait_for(lock, kGenerous, [&] {
            for (qsizetype i = 0; i < at; ++i)
                if (!finished.count(finishOrder[i]))
                    return false;
            return true;
        });
        if (!turn)
            gaveUp = true;
    }
    void finish(const QString& name) {
        {
            const std::lock_guard lock(mutex);
            finished.insert(name);
        }
        changed.notify_all();
    }
    // Waits, within the generous bound, until `done` holds; false when it never did. Asks
    // again now and then too, for conditions on files that no script event announces.
    bool waitUntil(const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + kGenerous;
        std::unique_lock lock(mutex);
        while (!done()) {
            if (std::chrono::steady_clock::now() >= until)
                return false;
            changed.wait_for(lock, 10ms);
        }
        return true;
    }
};

// Sources whose content starts with "BAD" fail to decode, "BOX" raise a box in the decoding
// stage, "OUTBOX" raise a box naming their output and fail as reported, "REPORTED" raise a box
// and fail as reported. Every other source becomes its content doubled. The decoding stage
// goes through an intermediate file of a fixed name in the worker's folder, as the routes do.
class ScriptedConverter final : public FileConverter {
public:
    ScriptedConverter(Script& script, const WorkerSetup& setup)
        : script_(script), dialogs_(setup.dialogs), folder_(setup.intermediateFolder) {
        const std::lock_guard lock(script_.mutex);
        script_.intermediateFolders.insert(folder_);
    }

    void decodingStage(const QString& source, const QString&, bool) override {
        const QString name = fileName(source);
        if (script_.onStart)
            script_.onStart(name);
        const QByteArray content = readFile(source);
        if (content.startsWith("BAD"))
            throw Error(QStringLiteral("Cannot decode ") + name);
        if (content.startsWith("BOX"))
            dialogs_.showMessage(QStringLiteral("box of ") + name, QStringLiteral("Pixmorrow"),
                                 MessageIcon::Information);
        if (content.startsWith("REPORTED")) {
            dialogs_.showMessage(QStringLiteral("reported ") + name, QStringLiteral("Pixmorrow"),
                                 MessageIcon::None);
            script_.finish(name);
            throw ReportedFailure();
        }
        const QString intermediate = folder_ + QStringLiteral("temp.png");
        writeFile(intermediate, content);
        current_ = intermediate;
    }
    void writingStage(const QString& source, const QString&, const QString& output, const QString&,
                      int, bool, bool) override {
        const QString name = fileName(source);
        script_.waitForTurn(name);
        if (script_.onWrite)
            script_.onWrite(name, output);
        const QByteArray content = readFile(current_);
        QFile::remove(current_);
        if (content.startsWith("OUTBOX")) {
            dialogs_.showMessage(QStringLiteral("cannot write ") + output, QStringLiteral("ERROR"),
                                 MessageIcon::Error);
            script_.finish(name);
            throw ReportedFailure();
        }
        writeFile(output, content + content);
        script_.finish(name);
    }

private:
    Script& script_;
    Dialogs& dialogs_;
    QString folder_;
    QString current_;
};

class ScriptedFactory final : public ConverterFactory {
public:
    explicit ScriptedFactory(Script& script) : script_(script) {}
    std::unique_ptr<FileConverter> makeConverter(const WorkerSetup& setup) override {
        ++made;
        return std::make_unique<ScriptedConverter>(script_, setup);
    }
    int made = 0;

private:
    Script& script_;
};

class PipelineRunTest : public ::testing::Test {
protected:
    QString source(const QString& name, const QByteArray& content = "PIXELS") {
        const QString path = sources.filePath(name);
        writeFile(path, content);
        return path;
    }
    std::optional<RunTotals> run(const QStringList& files, int workers,
                                 const QString& type = QStringLiteral("WEBP")) {
        RunSettings settings;
        settings.settingsFolder = settingsFolder.path() + u'/';
        settings.workers = workers;
        settings.memoryBudget = budget;
        settings.cancel = &cancel;
        settings.expectedPeak = expectedPeak;
        ConversionOptions options;
        options.type = type;
        options.quality = 80;
        options.destination = into.path();
        ConversionRun conversion(dialogs, reporter, clock, factory, settings);
        return conversion.run(files, options);
    }
    QStringList messageTexts() const {
        QStringList texts;
        for (const auto& message : dialogs.messages)
            texts << message.text;
        return texts;
    }

    QTemporaryDir sources;
    QTemporaryDir into;
    QTemporaryDir settingsFolder;
    RecordingDialogs dialogs;
    NullReporter reporter;
    FakeClock clock;
    Script script;
    ScriptedFactory factory{script};
    CancelToken cancel;
    std::int64_t budget = std::int64_t{1} << 40;
    std::function<std::int64_t(const QString&)> expectedPeak = [](const QString&) {
        return std::int64_t{1};
    };
};

// a.jpg and a.png to WEBP are a.webp and a (2).webp, whichever finishes first.
TEST_F(PipelineRunTest, NamesFollowTheQueueWhicheverFileFinishesFirst) {
    const struct {
        QStringList finishOrder;
    } cases[] = {
        {{QStringLiteral("a.png"), QStringLiteral("a.jpg")}},
        {{QStringLiteral("a.jpg"), QStringLiteral("a.png")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.finishOrder.join(u' ').toStdString());
        QDir(into.path()).removeRecursively();
        QDir().mkpath(into.path());
        script.finished.clear();
        script.finishOrder = c.finishOrder;
        const QString jpg = source(QStringLiteral("a.jpg"), "JPEG");
        const QString png = source(QStringLiteral("a.png"), "PNG");
        const auto totals = run({jpg, png}, 2);
        ASSERT_TRUE(totals);
        EXPECT_FALSE(script.gaveUp) << "the files did not run at once";
        EXPECT_EQ(readFile(into.filePath(QStringLiteral("a.webp"))), QByteArray("JPEGJPEG"));
        EXPECT_EQ(readFile(into.filePath(QStringLiteral("a (2).webp"))), QByteArray("PNGPNG"));
        EXPECT_EQ(entries(into.path()),
                  (QStringList{QStringLiteral("a (2).webp"), QStringLiteral("a.webp")}));
        EXPECT_EQ(totals->processedCount, 2);
        EXPECT_EQ(totals->convertedCount, 2);
        EXPECT_EQ(totals->inputTotal, 7);
        EXPECT_EQ(totals->outputTotal, 14);
        EXPECT_FALSE(totals->cancelled);
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

// Boxes raised on the workers appear in queue order, the failure's own box at its file's turn,
// and a box about an output names the user's file, never the hidden name.
TEST_F(PipelineRunTest, BoxesAppearInQueueOrderWhateverOrderTheFilesFinishIn) {
    const QStringList files = {
        source(QStringLiteral("1.png"), "BOX"),    source(QStringLiteral("2.png"), "BAD"),
        source(QStringLiteral("3.png"), "OUTBOX"), source(QStringLiteral("4.png"), "REPORTED"),
        source(QStringLiteral("5.png"), "PLAIN"),  source(QStringLiteral("6.png"), "BOX"),
    };
    script.finishOrder = {QStringLiteral("6.png"), QStringLiteral("5.png"), QStringLiteral("3.png"),
                          QStringLiteral("1.png")};
    const auto totals = run(files, 4);
    ASSERT_TRUE(totals);
    EXPECT_FALSE(script.gaveUp);
    EXPECT_EQ(
        messageTexts(),
        (QStringList{QStringLiteral("box of 1.png"), QStringLiteral("Cannot decode 2.png"),
                     QStringLiteral("cannot write ") + into.filePath(QStringLiteral("3.webp")),
                     QStringLiteral("reported 4.png"), QStringLiteral("box of 6.png")}));
    ASSERT_EQ(dialogs.messages.size(), 5u);
    EXPECT_EQ(dialogs.messages[1].title, QStringLiteral("ERROR"));
    EXPECT_EQ(dialogs.messages[1].icon, MessageIcon::Error);
    EXPECT_EQ(dialogs.messages[3].icon, MessageIcon::None);
    EXPECT_EQ(totals->processedCount, 6);
    EXPECT_EQ(totals->convertedCount, 3);
    EXPECT_EQ(entries(into.path()), (QStringList{QStringLiteral("1.webp"), QStringLiteral("5.webp"),
                                                 QStringLiteral("6.webp")}));
}

// The run waits on a box as a one-at-a-time run does: while the user reads a file's box, no
// file after it is committed.
TEST_F(PipelineRunTest, NothingLaterIsCommittedWhileAFilesBoxIsOpen) {
    const QStringList files = {source(QStringLiteral("a.png"), "BOX"),
                               source(QStringLiteral("b.png")), source(QStringLiteral("c.png"))};
    QStringList seenWhileOpen;
    dialogs.onMessage = [&](const RecordingDialogs::Message&) {
        // b and c may well be converted by now; they are not in place yet.
        script.waitUntil([&] { return script.finished.size() == 3; });
        seenWhileOpen = entries(into.path()).filter(QRegularExpression(QStringLiteral("^[^.]")));
    };
    ASSERT_TRUE(run(files, 3));
    EXPECT_EQ(seenWhileOpen, QStringList());
    EXPECT_EQ(entries(into.path()), (QStringList{QStringLiteral("a.webp"), QStringLiteral("b.webp"),
                                                 QStringLiteral("c.webp")}));
}

// While a file's box is open the workers run ahead only within the budget: with room for
// two files, the third starts only once the first is committed.
TEST_F(PipelineRunTest, WhileABoxIsOpenWorkersRunAheadOnlyWithinTheBudget) {
    budget = 2;
    const QStringList files = {source(QStringLiteral("a.png"), "BOX"),
                               source(QStringLiteral("b.png")), source(QStringLiteral("c.png")),
                               source(QStringLiteral("d.png"))};
    QStringList startedBeforeCommit;
    script.onStart = [&](const QString& name) {
        if (name != QStringLiteral("a.png") && name != QStringLiteral("b.png") &&
            !QFile::exists(into.filePath(QStringLiteral("a.webp"))))
            startedBeforeCommit << name;
    };
    bool bDone = false;
    dialogs.onMessage = [&](const RecordingDialogs::Message&) {
        // b fits beside a and is converted while the user reads a's box.
        bDone =
            script.waitUntil([&] { return script.finished.count(QStringLiteral("b.png")) > 0; });
    };
    ASSERT_TRUE(run(files, 4));
    EXPECT_TRUE(bDone);
    EXPECT_EQ(startedBeforeCommit, QStringList());
    EXPECT_EQ(entries(into.path()).size(), 4);
}

// A cancel starts no further file, keeps what was committed whole, and leaves neither hidden
// outputs nor intermediate files behind.
TEST_F(PipelineRunTest, ACancelKeepsTheCommittedOutputsAndLeavesNothingElse) {
    QStringList files;
    for (const char* name : {"0.png", "1.png", "2.png", "3.png", "4.png", "5.png"})
        files << source(QString::fromLatin1(name), QByteArray(name) + "-PIXELS");
    // Each file ends after the one before it, so what has started when the cancel comes is
    // known: 2 cancels while 3 waits for it.
    script.finishOrder = {QStringLiteral("0.png"), QStringLiteral("1.png"),
                          QStringLiteral("2.png"), QStringLiteral("3.png"),
                          QStringLiteral("4.png"), QStringLiteral("5.png")};
    std::set<QString> started;
    script.onStart = [&](const QString& name) {
        const std::lock_guard lock(script.mutex);
        started.insert(name);
    };
    script.onWrite = [&](const QString& name, const QString&) {
        if (name != QStringLiteral("2.png"))
            return;
        // The first two are in place, then the user cancels while 2 (and maybe 3) are in
        // flight: 2 goes on writing its hidden output.
        const bool committed = script.waitUntil([&] {
            return QFile::exists(into.filePath(QStringLiteral("0.webp"))) &&
                   QFile::exists(into.filePath(QStringLiteral("1.webp")));
        });
        EXPECT_TRUE(committed);
        cancel.cancel();
    };
    const auto totals = run(files, 2);
    ASSERT_TRUE(totals);
    EXPECT_TRUE(totals->cancelled);
    EXPECT_EQ(totals->processedCount, 2);
    EXPECT_EQ(totals->queuedCount, 6);
    EXPECT_EQ(totals->convertedCount, 2);
    EXPECT_EQ(totals->outputTotal, 2 * 2 * 12);
    EXPECT_EQ(totals->cancelledText(), QStringLiteral("Cancelled after 2 of 6 files"));
    EXPECT_EQ(entries(into.path()),
              (QStringList{QStringLiteral("0.webp"), QStringLiteral("1.webp")}));
    EXPECT_EQ(readFile(into.filePath(QStringLiteral("1.webp"))),
              QByteArray("1.png-PIXELS1.png-PIXELS"));
    EXPECT_EQ(entries(settingsFolder.path()), QStringList()) << "intermediates left";
    // 3 may have started on the other worker before the cancel; 4 could only start after 2
    // or 3 ended, which was after it.
    EXPECT_FALSE(started.count(QStringLiteral("4.png")) || started.count(QStringLiteral("5.png")))
        << "a file started after the cancel";
    EXPECT_TRUE(dialogs.messages.empty());
}

// Two runs at once with the same settings folder: each worker's intermediates are its own,
// so no run encodes the other's picture.
TEST_F(PipelineRunTest, TwoRunsSharingASettingsFolderNeverExchangePictures) {
    QTemporaryDir otherInto;
    const QString mine = source(QStringLiteral("mine.png"), "MINE");
    const QString theirs = source(QStringLiteral("theirs.png"), "THEIRS");
    // Both decoding stages have written their intermediate before either writing stage reads
    // it back.
    int arrived = 0;
    script.onWrite = [&](const QString&, const QString&) {
        std::unique_lock lock(script.mutex);
        ++arrived;
        script.changed.notify_all();
        EXPECT_TRUE(script.changed.wait_for(lock, kGenerous, [&] { return arrived == 2; }));
    };
    // The same script: the two runs meet at its barrier.
    ScriptedFactory otherFactory(script);
    std::optional<RunTotals> other;
    std::thread second([&] {
        RecordingDialogs otherDialogs;
        NullReporter otherReporter;
        FakeClock otherClock;
        RunSettings settings;
        settings.settingsFolder = settingsFolder.path() + u'/';
        settings.workers = 1;
        ConversionOptions options;
        options.destination = otherInto.path();
        ConversionRun conversion(otherDialogs, otherReporter, otherClock, otherFactory, settings);
        other = conversion.run({theirs}, options);
    });
    const auto totals = run({mine}, 1);
    second.join();
    ASSERT_TRUE(totals);
    ASSERT_TRUE(other);
    EXPECT_EQ(readFile(into.filePath(QStringLiteral("mine.webp"))), QByteArray("MINEMINE"));
    EXPECT_EQ(readFile(otherInto.filePath(QStringLiteral("theirs.webp"))),
              QByteArray("THEIRSTHEIRS"));
    EXPECT_EQ(script.intermediateFolders.size(), 2u);
    for (const QString& folder : script.intermediateFolders) {
        EXPECT_TRUE(folder.startsWith(settingsFolder.path() + QStringLiteral("/.pixmorrow-run-")))
            << folder.toStdString();
    }
    EXPECT_EQ(entries(settingsFolder.path()), QStringList());
}

// The files in flight never reserve more than the budget together, a file larger than the
// whole budget runs alone, and files that fit run at once.
TEST_F(PipelineRunTest, TheBudgetNeverAdmitsMoreThanItAllows) {
    budget = 100;
    const std::map<QString, std::int64_t> costs = {
        {QStringLiteral("a.png"), 60},  {QStringLiteral("b.png"), 30},
        {QStringLiteral("c.png"), 30},  {QStringLiteral("d.png"), 150},
        {QStringLiteral("e.png"), 20},  {QStringLiteral("f.png"), 20},
        {QStringLiteral("g.png"), 100}, {QStringLiteral("h.png"), 1},
    };
    QStringList files;
    for (const auto& [name, cost] : costs)
        files << source(name);
    expectedPeak = [&costs](const QString& path) { return costs.at(fileName(path)); };

    // Started and not committed yet: a committed file's output is in place.
    std::set<QString> started;
    QStringList overBudget;
    bool ranTogether = false;
    script.onStart = [&](const QString& name) {
        std::unique_lock lock(script.mutex);
        started.insert(name);
        std::int64_t inFlight = 0;
        int count = 0;
        for (const QString& other : started) {
            const QString output = into.filePath(other.chopped(4) + QStringLiteral(".webp"));
            if (!QFile::exists(output)) {
                inFlight += costs.at(other);
                ++count;
            }
        }
        if (inFlight > budget && count > 1)
            overBudget << name + QStringLiteral(": ") + QString::number(inFlight);
        if (count > 1)
            ranTogether = true;
        script.changed.notify_all();
        // a (60) waits for b (30), which fits beside it: a run that never admits two at once
        // fails here.
        if (name == QStringLiteral("a.png")) {
            lock.unlock();
            if (!script.waitUntil([&] { return started.count(QStringLiteral("b.png")) > 0; }))
                script.gaveUp = true;
        }
    };
    const auto totals = run(files, 4);
    ASSERT_TRUE(totals);
    EXPECT_EQ(overBudget, QStringList());
    EXPECT_TRUE(ranTogether);
    EXPECT_FALSE(script.gaveUp) << "two files that fit the budget never ran at once";
    EXPECT_EQ(totals->convertedCount, 8);
    EXPECT_EQ(entries(into.path()).size(), 8);
}

// The real engines: with several workers each external tool keeps to one thread, since the
// other workers use the other cores; a single worker leaves the tool its own threads.
TEST(EngineFactory, SeveralWorkersKeepEachToolToOneThread) {
    QTemporaryDir program;
    QTemporaryDir work;
    ASSERT_TRUE(QDir(program.path()).mkpath(QStringLiteral("imagemagick")));
    const QString record = work.filePath(QStringLiteral("environment.txt"));
    QFile tool(program.filePath(QStringLiteral("imagemagick/magick")));
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.write("#!/bin/sh\necho \"[$MAGICK_THREAD_LIMIT $OMP_NUM_THREADS]\" >> '" +
               record.toUtf8() + "'\n");
    tool.close();
    tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QStringList sources;
    for (const char* name : {"a.tga", "b.tga", "c.tga"}) {
        sources << work.filePath(QString::fromLatin1(name));
        writeFile(sources.back(), "read by the tool only");
    }
    for (const auto& [workers, expected] :
         {std::pair{1, QStringLiteral("[ ]")}, std::pair{2, QStringLiteral("[1 1]")}}) {
        SCOPED_TRACE(workers);
        QFile::remove(record);
        RecordingDialogs dialogs;
        NullReporter reporter;
        FakeClock clock;
        EngineFactory factory(program.path());
        std::mutex logged;
        QStringList logs;
        factory.showLog = [&](const QString& text) {
            const std::lock_guard lock(logged);
            logs << text;
        };
        RunSettings settings;
        settings.settingsFolder = work.path() + u'/';
        settings.workers = workers;
        ConversionOptions options;
        options.destination = work.filePath(QStringLiteral("out"));
        ConversionRun conversion(dialogs, reporter, clock, factory, settings);
        ASSERT_TRUE(conversion.run(sources, options));
        // The tool wrote no picture: each file tells so, in queue order.
        ASSERT_EQ(dialogs.messages.size(), 3u);
        EXPECT_TRUE(
            dialogs.messages[0].text.startsWith(QStringLiteral("File cannot be created: ")));
        const QStringList lines =
            QString::fromUtf8(readFile(record)).split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines, QStringList(3, expected));
        // Each file's command reached the shown log, whichever worker ran it.
        for (const QString& source : sources) {
            EXPECT_TRUE(std::any_of(logs.begin(), logs.end(), [&](const QString& text) {
                return text.contains(source);
            })) << source.toStdString();
        }
    }
}

TEST(MemoryBudget, AdmitsWithinTheLimitAndALargeFileAlone) {
    MemoryBudget budget(100);
    EXPECT_TRUE(budget.admits(150)) << "nothing in flight: even a file over the limit";
    budget.reserve(60);
    EXPECT_TRUE(budget.admits(40));
    EXPECT_FALSE(budget.admits(41));
    EXPECT_FALSE(budget.admits(150));
    budget.reserve(40);
    EXPECT_FALSE(budget.admits(1));
    budget.release(60);
    budget.release(40);
    EXPECT_EQ(budget.reserved(), 0);
    EXPECT_TRUE(budget.admits(150));
    EXPECT_GT(defaultMemoryBudget(), 0);
}

// Header sizes of the kinds the budget reads, from pictures made here; damaged or unknown
// headers give none.
TEST(PictureExtent, ReadsTheHeadersSizeAndNothingForDamagedOnes) {
    QTemporaryDir folder;
    QImage picture(37, 23, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    for (const char* format : {"jpg", "png", "gif", "bmp", "tiff", "webp"}) {
        SCOPED_TRACE(format);
        const QString path = folder.filePath(QStringLiteral("p.") + QString::fromLatin1(format));
        if (!picture.save(path, format)) {
            // Qt's image plugins decide which writers exist; JPEG, PNG and BMP always do.
            EXPECT_TRUE(std::string("gif tiff webp").find(format) != std::string::npos);
            continue;
        }
        const auto extent = readPictureExtent(path);
        ASSERT_TRUE(extent);
        EXPECT_EQ(extent->width, 37u);
        EXPECT_EQ(extent->height, 23u);
        EXPECT_EQ(expectedPeakBytes(path), 37 * 23 * kReservedBytesPerPixel);

        // Cut inside its header: no size, and the default reservation.
        const QByteArray bytes = readFile(path);
        const QString cut = folder.filePath(QStringLiteral("cut.") + QString::fromLatin1(format));
        QFile::remove(cut);
        writeFile(cut, bytes.left(std::string(format) == "jpg" ? 40 : 12));
        EXPECT_FALSE(readPictureExtent(cut));
        EXPECT_EQ(expectedPeakBytes(cut), kUnknownPictureBytes);
    }
    // A header with sides beyond what the decoders take reserves the largest picture, not
    // more.
    QByteArray huge("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\xff\xff\xff\xff\xff\xff\xff\xff", 24);
    writeFile(folder.filePath(QStringLiteral("huge.png")), huge);
    EXPECT_EQ(expectedPeakBytes(folder.filePath(QStringLiteral("huge.png"))),
              static_cast<std::int64_t>(formats::kMaxPixels) * kReservedBytesPerPixel);
    writeFile(folder.filePath(QStringLiteral("zero.png")),
              QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\0\0\0\0\x05", 24));
    EXPECT_FALSE(readPictureExtent(folder.filePath(QStringLiteral("zero.png"))));
    EXPECT_FALSE(readPictureExtent(folder.filePath(QStringLiteral("missing.png"))));
}

}  // namespace
}  // namespace pixmorrow

// The runner and the bridge's reporting, against fake tools: small sh scripts laid out as
// "imagemagick/magick" in a temporary program folder.
#include "conversion/external/imagemagick_bridge.h"
#include "platform/posix_io.h"
#include "support/recording_dialogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <thread>

namespace pixmorrow {
namespace {

using namespace std::chrono_literals;

const QString kClosing = QStringLiteral(
    "Processing completed successfully.\r\n**********************************\r\n\r\n");

// Whether the process whose pid the file holds is gone (or a zombie until init reaps it)
// within a few seconds.
bool childEnds(const QString& pidFile) {
    QFile file(pidFile);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no pid file";
        return false;
    }
    const pid_t child = file.readAll().trimmed().toInt();
    if (child <= 0) {
        ADD_FAILURE() << "no pid in the file";
        return false;
    }
    auto running = [child] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(child));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray fields = stat.readAll();
        const qsizetype end = fields.lastIndexOf(')');
        return end >= 0 && fields.mid(end + 2, 1) != "Z";
    };
    QElapsedTimer reaping;
    reaping.start();
    while (running() && reaping.elapsed() < 5000)
        QThread::msleep(20);
    return !running();
}

class FakeTool : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(program_.isValid());
        ASSERT_TRUE(data_.isValid());
        ASSERT_TRUE(QDir(program_.path()).mkpath(QStringLiteral("imagemagick")));
    }

    void writeTool(const QByteArray& body, bool executable = true) {
        QFile file(tool());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body + "\n");
        file.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        file.setPermissions(permissions);
    }
    QString tool() const { return program_.filePath(QStringLiteral("imagemagick/magick")); }
    QString data(const QString& name) const { return data_.filePath(name); }
    ImageMagickBridge bridge(std::chrono::milliseconds limit = 10min) {
        return ImageMagickBridge(program_.path(), dialogs_, log_, limit);
    }

    QTemporaryDir program_;
    QTemporaryDir data_;
    CommandLog log_;
    testing::RecordingDialogs dialogs_;
};

TEST_F(FakeTool, PiecesAreJoinedExactlyAndCutAtANul) {
    writeTool(
        "printf 'first part'; sleep 0.5\n"
        "printf ' continues\\nsecond\\000hidden'; sleep 0.5\n"
        "printf 'third\\n' >&2");
    const QString in = data(QStringLiteral("in.tga"));
    const QString out = data(QStringLiteral("temp.png"));
    bridge().ImageMagickIleDonustur(in, out, false);

    EXPECT_EQ(log_.text(), ImageMagickBridge::generalCommandLine(in, out, false) +
                               QStringLiteral("\r\nCommencing processing...\r\n"
                                              "first part continues\r\nsecondthird\r\n") +
                               kClosing);
    EXPECT_EQ(log_.lines().size(), 7);
    EXPECT_TRUE(dialogs_.messages.empty());  // nothing matched "error" or "failed"
}

TEST_F(FakeTool, ToolGetsTheArgumentVectorAndItsFolder) {
    writeTool("pwd; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; printf x > \"${5#APNG:}\"");
    const QString in = data(QStringLiteral("a \"b\" $(touch pwned) `x`; y.png"));
    const QString out = data(QStringLiteral("o.apng"));
    bridge().ImageMagickIleDonustur(in, out, true);

    const QStringList lines = log_.lines();
    ASSERT_GE(lines.size(), 9);
    EXPECT_EQ(lines[2], QDir(program_.filePath(QStringLiteral("imagemagick"))).canonicalPath());
    EXPECT_EQ(lines.mid(3, 5), (QStringList{"[-colorspace]", "[Gray]", "[PNG:" + in + "]",
                                            "[-coalesce]", "[APNG:" + out + "]"}));
    EXPECT_FALSE(QFile::exists(data(QStringLiteral("pwned"))));
}

TEST_F(FakeTool, MissingOrEmptyOutputShowsTheErrorAndFailedLines) {
    struct Case {
        const char* script;
        bool writesOutput;
        const char* message;  // empty: no box
    };
    const Case cases[] = {
        {"echo 'magick: Error reading file'; echo 'just noise'; echo 'decode FAILED' >&2", false,
         "magick: Error reading file\r\ndecode FAILED\r\n"},
        {"echo 'magick: error: empty'; : > \"${3#WEBP:}\"", false, "magick: error: empty\r\n"},
        {"echo 'warning: error ignored'; printf data > \"${3#WEBP:}\"", true, ""},
        {"echo 'all quiet'", false, ""},
    };
    for (const Case& c : cases) {
        dialogs_.messages.clear();
        writeTool(c.script);
        const QString out = data(QStringLiteral("out.webp"));
        QFile::remove(out);
        bridge().ImageMagickIleDonustur(data(QStringLiteral("in.gif")), out, false);
        if (*c.message == '\0') {
            EXPECT_TRUE(dialogs_.messages.empty()) << c.script;
            continue;
        }
        ASSERT_EQ(dialogs_.messages.size(), 1u) << c.script;
        EXPECT_EQ(dialogs_.messages[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(dialogs_.messages[0].title, QStringLiteral("ERROR"));
        EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::Error);
    }
}

// Each conversion gives the tool a temporary folder of its own (MAGICK_TMPDIR): only this
// user may enter it, and it is gone, with what the tool left in it, once the tool is done.
TEST_F(FakeTool, TheToolsTemporaryFolderIsPrivateAndRemovedAfterwards) {
    const QString scratch = data(QStringLiteral("scratch"));
    ASSERT_TRUE(QDir().mkpath(scratch));
    const QString record = data(QStringLiteral("tmpdir.txt"));
    writeTool("printf '%s\\n' \"$MAGICK_TMPDIR\" >> '" + record.toUtf8() +
              "'; stat -c %a \"$MAGICK_TMPDIR\" >> '" + record.toUtf8() +
              "'; : > \"$MAGICK_TMPDIR/frame0.pam\"");
    ImageMagickBridge tool = bridge();
    tool.setPrivateFolderParent(scratch);
    tool.ImageMagickIleDonustur(data(QStringLiteral("in.gif")), data(QStringLiteral("o.webp")),
                                false);
    tool.ImageMagickIleAVIFDonustur(data(QStringLiteral("in.gif")), data(QStringLiteral("o.ico")),
                                    50, false);
    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << lines.join(u'|').toStdString();
    EXPECT_TRUE(lines[0].startsWith(scratch + u'/')) << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("700"));
    EXPECT_NE(lines[2], lines[0]) << "one folder per conversion";
    EXPECT_EQ(lines[3], QStringLiteral("700"));
    EXPECT_TRUE(QDir(scratch).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(FakeTool, PathWithTheWordErrorIsReportedThroughTheCommandLine) {
    writeTool("exit 1");
    const QString in = data(QStringLiteral("Errors of 2020.psd"));
    const QString out = data(QStringLiteral("temp.png"));
    bridge().ImageMagickIleDonustur(in, out, false);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text,
              ImageMagickBridge::generalCommandLine(in, out, false) + QStringLiteral("\r\n"));
}

TEST_F(FakeTool, QualityConversionReportsAFailureToo) {
    writeTool("echo 'convert: unable to write GIF: error 5'");
    const QString out = data(QStringLiteral("out.gif"));
    bridge().ImageMagickIleAVIFDonustur(data(QStringLiteral("in.png")), out, 7, true);
    EXPECT_TRUE(log_.text().startsWith(
        ImageMagickBridge::qualityCommandLine(data(QStringLiteral("in.png")), out, 7, true)));
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text,
              QStringLiteral("convert: unable to write GIF: error 5\r\n"));
}

TEST_F(FakeTool, MissingToolLeavesLogAndScreenAlone) {
    log_.addLine(QStringLiteral("earlier run"));
    bridge().ImageMagickIleDonustur(data(QStringLiteral("a.psd")), data(QStringLiteral("temp.png")),
                                    false);
    bridge().ImageMagickIleAVIFDonustur(data(QStringLiteral("a.png")),
                                        data(QStringLiteral("b.gif")), 50, false);
    EXPECT_EQ(log_.text(), QStringLiteral("earlier run\r\n"));
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(FakeTool, ToolThatCannotStartIsLoggedAndReported) {
    writeTool("echo never", false);
    const QString out = data(QStringLiteral("temp.png"));
    bridge().ImageMagickIleDonustur(data(QStringLiteral("in.avif")), out, false);
    EXPECT_TRUE(log_.text().endsWith(kClosing));
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.messages[0].text.startsWith(QStringLiteral("Starting the tool failed")));
}

TEST_F(FakeTool, ToolThatNeverEndsIsKilledWithItsChildren) {
    const QString pidFile = data(QStringLiteral("child.pid"));
    writeTool(QByteArray("echo started; sleep 300 & echo $! > '") + pidFile.toUtf8() + "'; wait");
    QElapsedTimer timer;
    timer.start();
    bridge(1500ms).ImageMagickIleDonustur(data(QStringLiteral("in.heic")),
                                          data(QStringLiteral("temp.png")), false);
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_GE(timer.elapsed(), 1400);

    EXPECT_TRUE(log_.text().endsWith(kClosing));
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text,
              QStringLiteral("Processing failed: the tool did not finish within 1500 ms and was "
                             "stopped.\r\n"));
    EXPECT_TRUE(childEnds(pidFile)) << "the tool's child still runs";
}

// A tool that crashes or runs out of time after it began its output leaves no output behind,
// frame files included: a partial picture must never be taken for a converted one. The
// launcher is a shell, which tells a crash of what it ran as 128 + the signal.
TEST_F(FakeTool, ACrashedOrStoppedToolLeavesNoPartialOutput) {
    const struct {
        const char* script;
        const char* line;
    } cases[] = {
        {"kill -SEGV $$",
         "Processing failed: the tool crashed (signal 11, Segmentation fault). The next file "
         "starts the tool anew."},
        {"exit 139",
         "Processing failed: the tool crashed (signal 11, Segmentation fault). The next file "
         "starts the tool anew."},
        {"kill -ABRT $$",
         "Processing failed: the tool crashed (signal 6, Aborted). The next file starts the "
         "tool anew."},
        {"sleep 30", "Processing failed: the tool did not finish within 1500 ms and was stopped."},
    };
    const QString out = data(QStringLiteral("out.png"));
    const QString frame = data(QStringLiteral("out-0.png"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        dialogs_.messages.clear();
        writeTool("o=${3#PNG:}; printf half > \"$o\"; printf half > \"${o%.png}-0.png\"\n" +
                  QByteArray(c.script));
        bridge(1500ms).ImageMagickIleDonustur(data(QStringLiteral("in.gif")), out, false);
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_FALSE(QFile::exists(frame));
        EXPECT_TRUE(log_.lines().contains(QString::fromUtf8(c.line))) << log_.text().toStdString();
        ASSERT_EQ(dialogs_.messages.size(), 1u);
        EXPECT_EQ(dialogs_.messages[0].text, QString::fromUtf8(c.line) + QStringLiteral("\r\n"));
    }
    // A tool that fails in its own words keeps what it wrote, as before.
    writeTool("o=${3#PNG:}; printf whole > \"$o\"; exit 1");
    bridge().ImageMagickIleDonustur(data(QStringLiteral("in.gif")), out, false);
    EXPECT_TRUE(QFile::exists(out));
}

TEST_F(FakeTool, TheTimeLimitIsWordedInWholeSeconds) {
    writeTool("sleep 30");
    bridge(2s).ImageMagickIleDonustur(data(QStringLiteral("in.heic")),
                                      data(QStringLiteral("temp.png")), false);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text,
              QStringLiteral("Processing failed: the tool did not finish within 2 seconds and was "
                             "stopped.\r\n"));
}

// A tool that ends while a child of its own still holds the output open: what the child
// writes soon after is still read, but the run does not wait for the child to end, and the
// child is stopped with the tool's group.
TEST_F(FakeTool, AChildThatKeepsTheOutputOpenIsNotWaitedFor) {
    const QString pidFile = data(QStringLiteral("child.pid"));
    writeTool(QByteArray("echo started; (sleep 0.3; echo late; sleep 30) & echo $! > '") +
              pidFile.toUtf8() + "'; echo done");
    ToolRun run;
    run.arguments = QStringList{tool()};
    run.timeLimit = 1min;
    std::string output;
    run.onOutput = [&](const char* data, std::size_t size) { output.append(data, size); };
    QElapsedTimer timer;
    timer.start();
    const ToolOutcome outcome = runTool(run);
    EXPECT_LT(timer.elapsed(), 10000) << "waited for the child";
    EXPECT_EQ(outcome.end, ToolEnd::Exited);
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(output, "started\ndone\nlate\n");
    EXPECT_TRUE(childEnds(pidFile)) << "the tool's child still runs";
}

TEST_F(FakeTool, WindowKeepsRepaintingWhileTheToolRuns) {
    writeTool("sleep 0.5; echo done");
    int calls = 0;
    ImageMagickBridge b = bridge();
    b.keepUiAlive = [&calls] { ++calls; };
    b.ImageMagickIleDonustur(data(QStringLiteral("in.tga")), data(QStringLiteral("temp.png")),
                             false);
    EXPECT_GE(calls, 3);
    EXPECT_TRUE(log_.lines().contains(QStringLiteral("done")));
}

// A cancelled run stops its tool at once: SIGTERM to the tool's group first, so that a tool
// can remove its own files, then SIGKILL for a group that ignores it. Nothing of the group
// is left running either way.
TEST_F(FakeTool, ACancelStopsTheToolsGroupTermFirstThenKill) {
    const QString started = data(QStringLiteral("started"));
    const QString termed = data(QStringLiteral("termed"));
    const QString pidFile = data(QStringLiteral("child.pid"));
    const QByteArray marks =
        "sleep 300 & echo $! > '" + pidFile.toUtf8() + "'; : > '" + started.toUtf8() + "'; ";
    const struct {
        const char* name;
        QByteArray body;
        bool leavesTermMark;
    } cases[] = {
        {"a tool that ends on SIGTERM",
         "trap \"echo term > '" + termed.toUtf8() + "'; exit 143\" TERM; " + marks + "wait", true},
        {"a tool that ignores SIGTERM", "trap '' TERM; " + marks + "while :; do wait; done", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(started);
        QFile::remove(termed);
        QFile::remove(pidFile);
        writeTool(c.body);
        std::atomic<bool> cancel{false};
        ImageMagickBridge b = bridge();
        b.cancelled = [&cancel] { return cancel.load(); };
        QElapsedTimer sinceCancel;
        std::thread canceller([&] {
            QElapsedTimer waiting;
            waiting.start();
            while (!QFile::exists(started) && waiting.elapsed() < 20000)
                QThread::msleep(10);
            sinceCancel.start();
            cancel = true;
        });
        b.ImageMagickIleDonustur(data(QStringLiteral("in.tga")), data(QStringLiteral("temp.png")),
                                 false);
        const qint64 stopping = sinceCancel.elapsed();
        canceller.join();
        EXPECT_TRUE(QFile::exists(started)) << "the tool never started";
        EXPECT_LT(stopping, 5000) << "the tool was not stopped";
        EXPECT_EQ(QFile::exists(termed), c.leavesTermMark);
        EXPECT_TRUE(
            log_.lines().contains(QStringLiteral("Processing cancelled: the tool was stopped.")));
        EXPECT_TRUE(log_.text().endsWith(kClosing));
        EXPECT_TRUE(childEnds(pidFile)) << "the tool's child still runs";
    }
}

// The bridge's own entries (a thread limit) reach the tool beside its private folder.
TEST_F(FakeTool, TheToolGetsTheEnvironmentEntriesGiven) {
    writeTool(
        "echo \"limit=$MAGICK_THREAD_LIMIT omp=$OMP_NUM_THREADS\"; "
        "test -d \"$MAGICK_TMPDIR\" && echo private");
    ImageMagickBridge b = bridge();
    b.environment = {QStringLiteral("MAGICK_THREAD_LIMIT=1"), QStringLiteral("OMP_NUM_THREADS=1")};
    b.ImageMagickIleDonustur(data(QStringLiteral("in.tga")), data(QStringLiteral("temp.png")),
                             false);
    EXPECT_TRUE(log_.lines().contains(QStringLiteral("limit=1 omp=1")))
        << log_.text().toStdString();
    EXPECT_TRUE(log_.lines().contains(QStringLiteral("private")));
}

TEST_F(FakeTool, RunToolTellsHowTheProgramEndedAndGivesItsInputAndOutput) {
    struct Case {
        const char* what;
        const char* script;  // null: arguments name no program at all
        ToolEnd end;
        int code;
        const char* output;
    } cases[] = {
        {"exit status", "cat; exit 3", ToolEnd::Exited, 3, "from stdin"},
        {"a signal", "kill -SEGV $$", ToolEnd::Killed, SIGSEGV, ""},
        {"time limit", "printf started; sleep 30", ToolEnd::TimedOut, 0, "started"},
        {"no program", nullptr, ToolEnd::NoProgram, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const posix::FileDescriptor input(::memfd_create("input", MFD_CLOEXEC));
        ASSERT_EQ(posix::writeAll(input.get(), "from stdin", 10), 0);
        ::lseek(input.get(), 0, SEEK_SET);
        ToolRun run;
        if (c.script != nullptr) {
            writeTool(c.script);
            run.arguments = QStringList{tool()};
        }
        run.timeLimit = 1s;
        run.standardInput = input.get();
        run.pieceSize = 4;
        std::string output;
        std::size_t largestPiece = 0;
        run.onOutput = [&](const char* data, std::size_t size) {
            output.append(data, size);
            largestPiece = std::max(largestPiece, size);
        };
        const ToolOutcome outcome = runTool(run);
        EXPECT_EQ(outcome.end, c.end);
        EXPECT_EQ(outcome.code, c.code);
        EXPECT_EQ(output, c.output);
        EXPECT_LE(largestPiece, 4u);
    }
    ToolRun missing;
    missing.arguments = QStringList{data(QStringLiteral("no-such-tool"))};
    missing.timeLimit = 1s;
    EXPECT_EQ(runTool(missing).end, ToolEnd::NotStarted);
    EXPECT_EQ(runTool(missing).code, ENOENT);
}

TEST(CommandLog, LinesAndContinuedText) {
    CommandLog log;
    QStringList seen;
    log.onChange = [&seen](const QString& text) { seen << text; };
    log.addLine(QStringLiteral("one"));
    log.appendText(QStringLiteral("two "));
    log.appendText(QStringLiteral("goes on\nthree\r\n"));
    log.appendText(QStringLiteral("four"));
    log.addLine(QStringLiteral("five"));
    EXPECT_EQ(log.text(), QStringLiteral("one\r\ntwo goes on\r\nthree\r\nfour\r\nfive\r\n"));
    EXPECT_EQ(log.lines(), (QStringList{"one", "two goes on", "three", "four", "five"}));
    EXPECT_EQ(seen.size(), 5);
    EXPECT_EQ(seen.back(), log.text());
    log.clear();
    EXPECT_TRUE(log.text().isEmpty());
    EXPECT_TRUE(log.lines().isEmpty());
}

}  // namespace
}  // namespace pixmorrow

// The external tool's helper process with the real ImageMagick, laid out in a program folder
// of the test's own: the test build of the helper crashes or hangs on marker file names, as a
// broken coder would, and a policy.xml of the test's own has a short time limit.
#include "conversion/external/tool_helper.h"
#include "conversion/external/helper_protocol.h"
#include "conversion/external/imagemagick_bridge.h"
#include "support/recording_dialogs.h"
#include "support/test_paths.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <set>
#include <thread>

namespace pixmorrow {
namespace {

using namespace std::chrono_literals;

const QString kCrashed = QStringLiteral(
    "Processing failed: the tool crashed (signal 11, Segmentation fault). The next file starts "
    "the tool anew.");

// Whether the process is gone (reaped, or a zombie of another parent) within a few seconds.
bool processEnds(long pid) {
    auto running = [pid] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray fields = stat.readAll();
        const qsizetype end = fields.lastIndexOf(')');
        return end >= 0 && fields.mid(end + 2, 1) != "Z";
    };
    QElapsedTimer waiting;
    waiting.start();
    while (running() && waiting.elapsed() < 5000)
        QThread::msleep(20);
    return !running();
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The build's imagemagick/ folder copied into `folder`, with the helper of the tests (or
// none), and policy.xml's time limit replaced by `seconds` when given.
void layOutProgramFolder(const QString& folder, bool helper, int seconds = 0) {
    ASSERT_TRUE(QDir(folder).mkpath(QStringLiteral("imagemagick")));
    const QDir built(testing::builtProgramFolder() + QStringLiteral("/imagemagick"));
    const QString target = folder + QStringLiteral("/imagemagick/");
    for (const QString& name : built.entryList(QDir::Files)) {
        if (name == QLatin1String(helper_protocol::kProgramName))
            continue;
        ASSERT_TRUE(QFile::copy(built.filePath(name), target + name)) << name.toStdString();
    }
    // A copy, not a link: the helper finds its configuration beside its own file.
    if (helper) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(PIXMORROW_TEST_HOOKED_HELPER),
                                target + QLatin1String(helper_protocol::kProgramName)));
    }
    if (seconds > 0) {
        const QString policy = target + QStringLiteral("policy.xml");
        QByteArray text = contentOf(policy);
        const QByteArray limit = "name=\"time\" value=\"600\"";
        ASSERT_TRUE(text.contains(limit));
        text.replace(limit, "name=\"time\" value=\"" + QByteArray::number(seconds) + "\"");
        QFile file(policy);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
}

class HelperTool : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(program_.isValid());
        ASSERT_TRUE(data_.isValid());
        layOutProgramFolder(program_.path(), true);
    }

    QString data(const QString& name) const { return data_.filePath(name); }
    ImageMagickBridge bridge(std::chrono::milliseconds limit = 10min) {
        ImageMagickBridge made(program_.path(), dialogs_, log_, limit);
        made.keepUiAlive = nullptr;
        return made;
    }
    // A small opaque PNG of one colour.
    QString picture(const QString& name, const QColor& colour) {
        QImage image(16, 12, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = data(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }
    static QColor colourOf(const QString& png) {
        const QImage image(png);
        return image.isNull() ? QColor() : image.pixelColor(8, 6);
    }

    QTemporaryDir program_;
    QTemporaryDir data_;
    CommandLog log_;
    testing::RecordingDialogs dialogs_;
};

TEST_F(HelperTool, ACrashFailsThatFileAloneAndTheNextFileGetsANewHelper) {
    ImageMagickBridge tool = bridge();
    const QString first = data(QStringLiteral("first.png"));
    tool.ImageMagickIleDonustur(picture(QStringLiteral("a.png"), Qt::red), first, false);
    ASSERT_EQ(colourOf(first), QColor(Qt::red)) << log_.text().toStdString();
    const long helper = tool.helperProcess();
    ASSERT_GT(helper, 0);

    const QString crash = picture(QStringLiteral("helper-test-crash.png"), Qt::green);
    const QString crashOut = data(QStringLiteral("crash.webp"));
    tool.ImageMagickIleDonustur(crash, crashOut, false);
    EXPECT_FALSE(QFile::exists(crashOut)) << "the partial output stays";
    const QStringList lines = log_.lines();
    EXPECT_EQ(lines.value(0), ImageMagickBridge::generalCommandLine(crash, crashOut, false));
    EXPECT_TRUE(lines.contains(QStringLiteral("about to crash"))) << log_.text().toStdString();
    EXPECT_TRUE(lines.contains(kCrashed)) << log_.text().toStdString();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, kCrashed + QStringLiteral("\r\n"));
    EXPECT_EQ(tool.helperProcess(), 0);
    EXPECT_TRUE(processEnds(helper));

    const QString next = data(QStringLiteral("next.png"));
    tool.ImageMagickIleDonustur(picture(QStringLiteral("b.png"), Qt::blue), next, false);
    EXPECT_EQ(colourOf(next), QColor(Qt::blue)) << log_.text().toStdString();
    EXPECT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_GT(tool.helperProcess(), 0);
    EXPECT_NE(tool.helperProcess(), helper);
}

// A helper that hangs is sent SIGTERM at the time limit and SIGKILL half a second later if
// it is still there; its partial output goes, and the next file converts.
TEST_F(HelperTool, AHangIsStoppedAtTheTimeLimit) {
    const struct {
        const char* marker;
        qint64 atLeast;  // ms: the limit, and the grace for one that ignores SIGTERM
    } cases[] = {{"helper-test-hang", 1400}, {"helper-test-stubborn", 1900}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.marker);
        dialogs_.messages.clear();
        ImageMagickBridge tool = bridge(1500ms);
        const QString warm = data(QStringLiteral("warm.png"));
        tool.ImageMagickIleDonustur(picture(QStringLiteral("a.png"), Qt::red), warm, false);
        const long helper = tool.helperProcess();
        ASSERT_GT(helper, 0) << log_.text().toStdString();

        const QString hang = picture(QString::fromUtf8(c.marker) + QStringLiteral(".png"), Qt::red);
        const QString out = data(QStringLiteral("hang.png"));
        QElapsedTimer timer;
        timer.start();
        tool.ImageMagickIleDonustur(hang, out, false);
        EXPECT_GE(timer.elapsed(), c.atLeast);
        EXPECT_LT(timer.elapsed(), 15000);
        EXPECT_FALSE(QFile::exists(out)) << "the partial output stays";
        ASSERT_EQ(dialogs_.messages.size(), 1u) << log_.text().toStdString();
        EXPECT_EQ(dialogs_.messages[0].text,
                  QStringLiteral("Processing failed: the tool did not finish within 1500 ms and "
                                 "was stopped.\r\n"));
        EXPECT_TRUE(processEnds(helper));

        const QString next = data(QStringLiteral("next.png"));
        QFile::remove(next);
        tool.ImageMagickIleDonustur(picture(QStringLiteral("b.png"), Qt::blue), next, false);
        EXPECT_EQ(colourOf(next), QColor(Qt::blue)) << log_.text().toStdString();
        EXPECT_EQ(dialogs_.messages.size(), 1u);
    }
}

// Stopping the helper from another thread (a cancelled run) ends the conversion in progress
// at once, as a failure, and the next conversion starts a new helper.
TEST_F(HelperTool, TerminatingFromAnotherThreadEndsTheJobInProgress) {
    ImageMagickBridge tool = bridge(10min);
    const QString hang = picture(QStringLiteral("helper-test-stubborn.png"), Qt::red);
    const QString out = data(QStringLiteral("hang.png"));
    std::atomic<bool> done{false};
    std::thread canceller([&] {
        // The hook writes its partial output before it hangs.
        while (!done.load() && !QFile::exists(out))
            QThread::msleep(10);
        tool.terminateHelper();
    });
    QElapsedTimer timer;
    timer.start();
    tool.ImageMagickIleDonustur(hang, out, false);
    done.store(true);
    canceller.join();
    EXPECT_LT(timer.elapsed(), 60000);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(tool.helperProcess(), 0);
    EXPECT_TRUE(log_.text().contains(QStringLiteral("Processing failed: the tool crashed")))
        << log_.text().toStdString();

    const QString next = data(QStringLiteral("next.png"));
    tool.ImageMagickIleDonustur(picture(QStringLiteral("b.png"), Qt::blue), next, false);
    EXPECT_EQ(colourOf(next), QColor(Qt::blue)) << log_.text().toStdString();
}

// A cancelled run stops the helper's job through the bridge's own hook: the conversion ends
// as cancelled, its partial output goes, and the next conversion starts a new helper.
TEST_F(HelperTool, ACancelEndsTheJobInProgressAndTheNextStartsANewHelper) {
    ImageMagickBridge tool = bridge(10min);
    const QString hang = picture(QStringLiteral("helper-test-stubborn.png"), Qt::red);
    const QString out = data(QStringLiteral("hang.png"));
    std::atomic<bool> cancel{false};
    tool.cancelled = [&cancel] { return cancel.load(); };
    std::thread canceller([&] {
        QElapsedTimer waiting;
        waiting.start();
        // The hook writes its partial output before it hangs.
        while (!QFile::exists(out) && waiting.elapsed() < 30000)
            QThread::msleep(10);
        cancel.store(true);
    });
    tool.ImageMagickIleDonustur(hang, out, false);
    canceller.join();
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(tool.helperProcess(), 0);
    EXPECT_TRUE(log_.text().contains(QStringLiteral("Processing cancelled: the tool was stopped.")))
        << log_.text().toStdString();

    cancel.store(false);
    const QString next = data(QStringLiteral("next.png"));
    tool.ImageMagickIleDonustur(picture(QStringLiteral("b.png"), Qt::blue), next, false);
    EXPECT_EQ(colourOf(next), QColor(Qt::blue)) << log_.text().toStdString();
}

// The helper's log and messages are the command line's: the same text for a good file and a
// broken one, and the same bytes for an output without time stamps. Without the helper
// program, the launcher runs per file.
TEST_F(HelperTool, TheLogShowsEachFilesCommandAndTheToolsMessagesAsTheLauncherDoes) {
    QTemporaryDir launcherOnly;
    ASSERT_TRUE(launcherOnly.isValid());
    layOutProgramFolder(launcherOnly.path(), false);
    CommandLog launcherLog;
    testing::RecordingDialogs launcherDialogs;
    ImageMagickBridge launcher(launcherOnly.path(), launcherDialogs, launcherLog);
    launcher.keepUiAlive = nullptr;
    ImageMagickBridge helper = bridge();

    const QString good = picture(QStringLiteral("good.png"), QColor(10, 200, 30));
    const QString broken = data(QStringLiteral("broken.png"));
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromHex("89504E470D0A1A0A") + QByteArray(200, 'x'));
    }
    const struct {
        QString source;
        const char* output;
        bool converts;
    } cases[] = {{good, "good.webp", true},
                 {broken, "broken.webp", false},
                 {good, "good.gif", true},
                 {data(QStringLiteral("missing.png")), "missing.png", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        const QString out = data(QString::fromUtf8(c.output));
        QFile::remove(out);
        launcher.ImageMagickIleDonustur(c.source, out, false);
        const QByteArray launcherBytes = contentOf(out);
        QFile::remove(out);
        helper.ImageMagickIleDonustur(c.source, out, false);
        const QByteArray helperBytes = contentOf(out);

        EXPECT_EQ(log_.text(), launcherLog.text());
        EXPECT_EQ(log_.lines().value(0),
                  ImageMagickBridge::generalCommandLine(c.source, out, false));
        EXPECT_EQ(!helperBytes.isEmpty(), c.converts) << log_.text().toStdString();
        EXPECT_EQ(helperBytes, launcherBytes);
        ASSERT_EQ(dialogs_.messages.size(), launcherDialogs.messages.size());
        if (!c.converts) {
            ASSERT_FALSE(dialogs_.messages.empty());
            EXPECT_EQ(dialogs_.messages.back().text, launcherDialogs.messages.back().text);
            EXPECT_TRUE(dialogs_.messages.back().text.contains(out))
                << dialogs_.messages.back().text.toStdString();
        }
    }
    EXPECT_EQ(launcher.helperProcess(), 0);
    EXPECT_GT(helper.helperProcess(), 0);
}

// Two workers' bridges, each with its own helper, converting at the same time: every output
// is its own source's picture, and each log holds only its own bridge's commands.
TEST_F(HelperTool, TwoBridgesUseTwoHelpersWithoutMixingJobs) {
    struct Worker {
        CommandLog log;
        testing::RecordingDialogs dialogs;
        QStringList commands;
        std::vector<std::pair<QString, QColor>> outputs;
        long helper = 0;
        long helperAgain = 0;
    } workers[2];
    const QColor colours[2] = {QColor(200, 0, 0), QColor(0, 0, 200)};
    constexpr int kFiles = 12;
    std::vector<QString> sources[2];
    for (int w = 0; w < 2; ++w) {
        for (int i = 0; i < kFiles; ++i) {
            const QColor colour(colours[w].red(), 10 * i, colours[w].blue());
            sources[w].push_back(picture(QStringLiteral("w%1-%2.png").arg(w).arg(i), colour));
            workers[w].outputs.emplace_back(data(QStringLiteral("w%1-%2-out.png").arg(w).arg(i)),
                                            colour);
        }
    }
    auto work = [&](int w) {
        Worker& worker = workers[w];
        ImageMagickBridge tool(program_.path(), worker.dialogs, worker.log);
        tool.keepUiAlive = nullptr;
        for (int i = 0; i < kFiles; ++i) {
            tool.ImageMagickIleDonustur(sources[w][i], worker.outputs[i].first, false);
            worker.commands << worker.log.lines().value(0);
            if (i == 0)
                worker.helper = tool.helperProcess();
        }
        worker.helperAgain = tool.helperProcess();
    };
    std::thread second(work, 1);
    work(0);
    second.join();

    EXPECT_GT(workers[0].helper, 0);
    EXPECT_GT(workers[1].helper, 0);
    EXPECT_NE(workers[0].helper, workers[1].helper);
    for (int w = 0; w < 2; ++w) {
        SCOPED_TRACE(w);
        const Worker& worker = workers[w];
        EXPECT_TRUE(worker.dialogs.messages.empty()) << worker.log.text().toStdString();
        EXPECT_EQ(worker.helperAgain, worker.helper) << "one helper for the whole run";
        for (int i = 0; i < kFiles; ++i) {
            EXPECT_EQ(colourOf(worker.outputs[i].first), worker.outputs[i].second) << i;
            EXPECT_EQ(worker.commands.value(i), ImageMagickBridge::generalCommandLine(
                                                    sources[w][i], worker.outputs[i].first, false));
        }
    }
}

// The helper is under the program folder's own policy, as the launcher's tool is: its
// resource limits are in force and every coder the routes do not use is denied.
TEST_F(HelperTool, OwnPolicyIsInForce) {
    ToolHelper helper(program_.filePath(QStringLiteral("imagemagick/") +
                                        QLatin1String(helper_protocol::kProgramName)));
    const auto job = [&helper, this](const QStringList& arguments) {
        ToolRun run;
        run.arguments = arguments;
        run.workingFolder = program_.filePath(QStringLiteral("imagemagick"));
        run.timeLimit = 1min;
        auto text = std::make_shared<std::string>();
        run.onOutput = [text](const char* data, std::size_t size) { text->append(data, size); };
        const ToolOutcome outcome = helper.run(run);
        return std::make_pair(outcome, QString::fromStdString(*text));
    };
    const auto [listed, resources] = job({QStringLiteral("-list"), QStringLiteral("resource")});
    EXPECT_EQ(listed.end, ToolEnd::Exited);
    EXPECT_EQ(listed.code, 0);
    EXPECT_TRUE(resources.contains(QStringLiteral("Memory: 2GiB"))) << resources.toStdString();
    EXPECT_TRUE(resources.contains(QStringLiteral("List length: 10000")));
    for (const QString& source : {QStringLiteral("xc:red"), QStringLiteral("label:x")}) {
        const QString out = data(QStringLiteral("out.png"));
        const auto [refused, messages] = job({source, QStringLiteral("PNG:") + out});
        EXPECT_EQ(refused.end, ToolEnd::Exited);
        EXPECT_NE(refused.code, 0) << source.toStdString();
        EXPECT_TRUE(messages.contains(QStringLiteral("security policy"))) << messages.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

// The tool's time limit counts for each job, not from the helper's start: with a limit of
// 3 s, jobs keep converting for twice as long (the helper hands over to a new one in time).
TEST(HelperTimeLimit, CountsPerJobNotFromTheHelpersStart) {
    QTemporaryDir program;
    QTemporaryDir data;
    ASSERT_TRUE(program.isValid());
    ASSERT_TRUE(data.isValid());
    layOutProgramFolder(program.path(), true, 3);
    CommandLog log;
    testing::RecordingDialogs dialogs;
    ImageMagickBridge tool(program.path(), dialogs, log);
    tool.keepUiAlive = nullptr;
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString source = data.filePath(QStringLiteral("a.png"));
    ASSERT_TRUE(image.save(source));
    QElapsedTimer timer;
    timer.start();
    std::set<long> helpers;
    int jobs = 0;
    while (timer.elapsed() < 6500) {
        const QString out = data.filePath(QStringLiteral("out%1.png").arg(jobs++));
        tool.ImageMagickIleDonustur(source, out, false);
        ASSERT_TRUE(QFileInfo(out).size() > 0) << "job " << jobs << " after " << timer.elapsed()
                                               << " ms: " << log.text().toStdString();
        // 0 after a job its helper ended itself after.
        if (tool.helperProcess() != 0)
            helpers.insert(tool.helperProcess());
        // Not every moment needs a job; a few a second go through the whole limit.
        QThread::msleep(100);
    }
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_GE(helpers.size(), 3u) << "the helper was never replaced";
}

}  // namespace
}  // namespace pixmorrow

// pixmorrow-convert run as a user or a script runs it: exit statuses, what it prints, what it
// writes, folders, damaged files, unusable destinations, runs at once into one folder,
// interrupts, and the job-runner recipe of the README.
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <signal.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

// Names in failure messages as text.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kExe = QStringLiteral(PIXMORROW_CONVERT_EXE);

struct Outcome {
    int exit = -1;
    QByteArray out;
    QByteArray err;
};

// The command's environment: English texts, no chosen language, the per-user folder empty.
QProcessEnvironment commandEnvironment(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    env.remove("LANGUAGE");
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    return env;
}

class CliCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(work.isValid()); }

    // `variables` go into the environment on top of commandEnvironment's.
    std::unique_ptr<QProcess> start(
        const QStringList& arguments, const QString& folder = {},
        const std::vector<std::pair<QString, QString>>& variables = {}) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = commandEnvironment(work.filePath("home"));
        for (const auto& [name, value] : variables)
            env.insert(name, value);
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(folder.isEmpty() ? work.path() : folder);
        process->start(kExe, arguments);
        EXPECT_TRUE(process->waitForStarted(30000));
        return process;
    }
    static Outcome finish(QProcess& process) {
        // Generous: a loaded machine converts slowly; a hang shows as a failure, not a wait.
        EXPECT_TRUE(process.waitForFinished(240000));
        Outcome outcome;
        outcome.exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        outcome.out = process.readAllStandardOutput();
        outcome.err = process.readAllStandardError();
        return outcome;
    }
    Outcome run(const QStringList& arguments, const QString& folder = {}) {
        return finish(*start(arguments, folder));
    }

    QString path(const QString& name) const { return work.filePath(name); }
    // A noisy picture (so that it does not compress to nothing), saved by its extension.
    QString picture(const QString& name, int width = 64, int height = 48) {
        const QString file = path(name);
        QDir().mkpath(QFileInfo(file).path());
        QImage image(width, height, QImage::Format_RGB32);
        QRandomGenerator random(qHash(name));
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                line[x] =
                    qRgb((x * 4 + random.bounded(40)) & 255, (y * 5) & 255, random.bounded(256));
        }
        EXPECT_TRUE(image.save(file)) << file.toStdString();
        return file;
    }
    QString plainFile(const QString& name, const QByteArray& bytes) {
        const QString file = path(name);
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return file;
    }

    QTemporaryDir work;
};

// Every file under `folder` (hidden ones too), relative, sorted.
QStringList tree(const QString& folder) {
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(folder).relativeFilePath(it.next());
    names.sort();
    return names;
}

// A whole WEBP file: its RIFF header counts exactly the bytes that follow it.
bool isWholeWebp(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    return bytes.size() > 20 && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP" &&
           qFromLittleEndian<quint32>(bytes.constData() + 4) + 8u == quint32(bytes.size());
}

std::vector<QJsonObject> jsonLines(const QByteArray& out) {
    std::vector<QJsonObject> objects;
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        objects.push_back(document.object());
    }
    return objects;
}

// The objects of the files, without the summary.
std::vector<QJsonObject> fileObjects(const std::vector<QJsonObject>& objects) {
    std::vector<QJsonObject> files;
    for (const QJsonObject& o : objects) {
        if (!o.contains("summary"))
            files.push_back(o);
    }
    return files;
}

TEST_F(CliCommandTest, HelpAndVersionAnswerAndExitZero) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.exit, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: pixmorrow-convert [options] FILE|FOLDER...\n"));
    EXPECT_TRUE(help.out.contains("--keep-metadata")) << help.out.toStdString();
    EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();

    // The texts follow the user's language, as the window's do.
    const Outcome inGerman = finish(*start({"--help"}, {}, {{"LC_ALL", "de_DE.UTF-8"}}));
    EXPECT_EQ(inGerman.exit, 0);
    EXPECT_TRUE(inGerman.out.startsWith("Aufruf: pixmorrow-convert [options] FILE|FOLDER...\n"))
        << inGerman.out.toStdString();
    EXPECT_TRUE(inGerman.out.contains("In Graustufen umwandeln"));

    const Outcome version = run({"--version"});
    EXPECT_EQ(version.exit, 0);
    EXPECT_EQ(version.out.split('\n').value(0), "pixmorrow-convert (Pixmorrow) 2.0");
    EXPECT_TRUE(version.out.contains("Copyright (C) 2026 TARNWICK"));
    EXPECT_TRUE(version.err.isEmpty()) << version.err.toStdString();
}

TEST_F(CliCommandTest, AWrongCommandLineExitsTwoAndWritesNothing) {
    const QString a = picture("in/a.png");
    struct Case {
        QStringList arguments;
        const char* says;
    } cases[] = {
        {{}, "No files or folders given"},
        {{"--quality", "0", a}, "The quality must be a whole number from 1 to 100: 0"},
        {{"--type", "xyz", a}, "Unknown type: xyz"},
        {{a, "--bogus"}, "Unknown option: --bogus"},
        {{a, "--jobs"}, "The option --jobs needs a value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        const Outcome outcome = run(c.arguments);
        EXPECT_EQ(outcome.exit, 2);
        EXPECT_TRUE(outcome.out.isEmpty()) << outcome.out.toStdString();
        EXPECT_TRUE(outcome.err.startsWith(QByteArray("pixmorrow-convert: ") + c.says + "\n"))
            << outcome.err.toStdString();
        EXPECT_TRUE(outcome.err.contains("--help"));
        EXPECT_EQ(tree(path("in")), QStringList{"a.png"});
    }
}

TEST_F(CliCommandTest, TheExecutableNeedsQtCoreAloneOfQt) {
    QProcess readelf;
    readelf.start("readelf", {"-d", kExe});
    ASSERT_TRUE(readelf.waitForFinished(60000));
    const QByteArray dynamic = readelf.readAllStandardOutput();
    EXPECT_TRUE(dynamic.contains("[libQt6Core.so.6]")) << dynamic.toStdString();
    for (const QByteArray& line : dynamic.split('\n')) {
        if (line.contains("(NEEDED)") && line.contains("libQt6")) {
            EXPECT_TRUE(line.contains("[libQt6Core.so.6]")) << line.toStdString();
        }
    }
}

TEST_F(CliCommandTest, AFolderGivesItsOwnFilesAndWithRecursiveItsSubfoldersToo) {
    picture("photos/a.png");
    picture("photos/.hidden.png");
    picture("photos/sub/b.bmp");
    picture("photos/sub/deeper/c.jpg");
    plainFile("photos/notes.txt", "not a picture");
    plainFile("photos/sub/readme", "nor this");
    const QStringList sources = tree(path("photos"));
    struct Case {
        QStringList options;
        QStringList outputs;
    } cases[] = {
        {{}, {".hidden.webp", "a.webp"}},
        {{"--recursive"}, {".hidden.webp", "a.webp", "sub/b.webp", "sub/deeper/c.webp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        const QString out = path("out" + QString::number(c.options.size()));
        const Outcome outcome = run(c.options + QStringList{"--json", "--dest", out, "photos"});
        EXPECT_EQ(outcome.exit, 0) << outcome.err.toStdString();
        const std::vector<QJsonObject> files = fileObjects(jsonLines(outcome.out));
        ASSERT_EQ(files.size(), std::size_t(c.outputs.size()));
        QStringList expected;
        for (const QString& output : c.outputs)
            expected << QFileInfo(output).fileName();
        expected.sort();
        EXPECT_EQ(tree(out), expected) << "one destination for every subfolder's files";
        for (const QJsonObject& file : files) {
            EXPECT_EQ(file["status"].toString(), "converted");
            EXPECT_TRUE(file["source"].toString().startsWith(path("photos/")));
            EXPECT_TRUE(isWholeWebp(file["output"].toString()));
            EXPECT_GT(file["bytes_out"].toInteger(), 0);
        }
        EXPECT_FALSE(outcome.out.contains("notes.txt")) << "skipped as the window skips it";
    }
    // Beside each source when no destination is named.
    const Outcome beside = run({"--recursive", "--quiet", path("photos")});
    EXPECT_EQ(beside.exit, 0) << beside.err.toStdString();
    EXPECT_TRUE(beside.out.isEmpty());
    EXPECT_TRUE(beside.err.isEmpty()) << "--quiet: no summary either";
    QStringList expected = sources;
    for (const QString& output : cases[1].outputs)
        expected << output;
    expected.sort();
    EXPECT_EQ(tree(path("photos")), expected);
}

TEST_F(CliCommandTest, ResizeAndKeepStructureGiveEachOutputItsSizeAndItsPlace) {
    // The same name in two subfolders, a landscape and a portrait, and a file named by itself.
    picture("photos/2024/x.png", 640, 480);
    picture("photos/2025/x.png", 300, 600);
    picture("photos/small.png", 80, 60);
    const QString single = picture("single.png", 1000, 500);
    const QString out = path("out");
    const Outcome outcome = run({"--recursive", "--type", "png", "--resize", "long:200",
                                 "--keep-structure", "--dest", out, "photos", single});
    EXPECT_EQ(outcome.exit, 0) << outcome.err.toStdString();
    EXPECT_EQ(tree(out), (QStringList{"2024/x.png", "2025/x.png", "single.png", "small.png"}));
    const std::map<QString, QSize> sizes{{"2024/x.png", {200, 150}},
                                         {"2025/x.png", {100, 200}},
                                         {"single.png", {200, 100}},
                                         {"small.png", {80, 60}}};  // never enlarged unasked
    for (const auto& [name, size] : sizes)
        EXPECT_EQ(QImage(out + "/" + name).size(), size) << name.toStdString();

    const Outcome enlarged = run({"--type", "png", "--resize", "width:160", "--enlarge", "--dest",
                                  path("grown"), path("photos/small.png")});
    EXPECT_EQ(enlarged.exit, 0) << enlarged.err.toStdString();
    EXPECT_EQ(QImage(path("grown/small.png")).size(), QSize(160, 120));
}

TEST_F(CliCommandTest, ADamagedFileAmongGoodOnesExitsOneAndTheGoodOnesConvert) {
    const QString good1 = picture("in/good1.png");
    // A PNG signature and then nothing a reader can use.
    const QString bad = plainFile("in/bad.png", QByteArray("\x89PNG\r\n\x1a\n", 8) + "garbage!");
    const QString good2 = picture("in/good2.jpg");
    const QString text = plainFile("in/list.txt", "named, but not a picture");
    const QString missing = path("in/missing.png");
    const QString out = path("out");
    const Outcome outcome = run({"--json", "--dest", out, good1, bad, text, good2, missing});
    EXPECT_EQ(outcome.exit, 1) << outcome.err.toStdString();
    const std::vector<QJsonObject> objects = jsonLines(outcome.out);
    ASSERT_FALSE(objects.empty());
    const QJsonObject summary = objects.back();
    EXPECT_TRUE(summary["summary"].toBool());
    EXPECT_EQ(summary["processed"].toInteger(), 5);
    EXPECT_EQ(summary["converted"].toInteger(), 2);
    EXPECT_EQ(summary["failed"].toInteger(), 3);
    EXPECT_FALSE(summary["interrupted"].toBool());

    std::map<QString, QJsonObject> bySource;
    for (const QJsonObject& file : fileObjects(objects))
        bySource[file["source"].toString()] = file;
    ASSERT_EQ(bySource.size(), 5u);
    std::int64_t bytesOut = 0;
    for (const QString& source : {good1, good2}) {
        const QJsonObject& file = bySource[source];
        EXPECT_EQ(file["status"].toString(), "converted");
        EXPECT_TRUE(file["error"].isNull());
        EXPECT_TRUE(isWholeWebp(file["output"].toString()));
        EXPECT_EQ(file["bytes_in"].toInteger(), QFileInfo(source).size());
        EXPECT_EQ(file["bytes_out"].toInteger(), QFileInfo(file["output"].toString()).size());
        bytesOut += file["bytes_out"].toInteger();
    }
    EXPECT_EQ(summary["bytes_out"].toInteger(), bytesOut);
    for (const QString& source : {bad, text, missing}) {
        SCOPED_TRACE(source.toStdString());
        const QJsonObject& file = bySource[source];
        EXPECT_EQ(file["status"].toString(), "failed");
        EXPECT_TRUE(file["output"].isNull());
        EXPECT_FALSE(file["error"].toString().isEmpty());
    }
    EXPECT_EQ(bySource[text]["error"].toString(), "Unsupported file type");
    EXPECT_EQ(bySource[missing]["error"].toString(), "File not found!");
    EXPECT_EQ(tree(out), (QStringList{"good1.webp", "good2.webp"}));

    // The same as lines: one per file, the summary on standard error.
    const Outcome lines = run({"--dest", out, good1, bad});
    EXPECT_EQ(lines.exit, 1);
    const QList<QByteArray> printed = lines.out.split('\n');
    ASSERT_EQ(printed.size(), 3) << lines.out.toStdString();
    const QString second = out + "/good1 (2).webp";
    EXPECT_EQ(QString::fromUtf8(printed[0]),
              good1 + " -> " + second + " (" + QString::number(QFileInfo(good1).size()) + " -> " +
                  QString::number(QFileInfo(second).size()) + " bytes)");
    EXPECT_TRUE(printed[1].startsWith((bad + ": ").toUtf8())) << printed[1].toStdString();
    EXPECT_TRUE(lines.err.startsWith("2 processed, 1 converted, 1 failed"))
        << lines.err.toStdString();
}

TEST_F(CliCommandTest, AnUnusableDestinationExitsTwoAndWritesNothing) {
    const QString a = picture("in/a.png");
    const QString blocker = plainFile("blocker", "a file where a folder should be");
    struct Case {
        QString destination;
        const char* says;
    } cases[] = {
        {blocker, "Directory does not exist!"},
        {blocker + "/out", "Directory does not exist!"},
        // Not even root makes a folder there.
        {"/proc/version/out", "Directory does not exist!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.destination.toStdString());
        const Outcome outcome = run({"--dest", c.destination, a});
        EXPECT_EQ(outcome.exit, 2);
        EXPECT_TRUE(outcome.out.isEmpty()) << outcome.out.toStdString();
        EXPECT_EQ(outcome.err,
                  ("pixmorrow-convert: " + c.destination + ": " + c.says + "\n").toUtf8());
        EXPECT_EQ(tree(work.path()), (QStringList{"blocker", "in/a.png"}));
    }
}

TEST_F(CliCommandTest, RelativePathsMeanWhatTheyMeanInTheShell) {
    picture("here/pics/a.png");
    const Outcome outcome =
        run({"--type", "png", "--dest", "out/deep", "pics/a.png"}, path("here"));
    EXPECT_EQ(outcome.exit, 0) << outcome.err.toStdString();
    EXPECT_EQ(tree(path("here")), (QStringList{"out/deep/a.png", "pics/a.png"}));
    EXPECT_TRUE(outcome.out.startsWith(
        (path("here/pics/a.png") + " -> " + path("here/out/deep/a.png")).toUtf8()))
        << outcome.out.toStdString();
}

// The outputs that `objects` report, each once; fails on a name reported twice.
std::set<QString> reportedOutputs(const std::vector<QJsonObject>& objects) {
    std::set<QString> outputs;
    for (const QJsonObject& file : fileObjects(objects)) {
        for (const QJsonValue& output : file["outputs"].toArray())
            EXPECT_TRUE(outputs.insert(output.toString()).second)
                << output.toString().toStdString();
    }
    return outputs;
}

TEST_F(CliCommandTest, RunsAtOnceIntoOneFolderKeepEveryOutput) {
    QStringList sources;
    for (int i = 0; i < 6; ++i)
        sources << picture(QStringLiteral("in/p%1.png").arg(i), 200, 150);
    const QString out = path("out");
    constexpr int kRuns = 3;
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int r = 0; r < kRuns; ++r)
        runs.push_back(start(QStringList{"--json", "--dest", out} + sources));
    std::set<QString> all;
    for (auto& process : runs) {
        const Outcome outcome = finish(*process);
        EXPECT_EQ(outcome.exit, 0) << outcome.err.toStdString();
        const std::vector<QJsonObject> objects = jsonLines(outcome.out);
        const std::set<QString> outputs = reportedOutputs(objects);
        EXPECT_EQ(outputs.size(), std::size_t(sources.size()));
        for (const QString& output : outputs) {
            EXPECT_TRUE(all.insert(output).second) << "two runs claim " << output.toStdString();
            EXPECT_TRUE(isWholeWebp(output)) << output.toStdString();
        }
    }
    // Every name in the series, nothing else (no probe, no temporary), nothing replaced.
    QStringList expected;
    for (const QString& output : all)
        expected << QFileInfo(output).fileName();
    expected.sort();
    EXPECT_EQ(expected.size(), kRuns * sources.size());
    EXPECT_EQ(tree(out), expected);
    EXPECT_TRUE(expected.contains("p0 (3).webp"));
}

TEST_F(CliCommandTest, AnInterruptEndsTheRunWithWholeOutputsOnlyAndExits130) {
    QStringList sources;
    for (int i = 0; i < 40; ++i)
        sources << picture(QStringLiteral("in/p%1.png").arg(i, 2, 10, QChar(u'0')), 640, 480);
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        const QString out = path(QStringLiteral("out%1").arg(signal));
        auto process = start(QStringList{"--json", "--dest", out} + sources);
        // Mid-run: once the first file is reported.
        while (!process->canReadLine() && process->state() == QProcess::Running)
            process->waitForReadyRead(240000);
        ASSERT_EQ(process->state(), QProcess::Running);
        ::kill(static_cast<pid_t>(process->processId()), signal);
        const Outcome outcome = finish(*process);
        EXPECT_EQ(outcome.exit, 130) << outcome.err.toStdString();
        const std::vector<QJsonObject> objects = jsonLines(outcome.out);
        ASSERT_FALSE(objects.empty());
        const QJsonObject summary = objects.back();
        EXPECT_TRUE(summary["interrupted"].toBool());
        EXPECT_LT(summary["processed"].toInteger(), sources.size());
        // Files are told in queue order: those committed, then those in flight (workers run
        // ahead of the commit), which were stopped and left nothing.
        bool stopped = false;
        qsizetype next = 0;
        for (const QJsonObject& file : fileObjects(objects)) {
            EXPECT_EQ(file["source"].toString(), sources.value(next++));
            if (file["status"].toString() != "converted") {
                EXPECT_EQ(file["error"].toString(), "Interrupted");
                stopped = true;
            } else {
                EXPECT_FALSE(stopped) << "converted after one that was stopped";
            }
        }
        EXPECT_EQ(next, summary["processed"].toInteger());
        QStringList expected;
        for (const QString& output : reportedOutputs(objects)) {
            EXPECT_TRUE(isWholeWebp(output)) << output.toStdString();
            expected << QFileInfo(output).fileName();
        }
        expected.sort();
        EXPECT_EQ(tree(out), expected) << "no temporary, no output that was not reported";
        EXPECT_EQ(expected.size(), summary["converted"].toInteger());
    }
}

// The processes `pid` started, as the kernel lists them: each thread's own children, since
// the run's workers start the tool.
QStringList childrenOf(qint64 pid) {
    QStringList children;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks + u'/' + task + QStringLiteral("/children"));
        if (file.open(QIODevice::ReadOnly))
            children += QString::fromLatin1(file.readAll()).split(u' ', Qt::SkipEmptyParts);
    }
    return children;
}

TEST_F(CliCommandTest, AnInterruptStopsARunningExternalToolAtOnceAndLeavesNothing) {
    // GIF goes through the external tool, which takes its time over a large noisy picture.
    const QString big = picture("in/big.png", 4000, 3000);
    const QString next = picture("in/next.png");
    // One worker: the next file never starts. Two: it is converted meanwhile, but its turn
    // comes after the big one's, so the interrupt leaves nothing of it either.
    for (const int jobs : {1, 2}) {
        SCOPED_TRACE(jobs);
        const QString out = path(QStringLiteral("out%1").arg(jobs));
        const QString temporary = path(QStringLiteral("tmp%1").arg(jobs));
        ASSERT_TRUE(QDir().mkpath(temporary));
        auto process = start(
            {"--json", "--type", "gif", "--jobs", QString::number(jobs), "--dest", out, big, next},
            {}, {{"TMPDIR", temporary}});
        QStringList tools;
        QElapsedTimer waited;
        waited.start();
        while (tools.isEmpty() && process->state() == QProcess::Running &&
               waited.elapsed() < 240000) {
            tools = childrenOf(process->processId());
            process->waitForFinished(10);
        }
        ASSERT_FALSE(tools.isEmpty()) << "the tool never started";
        if (jobs == 2) {
            // Both files at their writing stage (each has reserved its hidden output); the
            // small one's tool is soon done, the big one's is not.
            while (QDir(out).entryList(QDir::Files | QDir::Hidden).size() < 2 &&
                   process->state() == QProcess::Running && waited.elapsed() < 240000)
                process->waitForFinished(10);
            tools = childrenOf(process->processId());
        }
        ::kill(static_cast<pid_t>(process->processId()), SIGINT);
        const Outcome outcome = finish(*process);
        EXPECT_EQ(outcome.exit, 130) << outcome.err.toStdString();
        const std::vector<QJsonObject> objects = jsonLines(outcome.out);
        const QStringList stopped = jobs == 1 ? QStringList{big} : QStringList{big, next};
        ASSERT_EQ(objects.size(), std::size_t(stopped.size()) + 1) << outcome.out.toStdString();
        for (qsizetype i = 0; i < stopped.size(); ++i) {
            const QJsonObject& file = objects[std::size_t(i)];
            EXPECT_EQ(file["source"].toString(), stopped[i]);
            EXPECT_EQ(file["status"].toString(), "failed");
            EXPECT_EQ(file["error"].toString(), "Interrupted");
        }
        EXPECT_EQ(objects.back()["processed"].toInteger(), stopped.size())
            << "with one worker the next file never started";
        EXPECT_TRUE(objects.back()["interrupted"].toBool());
        for (const QString& tool : tools)
            EXPECT_FALSE(QFileInfo::exists("/proc/" + tool)) << "tool " << tool.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out) && !tree(out).isEmpty())
            << tree(out).join(", ").toStdString();
        EXPECT_TRUE(QDir(temporary).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            << "the run's private folder is gone";
    }
}

TEST_F(CliCommandTest, TheJobRunnerRecipeLosesAndReplacesNothing) {
    // The README's recipe on this machine: GNU parallel with three job slots here (":") in
    // place of the hosts, two files a job, every job into one folder. The names repeat
    // across the folders, so the jobs race for the same output names.
    QStringList sources;
    for (const char* folder : {"a", "b", "c"}) {
        for (const char* name : {"x.png", "y.png", "z.jpg"})
            sources << picture(QStringLiteral("in/%1/%2").arg(folder, name), 120, 90);
    }
    plainFile("list", sources.join('\n').toUtf8() + '\n');
    const QString out = path("out");
    QProcess parallel;
    QProcessEnvironment env = commandEnvironment(path("home"));
    env.insert("PARALLEL_HOME", path("parallel-home"));
    parallel.setProcessEnvironment(env);
    parallel.setWorkingDirectory(work.path());
    parallel.start("parallel", {"--will-cite", "-S", "3/:", "-N", "2", "--arg-file", path("list"),
                                kExe, "--json", "--dest", out});
    ASSERT_TRUE(parallel.waitForStarted(30000)) << "parallel is installed by scripts/install-deps";
    const Outcome outcome = finish(parallel);
    EXPECT_EQ(outcome.exit, 0) << outcome.err.toStdString();
    const std::vector<QJsonObject> objects = jsonLines(outcome.out);
    const std::set<QString> outputs = reportedOutputs(objects);
    EXPECT_EQ(outputs.size(), std::size_t(sources.size()));
    QStringList expected;
    for (const QString& output : outputs) {
        EXPECT_TRUE(isWholeWebp(output)) << output.toStdString();
        expected << QFileInfo(output).fileName();
    }
    expected.sort();
    EXPECT_EQ(tree(out), expected);
    EXPECT_EQ(expected,
              (QStringList{"x (2).webp", "x (3).webp", "x.webp", "y (2).webp", "y (3).webp",
                           "y.webp", "z (2).webp", "z (3).webp", "z.webp"}));
}

}  // namespace

#include "conversion/external/command_runner.h"

#include "conversion/external/child_environment.h"
#include "platform/posix_io.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pixmorrow {

// ---- CommandLog ------------------------------------------------------------------------

void CommandLog::clear() {
    text_.clear();
    changed();
}

void CommandLog::addLine(const QString& line) {
    if (!text_.isEmpty() && !text_.endsWith(QLatin1Char('\n')))
        text_ += QStringLiteral("\r\n");
    text_ += line;
    text_ += QStringLiteral("\r\n");
    changed();
}

void CommandLog::appendText(const QString& text) {
    if (text.isEmpty())
        return;
    text_.reserve(text_.size() + text.size() + text.count(QLatin1Char('\n')));
    for (QChar c : text) {
        if (c == QLatin1Char('\n') && !text_.endsWith(QLatin1Char('\r')))
            text_ += QLatin1Char('\r');
        text_ += c;
    }
    changed();
}

QStringList CommandLog::lines() const {
    static const QRegularExpression kBreak(QStringLiteral("\r\n|\n|\r"));
    QStringList result = text_.split(kBreak);
    if (!result.isEmpty() && result.back().isEmpty())
        result.removeLast();
    return result;
}

void CommandLog::changed() {
    if (onChange)
        onChange(text_);
}

// ---- runTool ---------------------------------------------------------------------------

namespace {

constexpr auto kPollStep = std::chrono::milliseconds(50);
// After the tool has ended, output still buffered or held by a leftover child is read for
// at most this long.
constexpr auto kDrainLimit = std::chrono::seconds(2);

using Clock = std::chrono::steady_clock;

// A posix_spawn settings object for the length of one start.
template <typename T, int (*Init)(T*), int (*Destroy)(T*)>
class SpawnSetting {
public:
    SpawnSetting() : ok_(Init(&value_) == 0) {}
    ~SpawnSetting() {
        if (ok_)
            Destroy(&value_);
    }
    SpawnSetting(const SpawnSetting&) = delete;
    SpawnSetting& operator=(const SpawnSetting&) = delete;
    T* get() { return &value_; }
    bool ok() const { return ok_; }

private:
    T value_;
    bool ok_;
};
using SpawnActions = SpawnSetting<posix_spawn_file_actions_t, posix_spawn_file_actions_init,
                                  posix_spawn_file_actions_destroy>;
using SpawnAttributes =
    SpawnSetting<posix_spawnattr_t, posix_spawnattr_init, posix_spawnattr_destroy>;

QString limitText(std::chrono::milliseconds limit) {
    const auto ms = limit.count();
    if (ms >= 60000 && ms % 60000 == 0)
        return QStringLiteral("%1 minutes").arg(ms / 60000);
    if (ms >= 1000 && ms % 1000 == 0)
        return QStringLiteral("%1 seconds").arg(ms / 1000);
    return QStringLiteral("%1 ms").arg(ms);
}

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// Starts the tool in a process group of its own, its output and error into `writeEnd`.
// Returns the child's pid, or -1 with `error` set.
pid_t startTool(const ToolRun& run, int writeEnd, int& error) {
    std::vector<QByteArray> storage;
    storage.reserve(run.arguments.size());
    for (const QString& argument : run.arguments)
        storage.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& bytes : storage)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);
    const QByteArray folder = QFile::encodeName(run.workingFolder);

    // This process's environment with the run's entries in place of same-named ones.
    std::vector<QByteArray> added;
    for (const QString& entry : run.environment)
        added.push_back(QFile::encodeName(entry));
    std::vector<char*> envp = environmentWith(added);

    SpawnActions actions;
    SpawnAttributes attributes;
    if (!actions.ok() || !attributes.ok()) {
        error = ENOMEM;
        return -1;
    }
    if (run.standardInput >= 0)
        posix_spawn_file_actions_adddup2(actions.get(), run.standardInput, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(actions.get(), writeEnd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(actions.get(), writeEnd, STDERR_FILENO);
    if (!folder.isEmpty())
        posix_spawn_file_actions_addchdir_np(actions.get(), folder.constData());
    // Its own group, so a time-out stops the tool and everything it started.
    posix_spawnattr_setpgroup(attributes.get(), 0);
    // Default signal handling in the tool, whatever this process ignores.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    posix_spawnattr_setsigdefault(attributes.get(), &defaults);
    posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    error = posix_spawn(&pid, argv[0], actions.get(), attributes.get(), argv.data(), envp.data());
    return error == 0 ? pid : -1;
}

// The started tool: learns how it ended, and on every way out kills what is left of its
// group and reaps it. The tool is only reaped after its group was signalled: until then its
// zombie keeps the process and group id, so the signal can never reach a process that got
// the id later.
class StartedTool {
public:
    explicit StartedTool(pid_t pid) : pid_(pid) {}
    StartedTool(const StartedTool&) = delete;
    StartedTool& operator=(const StartedTool&) = delete;
    ~StartedTool() {
        if (reapedElsewhere_)
            return;  // its id may belong to another process by now
        // Leftovers of the group: a tool that ran out of time, or children that outlived it.
        ::kill(-pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }

    bool ended() const { return ended_; }
    // SIGTERM to the group, then the grace for it to end; whatever is left is killed when
    // the object goes.
    void terminate() {
        if (ended_)
            return;
        ::kill(-pid_, SIGTERM);
        const auto until = Clock::now() + kCancelGrace;
        while (!waitFor(WNOHANG) && Clock::now() < until)
            ::poll(nullptr, 0, 10);
    }
    // Checks without blocking (or blocks, with 0 for `options`) whether the tool has ended,
    // leaving it unreaped.
    bool waitFor(int options) {
        while (!ended_) {
            siginfo_t info{};
            const int done =
                ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT | options);
            if (done == 0 && info.si_pid == pid_) {
                ended_ = true;
                known_ = true;
                signalled_ = info.si_code == CLD_KILLED || info.si_code == CLD_DUMPED;
                code_ = info.si_status;
            } else if (done < 0 && errno == EINTR) {
                continue;
            } else if (done < 0) {
                ended_ = true;  // reaped elsewhere; how it ended is unknown
                reapedElsewhere_ = true;
            }
            break;
        }
        return ended_;
    }
    ToolOutcome outcome() const {
        if (known_ && signalled_)
            return {ToolEnd::Killed, code_};
        return {ToolEnd::Exited, known_ ? code_ : -1};
    }

private:
    pid_t pid_;
    int code_ = 0;
    bool signalled_ = false;
    bool ended_ = false;
    bool known_ = false;
    bool reapedElsewhere_ = false;
};

}  // namespace

ToolOutcome runTool(const ToolRun& run) {
    if (run.arguments.isEmpty())
        return {ToolEnd::NoProgram, 0};
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {ToolEnd::NoPipe, errno};
    posix::FileDescriptor readEnd(ends[0]);
    posix::FileDescriptor writeEnd(ends[1]);

    int error = 0;
    const pid_t pid = startTool(run, writeEnd.get(), error);
    writeEnd.reset();  // only the tool writes now, so its end brings end-of-file
    if (pid < 0)
        return {ToolEnd::NotStarted, error};
    StartedTool tool(pid);

    const auto deadline = Clock::now() + run.timeLimit;
    Clock::time_point drainUntil{};
    Clock::time_point lastRepaint{};
    std::vector<char> buffer(std::max<std::size_t>(run.pieceSize, 1));
    auto keepUiAlive = [&run, &lastRepaint] {
        // Repaint now and then, not after every piece of a chatty tool.
        if (run.keepUiAlive && Clock::now() - lastRepaint >= kPollStep) {
            run.keepUiAlive();
            lastRepaint = Clock::now();
        }
    };

    const auto cancelled = [&run, &tool] {
        if (!run.cancelled || !run.cancelled())
            return false;
        tool.terminate();
        return true;
    };
    for (;;) {
        if (!tool.ended() && tool.waitFor(WNOHANG))
            drainUntil = Clock::now() + kDrainLimit;
        if (!tool.ended() && cancelled())
            return {ToolEnd::Cancelled, 0};
        const auto now = Clock::now();
        if (!tool.ended() && now >= deadline)
            return {ToolEnd::TimedOut, 0};
        if (tool.ended() && now >= drainUntil)
            break;

        pollfd watch{readEnd.get(), POLLIN, 0};
        const int ready = ::poll(&watch, 1, static_cast<int>(kPollStep.count()));
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0) {
            const ssize_t count = ::read(readEnd.get(), buffer.data(), buffer.size());
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                break;  // end of file: the tool and its children are done
            if (run.onOutput)
                run.onOutput(buffer.data(), static_cast<std::size_t>(count));
        }
        keepUiAlive();
    }

    // Output closed but the tool still running: wait for it, within the same limit.
    while (!tool.waitFor(WNOHANG)) {
        if (Clock::now() >= deadline)
            return {ToolEnd::TimedOut, 0};
        if (cancelled())
            return {ToolEnd::Cancelled, 0};
        ::poll(nullptr, 0, static_cast<int>(kPollStep.count()));
        if (run.keepUiAlive)
            run.keepUiAlive();
    }
    return tool.outcome();
}

// ---- RunCommandCaptured ----------------------------------------------------------------

ToolOutcome RunCommandCaptured(const QString& commandLine, const QStringList& arguments,
                               const QString& workingFolder, CommandLog& log,
                               std::chrono::milliseconds timeLimit,
                               const std::function<void()>& keepUiAlive,
                               const QStringList& environment, const ToolRunner& runner,
                               const std::function<bool()>& cancelled) {
    Q_UNUSED(commandLine);  // already the log's first line; the tool gets `arguments`
    log.addLine(QStringLiteral("Commencing processing..."));

    // Whatever happens below, the log ends with the closing lines.
    struct Closing {
        CommandLog& log;
        ~Closing() {
            log.addLine(QStringLiteral("Processing completed successfully."));
            log.addLine(QStringLiteral("**********************************"));
            log.addLine(QString());
        }
    } closing{log};

    ToolOutcome outcome{ToolEnd::NotStarted, 0};
    try {
        QStringDecoder decoder(QStringDecoder::System);
        ToolRun run;
        run.arguments = arguments;
        run.workingFolder = workingFolder;
        run.environment = environment;
        run.timeLimit = timeLimit;
        run.keepUiAlive = keepUiAlive;
        run.cancelled = cancelled;
        // One piece at a time, cut at a NUL, as the tool sent it.
        run.onOutput = [&log, &decoder](const char* data, std::size_t size) {
            const auto length = static_cast<qsizetype>(::strnlen(data, size));
            log.appendText(decoder.decode(QByteArrayView(data, length)));
        };
        outcome = runner(run);
        switch (outcome.end) {
            case ToolEnd::NoProgram:
                log.addLine(QStringLiteral("Starting the tool failed: no program given."));
                break;
            case ToolEnd::NoPipe:
                log.addLine(
                    QStringLiteral("Starting the tool failed: %1").arg(systemError(outcome.code)));
                break;
            case ToolEnd::NotStarted:
                log.addLine(QStringLiteral("Starting the tool failed: %1 (%2)")
                                .arg(systemError(outcome.code), arguments.front()));
                break;
            case ToolEnd::TimedOut:
                log.addLine(
                    QStringLiteral(
                        "Processing failed: the tool did not finish within %1 and was stopped.")
                        .arg(limitText(timeLimit)));
                break;
            case ToolEnd::Cancelled:
                log.addLine(QStringLiteral("Processing cancelled: the tool was stopped."));
                break;
            case ToolEnd::Killed:
                log.addLine(QStringLiteral("Processing failed: the tool crashed (signal %1, %2). "
                                           "The next file starts the tool anew.")
                                .arg(outcome.code)
                                .arg(QString::fromLocal8Bit(::strsignal(outcome.code))));
                break;
            case ToolEnd::Exited:
                break;
        }
    } catch (...) {
        // Only the log's own allocation can throw here; the closing lines still follow.
    }
    return outcome;
}

}  // namespace pixmorrow

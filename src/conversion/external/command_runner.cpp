#include "conversion/external/command_runner.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

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

// ---- RunCommandCaptured ----------------------------------------------------------------

namespace {

constexpr auto kPollStep = std::chrono::milliseconds(50);
// After the tool has ended, output still buffered or held by a leftover child is read for
// at most this long.
constexpr auto kDrainLimit = std::chrono::seconds(2);

using Clock = std::chrono::steady_clock;

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

class SpawnActions {
public:
    SpawnActions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
    ~SpawnActions() {
        if (ok_)
            posix_spawn_file_actions_destroy(&actions_);
    }
    posix_spawn_file_actions_t* get() { return &actions_; }
    bool ok() const { return ok_; }

private:
    posix_spawn_file_actions_t actions_;
    bool ok_ = false;
};

class SpawnAttributes {
public:
    SpawnAttributes() { ok_ = posix_spawnattr_init(&attributes_) == 0; }
    ~SpawnAttributes() {
        if (ok_)
            posix_spawnattr_destroy(&attributes_);
    }
    posix_spawnattr_t* get() { return &attributes_; }
    bool ok() const { return ok_; }

private:
    posix_spawnattr_t attributes_;
    bool ok_ = false;
};

QString limitText(std::chrono::milliseconds limit) {
    const auto ms = limit.count();
    if (ms >= 60000 && ms % 60000 == 0)
        return QStringLiteral("%1 minutes").arg(ms / 60000);
    if (ms >= 1000 && ms % 1000 == 0)
        return QStringLiteral("%1 seconds").arg(ms / 1000);
    return QStringLiteral("%1 ms").arg(ms);
}

// Starts the tool in a process group of its own, its output and error into `writeEnd`.
// Returns the child's pid, or -1 with `error` set.
pid_t startTool(const QStringList& arguments, const QString& workingFolder, int writeEnd,
                int& error) {
    std::vector<QByteArray> storage;
    storage.reserve(arguments.size());
    for (const QString& argument : arguments)
        storage.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& bytes : storage)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);
    const QByteArray folder = QFile::encodeName(workingFolder);

    SpawnActions actions;
    SpawnAttributes attributes;
    if (!actions.ok() || !attributes.ok()) {
        error = ENOMEM;
        return -1;
    }
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
    error = posix_spawn(&pid, argv[0], actions.get(), attributes.get(), argv.data(), environ);
    return error == 0 ? pid : -1;
}

}  // namespace

void RunCommandCaptured(const QString& commandLine, const QStringList& arguments,
                        const QString& workingFolder, CommandLog& log,
                        std::chrono::milliseconds timeLimit,
                        const std::function<void()>& keepUiAlive) {
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

    try {
        if (arguments.isEmpty()) {
            log.addLine(QStringLiteral("Starting the tool failed: no program given."));
            return;
        }
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            log.addLine(QStringLiteral("Starting the tool failed: %1")
                            .arg(QString::fromLocal8Bit(std::strerror(errno))));
            return;
        }
        Descriptor readEnd(ends[0]);
        Descriptor writeEnd(ends[1]);

        int error = 0;
        const pid_t pid = startTool(arguments, workingFolder, writeEnd.get(), error);
        writeEnd.reset();  // only the tool writes now, so its end brings end-of-file
        if (pid < 0) {
            log.addLine(QStringLiteral("Starting the tool failed: %1 (%2)")
                            .arg(QString::fromLocal8Bit(std::strerror(error)), arguments.front()));
            return;
        }

        QStringDecoder decoder(QStringDecoder::System);
        const auto deadline = Clock::now() + timeLimit;
        bool exited = false;
        bool timedOut = false;
        Clock::time_point drainUntil{};
        Clock::time_point lastRepaint{};
        char buffer[256];

        for (;;) {
            if (!exited) {
                int status = 0;
                const pid_t done = ::waitpid(pid, &status, WNOHANG);
                if (done == pid || (done < 0 && errno != EINTR)) {
                    exited = true;
                    drainUntil = Clock::now() + kDrainLimit;
                }
            }
            const auto now = Clock::now();
            if (!exited && now >= deadline) {
                timedOut = true;
                break;
            }
            if (exited && now >= drainUntil)
                break;

            pollfd watch{readEnd.get(), POLLIN, 0};
            const int ready = ::poll(&watch, 1, static_cast<int>(kPollStep.count()));
            if (ready < 0 && errno != EINTR)
                break;
            if (ready > 0) {
                // One piece at a time, cut at a NUL, as the tool sent it.
                const ssize_t count = ::read(readEnd.get(), buffer, sizeof buffer - 1);
                if (count < 0 && errno == EINTR)
                    continue;
                if (count <= 0)
                    break;  // end of file: the tool and its children are done
                buffer[count] = '\0';
                const QString piece = decoder.decode(QByteArrayView(buffer, std::strlen(buffer)));
                log.appendText(piece);
            }
            // Repaint now and then, not after every piece of a chatty tool.
            if (keepUiAlive && Clock::now() - lastRepaint >= kPollStep) {
                keepUiAlive();
                lastRepaint = Clock::now();
            }
        }

        // Output closed but the tool still running: wait for it, within the same limit.
        while (!exited && !timedOut) {
            int status = 0;
            const pid_t done = ::waitpid(pid, &status, WNOHANG);
            if (done == pid || (done < 0 && errno != EINTR)) {
                exited = true;
            } else if (Clock::now() >= deadline) {
                timedOut = true;
            } else {
                ::poll(nullptr, 0, static_cast<int>(kPollStep.count()));
                if (keepUiAlive)
                    keepUiAlive();
            }
        }
        // Leftovers of the group: a tool that ran out of time, or children that outlived it.
        ::kill(-pid, SIGKILL);
        if (!exited) {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }
        if (timedOut) {
            log.addLine(QStringLiteral(
                            "Processing failed: the tool did not finish within %1 and was stopped.")
                            .arg(limitText(timeLimit)));
        }
    } catch (...) {
        // Only the log's own allocation can throw here; the closing lines still follow.
    }
}

}  // namespace pixmorrow

#include "conversion/external/tool_helper.h"

#include "conversion/external/child_environment.h"
#include "conversion/external/helper_protocol.h"
#include "platform/posix_io.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pixmorrow {

namespace protocol = helper_protocol;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollStep = std::chrono::milliseconds(50);
// After the helper ended, output still buffered or held by a leftover child is read for at
// most this long.
constexpr auto kDrainLimit = std::chrono::seconds(2);
// A helper told to end has this long before it is stopped.
constexpr auto kEndLimit = std::chrono::seconds(1);

int waitMilliseconds(Clock::time_point until) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    return static_cast<int>(
        std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, kPollStep.count()));
}

}  // namespace

struct ToolHelper::Process {
    pid_t pid = -1;
    posix::FileDescriptor channel;   // jobs out, answers in
    posix::FileDescriptor messages;  // the helper's standard error
    bool ended = false;              // ended, not yet reaped
    siginfo_t info{};

    // Whether the helper has ended, leaving it unreaped; `options` 0 blocks.
    bool waitFor(int options) {
        while (!ended) {
            siginfo_t found{};
            const int done =
                ::waitid(P_PID, static_cast<id_t>(pid), &found, WEXITED | WNOWAIT | options);
            if (done == 0 && found.si_pid == pid) {
                ended = true;
                info = found;
            } else if (done < 0 && errno == EINTR) {
                continue;
            }
            break;
        }
        return ended;
    }
    bool waitUntil(Clock::time_point until) {
        while (!waitFor(WNOHANG)) {
            if (Clock::now() >= until)
                return false;
            ::poll(nullptr, 0, 10);
        }
        return true;
    }
    ToolOutcome outcome() const {
        if (info.si_code == CLD_KILLED || info.si_code == CLD_DUMPED)
            return {ToolEnd::Killed, info.si_status};
        return {ToolEnd::Exited, info.si_status};
    }
};

ToolHelper::ToolHelper(QString program) : program_(std::move(program)) {}

ToolHelper::~ToolHelper() {
    stop();
}

bool ToolHelper::start(const ToolRun& run, int& error) {
    int channel[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, channel) != 0) {
        error = errno;
        return false;
    }
    posix::FileDescriptor ours(channel[0]);
    posix::FileDescriptor theirs(channel[1]);
    int messages[2];
    if (::pipe2(messages, O_CLOEXEC) != 0) {
        error = errno;
        return false;
    }
    posix::FileDescriptor messagesIn(messages[0]);
    posix::FileDescriptor messagesOut(messages[1]);
    ::fcntl(messagesIn.get(), F_SETFL, ::fcntl(messagesIn.get(), F_GETFL) | O_NONBLOCK);

    QByteArray program = QFile::encodeName(program_);
    char* argv[] = {program.data(), nullptr};
    const QByteArray folder = QFile::encodeName(run.workingFolder);
    // This process's environment with the job's entries in place of same-named ones.
    std::vector<QByteArray> added;
    for (const QString& entry : run.environment)
        added.push_back(QFile::encodeName(entry));
    std::vector<char*> envp = environmentWith(added);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        error = ENOMEM;
        return false;
    }
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        error = ENOMEM;
        return false;
    }
    posix_spawn_file_actions_adddup2(&actions, theirs.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, theirs.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, messagesOut.get(), STDERR_FILENO);
    if (!folder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
    // Its own group, so that stopping it stops its delegates too.
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    error = posix_spawn(&pid, argv[0], &actions, &attributes, argv, envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return false;

    auto* process = new Process;
    process->pid = pid;
    process->channel = std::move(ours);
    process->messages = std::move(messagesIn);
    process_ = process;
    terminated_.store(false);
    pid_.store(pid);
    return true;
}

void ToolHelper::reap() {
    if (process_ == nullptr)
        return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        // Whatever is left of the group (delegates that outlived the helper) goes with it.
        ::kill(-process_->pid, SIGKILL);
        int status = 0;
        while (::waitpid(process_->pid, &status, 0) < 0 && errno == EINTR) {
        }
        pid_.store(0);
    }
    delete process_;
    process_ = nullptr;
}

void ToolHelper::end(int signal) {
    if (process_ == nullptr)
        return;
    if (!process_->ended) {
        ::kill(-process_->pid, signal);
        if (signal != SIGKILL)
            process_->waitUntil(Clock::now() + kTermGrace);
    }
    reap();
}

void ToolHelper::stop() {
    if (process_ == nullptr)
        return;
    // The end of its input tells the helper to end.
    process_->channel.reset();
    if (!process_->waitUntil(Clock::now() + kEndLimit))
        end(SIGTERM);
    reap();
}

void ToolHelper::terminate() {
    // Under the lock the helper is not reaped, so its group id is still its own.
    const std::lock_guard<std::mutex> lock(mutex_);
    const pid_t pid = pid_.load();
    if (pid > 0) {
        terminated_.store(true);
        ::kill(-pid, SIGTERM);
    }
}

ToolOutcome ToolHelper::run(const ToolRun& run) {
    protocol::Job job;
    for (const QString& entry : run.environment)
        job.environment.push_back(QFile::encodeName(entry).toStdString());
    for (const QString& argument : run.arguments)
        job.arguments.push_back(QFile::encodeName(argument).toStdString());
    const std::string frame = protocol::encodeJob(job);

    // A helper that ended between jobs (it retired, or was stopped) cannot take the job: a
    // new one does.
    for (int attempt = 0;; ++attempt) {
        if (process_ == nullptr) {
            int error = 0;
            if (!start(run, error))
                return {ToolEnd::NotStarted, error};
        }
        std::size_t sent = 0;
        while (sent < frame.size()) {
            const ssize_t count = ::send(process_->channel.get(), frame.data() + sent,
                                         frame.size() - sent, MSG_NOSIGNAL);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                break;
            sent += static_cast<std::size_t>(count);
        }
        if (sent == frame.size())
            break;
        const int error = errno;
        end(SIGKILL);
        if (attempt > 0)
            return {ToolEnd::NotStarted, error};
    }

    const auto deadline = Clock::now() + run.timeLimit;
    Clock::time_point lastRepaint{};
    Clock::time_point terminatedAt{};
    std::vector<char> buffer(std::max<std::size_t>(run.pieceSize, 1));
    bool messagesEnded = false;
    // Reads what the messages pipe holds now; false when nothing was there.
    auto readMessages = [&] {
        bool any = false;
        while (!messagesEnded) {
            const ssize_t count = ::read(process_->messages.get(), buffer.data(), buffer.size());
            if (count < 0 && errno == EINTR)
                continue;
            if (count == 0)
                messagesEnded = true;
            if (count <= 0)
                break;
            any = true;
            if (run.onOutput)
                run.onOutput(buffer.data(), static_cast<std::size_t>(count));
        }
        return any;
    };
    auto keepUiAlive = [&] {
        if (run.keepUiAlive && Clock::now() - lastRepaint >= kPollStep) {
            run.keepUiAlive();
            lastRepaint = Clock::now();
        }
    };

    unsigned char answer[protocol::kAnswerBytes];
    std::size_t got = 0;
    bool lost = false;
    while (got < sizeof answer && !lost) {
        if (Clock::now() >= deadline) {
            end(SIGTERM);
            return {ToolEnd::TimedOut, 0};
        }
        if (run.cancelled && run.cancelled()) {
            // The run was cancelled: the helper goes with its job; the next job starts anew.
            end(SIGTERM);
            return {ToolEnd::Cancelled, 0};
        }
        if (terminated_.load()) {
            // Stopped from another thread: it has the grace a time-out gives.
            if (terminatedAt == Clock::time_point{})
                terminatedAt = Clock::now();
            else if (Clock::now() - terminatedAt >= kTermGrace)
                ::kill(-process_->pid, SIGKILL);
        }
        pollfd watch[2] = {{process_->channel.get(), POLLIN, 0},
                           {process_->messages.get(), POLLIN, 0}};
        const int ready = ::poll(watch, messagesEnded ? 1 : 2, waitMilliseconds(deadline));
        if (ready < 0 && errno != EINTR) {
            lost = true;
            break;
        }
        if (ready > 0 && !messagesEnded && watch[1].revents != 0)
            readMessages();
        if (ready > 0 && watch[0].revents != 0) {
            const ssize_t count =
                ::recv(process_->channel.get(), answer + got, sizeof answer - got, 0);
            if (count > 0)
                got += static_cast<std::size_t>(count);
            else if (count == 0 || (errno != EINTR && errno != EAGAIN))
                lost = true;
        }
        keepUiAlive();
    }

    if (!lost) {
        // Every message of the job was written before the answer.
        readMessages();
        const protocol::Answer decoded = protocol::decodeAnswer(answer);
        if ((decoded.flags & protocol::kRetiring) != 0)
            stop();
        return {ToolEnd::Exited, decoded.status};
    }

    // The helper ended in the middle of the job: how it ended tells a crash from the tool's
    // own giving up (a fatal error ends the command-line tool as well).
    while (!process_->waitFor(WNOHANG)) {
        if (Clock::now() >= deadline) {
            end(SIGTERM);
            return {ToolEnd::TimedOut, 0};
        }
        readMessages();
        ::poll(nullptr, 0, 10);
        keepUiAlive();
    }
    const auto drainUntil = Clock::now() + kDrainLimit;
    while (!messagesEnded && Clock::now() < drainUntil) {
        pollfd watch{process_->messages.get(), POLLIN, 0};
        if (::poll(&watch, 1, waitMilliseconds(drainUntil)) > 0)
            readMessages();
    }
    const ToolOutcome outcome = process_->outcome();
    reap();
    return outcome;
}

}  // namespace pixmorrow

#pragma once

#include "conversion/external/command_runner.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>

#include <sys/types.h>

namespace pixmorrow {

// The external tool's helper process (helper_protocol.h), one per bridge: started with the
// first job, given one job after another, started anew after it crashed, hung, ended itself
// or was stopped. It runs in a process group of its own, which is stopped whole; the group is
// only reaped after it was signalled, so a signal never reaches a process that got its id
// later.
class ToolHelper {
public:
    // `program`: the helper's path.
    explicit ToolHelper(QString program);
    ~ToolHelper();
    ToolHelper(const ToolHelper&) = delete;
    ToolHelper& operator=(const ToolHelper&) = delete;

    // Runs one job: `run.arguments` are the tool's arguments, without the program; the
    // environment entries are set for the job (and for a helper started for it), the
    // working folder is the helper's when it starts. Messages reach `run.onOutput` as they
    // come. Outcomes as runTool's: Exited with the job's status; Killed when the helper died
    // of a signal during the job; Exited with the helper's own status when it ended during
    // the job without one; TimedOut after the time limit, when the helper's group was sent
    // SIGTERM and, still there half a second later, SIGKILL.
    ToolOutcome run(const ToolRun& run);

    // Ends the helper between jobs: it is told to end, and stopped as after a time-out when
    // it does not within a second. Nothing happens when none runs.
    void stop();

    // From any thread: the helper's group gets SIGTERM now; a job running then ends as
    // Killed (its group is stopped and reaped by the thread that runs it), the next job
    // starts a new helper.
    void terminate();

    // The running helper's process id; 0 when none runs.
    pid_t pid() const { return pid_.load(); }

    // How long a stopped group has between SIGTERM and SIGKILL.
    static constexpr std::chrono::milliseconds kTermGrace{500};

private:
    struct Process;
    bool start(const ToolRun& run, int& error);
    // Signals the group, waits for the helper, then kills what is left and reaps it.
    void end(int signal);
    void reap();

    QString program_;
    Process* process_ = nullptr;
    std::atomic<pid_t> pid_{0};
    std::atomic<bool> terminated_{false};
    // Held while the helper is reaped, so terminate() never signals an id given away.
    std::mutex mutex_;
};

}  // namespace pixmorrow

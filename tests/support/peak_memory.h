// How much resident memory a piece of work adds at its peak, measured in a forked child: the
// test process's own earlier peaks cannot hide it, and a runaway allocation harms only the
// child. The bound a test puts on it is memory, never time.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>

namespace pixmorrow::testing {

struct ChildWork {
    bool finished = false;     // the child ran the work to its end and exited normally
    std::uint64_t peakKb = 0;  // the most resident memory the work added, in KiB
    std::string result;        // what the work returned
};

// The child's highest resident size so far, in KiB (a fork starts it at the child's size).
inline std::uint64_t highWaterKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            std::uint64_t kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

inline ChildWork peakOfWorkInChild(const std::function<std::string()>& work) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t child = fork();
    if (child < 0)
        return {};
    if (child == 0) {
        close(fds[0]);
        const std::uint64_t before = highWaterKb();
        std::string result;
        try {
            result = work();
        } catch (const std::exception& e) {
            result = std::string("exception: ") + e.what();
        }
        const std::string report = std::to_string(highWaterKb() - before) + '\n' + result;
        const char* p = report.data();
        std::size_t left = report.size();
        while (left > 0) {
            const ssize_t n = write(fds[1], p, left);
            if (n <= 0)
                break;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string report;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        report.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ChildWork out;
    const std::size_t newline = report.find('\n');
    out.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0 && newline != std::string::npos;
    if (out.finished) {
        out.peakKb = std::stoull(report.substr(0, newline));
        out.result = report.substr(newline + 1);
    }
    return out;
}

}  // namespace pixmorrow::testing

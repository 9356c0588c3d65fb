#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstddef>
#include <functional>

namespace pixmorrow {

// The external tool's log (the main window's hidden MemoCMD): lines joined by CR LF. Text
// that arrives without a line break continues the current line.
class CommandLog {
public:
    void clear();
    // Adds `line` as a line of its own, after the current text.
    void addLine(const QString& line);
    // Appends `text` to the whole text as it stands; bare LFs become CR LF.
    void appendText(const QString& text);

    QString text() const { return text_; }
    // The lines; a text ending in a line break has no empty line after it.
    QStringList lines() const;

    // Called with the whole text after every change.
    std::function<void(const QString&)> onChange;

private:
    void changed();
    QString text_;
};

// One run of a program: what to start and how to treat it.
struct ToolRun {
    // The program, then its arguments; run directly, never through a shell.
    QStringList arguments;
    // Empty: this process's own.
    QString workingFolder;
    // "NAME=value" entries set for the program on top of this process's environment.
    QStringList environment;
    // A program still running after this is killed with its whole process group.
    std::chrono::milliseconds timeLimit{0};
    // A descriptor for the program's standard input; -1: this process's own.
    int standardInput = -1;
    // Standard output and error together, as they arrive, in pieces of at most `pieceSize`.
    std::function<void(const char* data, std::size_t size)> onOutput;
    std::size_t pieceSize = 255;
    // Called while waiting, so the window can repaint.
    std::function<void()> keepUiAlive;
    // Asked while waiting; once true the program's group gets SIGTERM, so the program can
    // remove its own temporary files, and SIGKILL after a short grace.
    std::function<bool()> cancelled;
};

// How long a cancelled program has between SIGTERM and SIGKILL.
inline constexpr std::chrono::milliseconds kCancelGrace{300};

// How a run ended.
enum class ToolEnd {
    NoProgram,   // `arguments` was empty
    NoPipe,      // the output pipe could not be made; `code` is the errno value
    NotStarted,  // the program could not be started; `code` is the errno value
    Exited,      // `code` is the exit status (-1 when it could not be learnt)
    Killed,      // ended by a signal; `code` is its number
    TimedOut,    // stopped after the time limit
    Cancelled,   // stopped because the run was cancelled
};
struct ToolOutcome {
    ToolEnd end = ToolEnd::NoProgram;
    int code = 0;
};

// Runs the program in a process group of its own and waits for it, reading its output, within
// the time limit. Whatever happens, nothing of the group is left running afterwards.
ToolOutcome runTool(const ToolRun& run);

// What runs a ToolRun: runTool, or the external tool's helper process.
using ToolRunner = std::function<ToolOutcome(const ToolRun&)>;

// runTool (or `runner`) for the external tool, logged: `commandLine` is the text form the
// caller logged; the runner writes "Commencing processing..." first, the tool's output (each
// piece cut at a NUL), a line for a tool that could not start, crashed or ran out of time,
// and the three closing lines on every path. Returns how the tool ended.
ToolOutcome RunCommandCaptured(const QString& commandLine, const QStringList& arguments,
                               const QString& workingFolder, CommandLog& log,
                               std::chrono::milliseconds timeLimit,
                               const std::function<void()>& keepUiAlive,
                               const QStringList& environment = {},
                               const ToolRunner& runner = runTool,
                               const std::function<bool()>& cancelled = {});

}  // namespace pixmorrow

#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
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

// Runs `arguments[0]` with the rest of `arguments` directly (never through a shell) in
// `workingFolder`, standard input shared with this process, standard output and error
// captured together into `log` as they arrive. `commandLine` is the text form the caller
// logged; the runner writes "Commencing processing..." first and the three closing lines on
// every path. A tool still running after `timeLimit` is killed with its whole process group.
// `keepUiAlive` is called while waiting, so the window can repaint.
void RunCommandCaptured(const QString& commandLine, const QStringList& arguments,
                        const QString& workingFolder, CommandLog& log,
                        std::chrono::milliseconds timeLimit,
                        const std::function<void()>& keepUiAlive);

}  // namespace pixmorrow

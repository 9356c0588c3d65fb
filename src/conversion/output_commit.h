#pragma once

#include <QString>

namespace pixmorrow {

// A hidden file name in the output folder that a route writes the output under, so a
// half-written file never carries the output's name. It keeps the output's extension, since
// the external tool picks the format by it. The file, if any, is removed unless committed.
class TemporaryOutput {
public:
    TemporaryOutput(const QString& outputFolder, const QString& extension);
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    const QString& path() const { return path_; }

    // Moves what the route wrote to `wanted`, never replacing a file: when another file took
    // that name meanwhile, the next free name of its series is used. Returns the name used;
    // empty when the route wrote nothing (no file, or an empty one, which is then removed).
    QString commit(const QString& wanted);

private:
    QString path_;
    bool committed_ = false;
};

// Renames `from` to `to` unless something exists at `to`; false (errno EEXIST) then.
// Throws Error on any other failure.
bool renameWithoutReplacing(const QString& from, const QString& to);

}  // namespace pixmorrow

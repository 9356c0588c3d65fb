#pragma once

#include <QString>
#include <QStringList>

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

    // Moves what the route wrote to `output`, never replacing a file: when another file took
    // that name meanwhile, the next free name of the series of `wanted` is used. Returns the
    // names used; empty when the route wrote nothing (no file, or an empty one, which is then
    // removed). The external tool writes a picture with several frames into a format that
    // holds one as numbered files ("-0", "-1" before the extension); those become the frame
    // files of `wanted`'s name ("a-0.png", "a-1.png"), each in a free name as well.
    QStringList commit(const QString& output, const QString& wanted);

private:
    QString path_;
    bool committed_ = false;
};

// The name the external tool gives frame `n` of a file: "-n" before the extension.
QString frameFileName(const QString& name, int n);

// Renames `from` to `to` unless something exists at `to`; false (errno EEXIST) then.
// Throws Error on any other failure.
bool renameWithoutReplacing(const QString& from, const QString& to);

}  // namespace pixmorrow

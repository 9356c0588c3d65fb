#pragma once

#include <QString>

namespace pixmorrow {

// A run's private folder for intermediate files, made under a name nobody else had
// (".pixmorrow-run-XXXXXX", owner-only) inside the settings folder, with one folder per
// worker ("w0/", "w1/" ...). Removed with everything in it when the object goes, whichever
// way the run ended, so two runs (or two copies of the program) never share a file name.
class RunFolder {
public:
    // Throws Error when a folder cannot be made.
    RunFolder(const QString& parent, int workers);
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    const QString& path() const { return path_; }
    // Worker `index`'s folder, with its trailing "/".
    QString workerFolder(int index) const;

private:
    QString path_;
};

}  // namespace pixmorrow

#pragma once

#include "cli/file_report.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace pixmorrow::cli {

// The files a command line names, as the window's queue would take them.
struct BatchSources {
    QStringList queue;                // absolute paths, in the order met
    QStringList scanRoots;            // for each of `queue`, the folder scanned; empty if named
    std::vector<FileReport> refused;  // named paths that cannot be converted, with why
};

// A folder is scanned as Add Folder does (its subfolders too when `recursive`), its files of
// unsupported extensions skipped; a named file must exist and have a supported extension,
// else it is refused. Relative paths are taken against the working folder.
BatchSources collectSources(const QStringList& paths, bool recursive);

}  // namespace pixmorrow::cli

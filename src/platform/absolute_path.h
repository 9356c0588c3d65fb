#pragma once

#include <QString>
#include <QStringList>

namespace pixmorrow {

// `path` as an absolute path against this process's working folder, taken where a path enters
// the program (command line, drop, destination field): the external tool runs in a folder of
// its own, where a relative name means something else. Absolute and empty paths come back
// unchanged; nothing is resolved ("link/.." keeps its meaning).
QString absolutePath(const QString& path);
QStringList absolutePaths(const QStringList& paths);

}  // namespace pixmorrow

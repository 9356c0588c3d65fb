#include "platform/absolute_path.h"

#include <QDir>

namespace pixmorrow {

QString absolutePath(const QString& path) {
    if (path.isEmpty() || path.startsWith(u'/'))
        return path;
    const QString folder = QDir::currentPath();
    if (folder.isEmpty())
        return path;  // a working folder that is gone; the path then fails where it is used
    QStringView rest(path);
    while (rest.startsWith(QLatin1String("./")))
        rest = rest.sliced(2);
    if (rest == u'.')
        return folder;
    return (folder.endsWith(u'/') ? folder : folder + u'/') + rest.toString();
}

QStringList absolutePaths(const QStringList& paths) {
    QStringList result;
    result.reserve(paths.size());
    for (const QString& path : paths)
        result << absolutePath(path);
    return result;
}

}  // namespace pixmorrow

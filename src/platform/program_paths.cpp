#include "platform/program_paths.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace pixmorrow {

QString executablePath() {
    char buffer[PATH_MAX + 1];
    ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) {
        return {};
    }
    buffer[n] = '\0';
    return QString::fromLocal8Bit(buffer, n);
}

QString programFolder() {
    QByteArray overridden = qgetenv("PIXMORROW_PROGRAM_DIR");
    if (!overridden.isEmpty()) {
        return QDir::cleanPath(QString::fromLocal8Bit(overridden));
    }
    return QFileInfo(executablePath()).absolutePath();
}

QString roamingAppDataFolder() {
    QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    if (!xdg.isEmpty()) {
        return QDir::cleanPath(QString::fromLocal8Bit(xdg));
    }
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty()) {
        return {};
    }
    return QDir::cleanPath(QString::fromLocal8Bit(home) + QStringLiteral("/.config"));
}

QString runtimeFolder() {
    QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(QString::fromLocal8Bit(runtime)).isDir()) {
        return QDir::cleanPath(QString::fromLocal8Bit(runtime));
    }
    return QDir::tempPath();
}

QString withTrailingSeparator(const QString& folder) {
    if (folder.endsWith(u'/')) {
        return folder;
    }
    return folder + u'/';
}

}  // namespace pixmorrow

#include "platform/qt_shell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace pixmorrow {

namespace {

// Asks the desktop's file manager (org.freedesktop.FileManager1) to act on one file.
bool callFileManager(const QString& method, const QString& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                       QStringLiteral("org.freedesktop.FileManager1"), method);
    call << QStringList{QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString()}
         << QString();
    QDBusMessage reply = bus.call(call, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

bool QtShell::openUrl(const QString& url) {
    // False when the desktop has no launcher at all, which Qt only tells on standard error.
    return QDesktopServices::openUrl(QUrl(url));
}

bool QtShell::openPath(const QString& path) {
    // A launcher started on a missing path fails later, where no one hears of it.
    if (!QFileInfo::exists(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtShell::showItemProperties(const QString& path) {
    return callFileManager(QStringLiteral("ShowItemProperties"), path) ||
           openPath(QFileInfo(path).absolutePath());
}

bool QtShell::showItemInFileManager(const QString& path) {
    return callFileManager(QStringLiteral("ShowItems"), path) ||
           openPath(QFileInfo(path).absolutePath());
}

bool QtShell::startDetached(const QString& program, const QStringList& arguments,
                            const QString& workingFolder) {
    return QProcess::startDetached(program, arguments, workingFolder);
}

}  // namespace pixmorrow

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

void QtShell::openUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

void QtShell::openPath(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtShell::showItemProperties(const QString& path) {
    if (!callFileManager(QStringLiteral("ShowItemProperties"), path)) {
        openPath(QFileInfo(path).absolutePath());
    }
}

void QtShell::showItemInFileManager(const QString& path) {
    if (!callFileManager(QStringLiteral("ShowItems"), path)) {
        openPath(QFileInfo(path).absolutePath());
    }
}

bool QtShell::startDetached(const QString& program, const QStringList& arguments,
                            const QString& workingFolder) {
    return QProcess::startDetached(program, arguments, workingFolder);
}

}  // namespace pixmorrow

// The desktop's shell on a real (virtual) display: it answers whether it could open what it
// was given, so the windows can tell the user when nothing opened it.
#include "platform/qt_shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

// Takes what the desktop would hand to an application.
class Receiver : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl& url) { opened << url.toString(); }
};

TEST(QtShell, AnswersWhetherTheDesktopCouldOpenIt) {
    // A desktop with no launcher at all: none on the path, no browser named.
    QTemporaryDir nothing;
    qputenv("PATH", nothing.path().toLocal8Bit());
    qunsetenv("BROWSER");
    qunsetenv("DEFAULT_BROWSER");
    const QString missing = nothing.filePath(QStringLiteral("missing.png"));
    QtShell shell;
    EXPECT_FALSE(shell.openUrl(QStringLiteral("https://www.maker.test/")));
    EXPECT_FALSE(shell.openPath(nothing.path()));
    EXPECT_FALSE(shell.openPath(missing));
    EXPECT_FALSE(shell.showItemInFileManager(missing));

    // With an application for web pages and files.
    Receiver receiver;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &receiver, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &receiver, "open");
    EXPECT_TRUE(shell.openUrl(QStringLiteral("https://www.maker.test/")));
    EXPECT_TRUE(shell.openPath(nothing.path()));
    // No file manager answers here, so the file's folder opens.
    EXPECT_TRUE(shell.showItemInFileManager(missing));
    // A path that is not there is never handed on.
    EXPECT_FALSE(shell.openPath(missing));
    const QString folder = QUrl::fromLocalFile(nothing.path()).toString();
    EXPECT_EQ(receiver.opened,
              (QStringList{QStringLiteral("https://www.maker.test/"), folder, folder}));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

}  // namespace
}  // namespace pixmorrow

#include "qt_shell_test.moc"

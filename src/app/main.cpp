// The process entry: instance marker, application object, main window, event loop.
#include "app/app_form.h"
#include "conversion/routes/codec_library.h"
#include "platform/absolute_path.h"
#include "platform/accessibility.h"
#include "platform/icons.h"
#include "platform/instance_lock.h"
#include "platform/posix_io.h"
#include "platform/program_paths.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_file_dialogs.h"
#include "platform/qt_shell.h"
#include "platform/tick_clock.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    // Learnt before any thread exists; nothing changes it afterwards.
    pixmorrow::posix::processUmask();

    // Every argument is a path; keep them as given, before Qt looks for options of its own,
    // made absolute against the folder the program was started in.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << pixmorrow::absolutePath(QString::fromLocal8Bit(argv[i]));

    QApplication app(argc, argv);
    // Before any window exists, so that screen readers get the program's own interfaces.
    pixmorrow::installAccessibleInterfaces();
    pixmorrow::InstanceLock instance(QStringLiteral("TARNWICK_Pixmorrow"));
    QApplication::setApplicationName(QStringLiteral("Pixmorrow"));
    // The installed desktop entry's name, so desktops tie the windows to its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.tarnwick.pixmorrow"));
    QApplication::setWindowIcon(pixmorrow::applicationIcon());
    // Without a desktop session Qt knows no icon theme; the freedesktop one gives file-type
    // and command icons all the same.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor")) {
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }

    pixmorrow::QtDialogs dialogs;
    // The codec library does the pixel work of most conversions; without it there is no
    // point in opening the window.
    if (!pixmorrow::loadCodecLibraryAtStart(dialogs, pixmorrow::programFolder()))
        return 1;
    pixmorrow::QtFileDialogs fileDialogs;
    pixmorrow::QtShell shell;
    pixmorrow::SteadyTickClock clock;
    pixmorrow::AppServices services{dialogs,
                                    fileDialogs,
                                    shell,
                                    clock,
                                    pixmorrow::executablePath(),
                                    pixmorrow::programFolder(),
                                    arguments};
    pixmorrow::TAppForm form(services);
    form.show();
    return app.exec();
}

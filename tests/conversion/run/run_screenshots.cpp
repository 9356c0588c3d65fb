// Shows a run in the middle and the result window after a cancel, taking a screenshot of the
// screen at each step with ImageMagick's import: the options page with the progress bar and
// Cancel while photos are converted, then the result window once Cancel was clicked through
// the X server (xdotool). Run under a virtual display (tests/conversion/run/run_screenshots.sh).
//   run_screenshots OUTPUT_FOLDER FILE...
#include "app/app_form.h"
#include "conversion/routes/codec_library.h"
#include "conversion/run/result_form.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_file_dialogs.h"
#include "platform/qt_shell.h"
#include "platform/tick_clock.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pixmorrow"));
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() < 2)
        return 2;
    const QString shots = arguments.front();
    const QString programFolder = QStringLiteral(PIXMORROW_SCREENSHOT_PROGRAM_DIR);
    QDir().mkpath(shots + QStringLiteral("/converted"));

    pixmorrow::QtDialogs dialogs;
    if (!pixmorrow::loadCodecLibraryAtStart(dialogs, programFolder))
        return 1;
    pixmorrow::QtFileDialogs fileDialogs;
    pixmorrow::QtShell shell;
    pixmorrow::SteadyTickClock clock;
    pixmorrow::AppServices services{
        dialogs,       fileDialogs,     shell, clock, programFolder + QStringLiteral("/pixmorrow"),
        programFolder, arguments.mid(1)};
    pixmorrow::TAppForm form(services);
    form.show();

    const auto snap = [&](const QString& name) {
        QApplication::processEvents();
        QProcess::execute(QStringLiteral("import"),
                          {QStringLiteral("-window"), QStringLiteral("root"), shots + u'/' + name});
    };
    const auto clickThroughX = [](QWidget* widget) {
        const QPoint centre = widget->mapToGlobal(widget->rect().center());
        QProcess::execute(
            QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y()),
             QStringLiteral("click"), QStringLiteral("1")});
    };
    QTimer::singleShot(1500, &form, [&] {
        form.ButtonNextClick();
        form.ComboBoxDestination->setCurrentText(shots + QStringLiteral("/converted"));
    });
    QElapsedTimer sinceCancel;
    QTimer::singleShot(2500, &form, [&] {
        form.showResultForm = [&](pixmorrow::TFormResult& result) {
            if (sinceCancel.isValid())
                std::fprintf(stderr, "result window %lld ms after Cancel\n",
                             static_cast<long long>(sinceCancel.elapsed()));
            QTimer::singleShot(1000, &result, [&] {
                snap(QStringLiteral("after-cancel.png"));
                result.accept();
            });
            result.exec();
        };
        // A few files into the run: the picture, then Cancel pressed as a user presses it.
        QTimer::singleShot(6000, &form, [&] { snap(QStringLiteral("mid-run.png")); });
        QTimer::singleShot(7000, &form, [&] {
            sinceCancel.start();
            clickThroughX(form.ButtonProcess);
        });
        clickThroughX(form.ButtonProcess);
    });
    QTimer::singleShot(60000, &form, [] { QApplication::exit(1); });
    QTimer watch;
    watch.setInterval(200);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        static bool seenRun = false;
        if (form.runGoingOn())
            seenRun = true;
        else if (seenRun && !QApplication::activeModalWidget())
            QApplication::quit();
    });
    watch.start();
    return app.exec();
}

// Shows the options page over a queue of the files given, then runs the conversion into a
// folder and shows its result window, taking a screenshot of the screen at each step with
// ImageMagick's import. Run under a virtual display (tests/conversion/run/screenshots.sh).
//   conversion_screenshots OUTPUT_FOLDER FILE...
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
#include <QProcess>
#include <QTimer>

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
    QTimer::singleShot(1500, &form, [&] {
        form.ButtonNextClick();
        form.ComboBoxDestination->setCurrentText(shots + QStringLiteral("/converted"));
    });
    QTimer::singleShot(3000, &form, [&] { snap(QStringLiteral("options.png")); });
    QTimer::singleShot(3500, &form, [&] {
        form.showResultForm = [&](pixmorrow::TFormResult& result) {
            QTimer::singleShot(1500, &result, [&] {
                snap(QStringLiteral("result.png"));
                result.accept();
            });
            result.exec();
        };
        form.ButtonProcessClick();
        QApplication::quit();
    });
    return app.exec();
}

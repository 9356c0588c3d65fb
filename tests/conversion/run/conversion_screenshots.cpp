// Shows the options page over a queue of the files given, then runs the conversion into a
// folder and shows its result window, taking a screenshot of the screen at each step with
// ImageMagick's import. Run under a virtual display (tests/conversion/run/screenshots.sh).
//   conversion_screenshots OUTPUT_FOLDER FILE...
#include "conversion/run/result_form.h"
#include "screenshot_window.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    pixmorrow::testing::ScreenshotWindow window(argc, argv);
    if (window.startFailure() != 0)
        return window.startFailure();
    pixmorrow::TAppForm& form = window.form();
    window.openOptionsAfter(1500);
    QTimer::singleShot(3000, &form, [&] { window.snap(QStringLiteral("options.png")); });
    QTimer::singleShot(3500, &form, [&] {
        form.showResultForm = [&](pixmorrow::TFormResult& result) {
            QTimer::singleShot(1500, &result, [&] {
                window.snap(QStringLiteral("result.png"));
                result.accept();
            });
            result.exec();
        };
        form.ButtonProcessClick();
        QApplication::quit();
    });
    return window.exec();
}

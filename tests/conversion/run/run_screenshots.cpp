// Shows a run in the middle and the result window after a cancel, taking a screenshot of the
// screen at each step with ImageMagick's import: the options page with the progress bar and
// Cancel while photos are converted, then the result window once Cancel was clicked through
// the X server (xdotool). Run under a virtual display (tests/conversion/run/run_screenshots.sh).
//   run_screenshots OUTPUT_FOLDER FILE...
#include "conversion/run/result_form.h"
#include "screenshot_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    pixmorrow::testing::ScreenshotWindow window(argc, argv);
    if (window.startFailure() != 0)
        return window.startFailure();
    pixmorrow::TAppForm& form = window.form();
    const auto clickThroughX = [](QWidget* widget) {
        const QPoint centre = widget->mapToGlobal(widget->rect().center());
        QProcess::execute(
            QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y()),
             QStringLiteral("click"), QStringLiteral("1")});
    };
    window.openOptionsAfter(1500);
    QElapsedTimer sinceCancel;
    QTimer::singleShot(2500, &form, [&] {
        form.showResultForm = [&](pixmorrow::TFormResult& result) {
            if (sinceCancel.isValid())
                std::fprintf(stderr, "result window %lld ms after Cancel\n",
                             static_cast<long long>(sinceCancel.elapsed()));
            QTimer::singleShot(1000, &result, [&] {
                window.snap(QStringLiteral("after-cancel.png"));
                result.accept();
            });
            result.exec();
        };
        // A few files into the run: the picture, then Cancel pressed as a user presses it.
        QTimer::singleShot(6000, &form, [&] { window.snap(QStringLiteral("mid-run.png")); });
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
    return window.exec();
}

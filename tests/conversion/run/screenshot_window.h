#pragma once

// What the screenshot drivers share: the application, the main window over the files of their
// command line (OUTPUT_FOLDER FILE...) with the real dialogs, shell and clock, and a picture of
// the whole screen taken with ImageMagick's import.

#include "app/app_form.h"
#include "conversion/routes/codec_library.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_file_dialogs.h"
#include "platform/qt_shell.h"
#include "platform/tick_clock.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QTimer>

#include <memory>

namespace pixmorrow::testing {

class ScreenshotWindow {
public:
    // Reads the command line; startFailure() tells whether the window is there.
    ScreenshotWindow(int& argc, char** argv)
        : app_(argc, argv), programFolder_(QStringLiteral(PIXMORROW_SCREENSHOT_PROGRAM_DIR)) {
        QApplication::setApplicationName(QStringLiteral("Pixmorrow"));
        const QStringList arguments = app_.arguments().mid(1);
        if (arguments.size() < 2) {
            failure_ = 2;
            return;
        }
        shots_ = arguments.front();
        QDir().mkpath(converted());
        if (!loadCodecLibraryAtStart(dialogs_, programFolder_)) {
            failure_ = 1;
            return;
        }
        services_ = std::make_unique<AppServices>(AppServices{
            dialogs_, fileDialogs_, shell_, clock_, programFolder_ + QStringLiteral("/pixmorrow"),
            programFolder_, arguments.mid(1)});
        form_ = std::make_unique<TAppForm>(*services_);
        form_->show();
    }

    // The exit code of a start that failed (2: too few arguments, 1: no codec library), else 0.
    int startFailure() const { return failure_; }
    TAppForm& form() { return *form_; }
    // The folder the run writes into.
    QString converted() const { return shots_ + QStringLiteral("/converted"); }

    void snap(const QString& name) {
        QApplication::processEvents();
        QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"),
                                                     QStringLiteral("root"), shots_ + u'/' + name});
    }

    // After `ms`, the options page with the converted folder as the destination.
    void openOptionsAfter(int ms) {
        QTimer::singleShot(ms, form_.get(), [this] {
            form_->ButtonNextClick();
            form_->ComboBoxDestination->setCurrentText(converted());
        });
    }

    // The event loop, until the driver quits it.
    int exec() { return app_.exec(); }

private:
    QApplication app_;
    QString programFolder_;
    QString shots_;
    int failure_ = 0;
    QtDialogs dialogs_;
    QtFileDialogs fileDialogs_;
    QtShell shell_;
    SteadyTickClock clock_;
    std::unique_ptr<AppServices> services_;
    std::unique_ptr<TAppForm> form_;
};

}  // namespace pixmorrow::testing

#pragma once

#include "app/app_form.h"
#include "support/fake_clock.h"
#include "support/recording_dialogs.h"
#include "support/recording_file_dialogs.h"
#include "support/recording_shell.h"
#include "support/test_paths.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace pixmorrow::testing {

// A main window over recording services, started from the built executable's identity, with
// a program folder of its own so settings and temporary files stay in the test's folder.
class AppFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("PIXMORROW_PROGRAM_DIR", programDir.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
        // The update check's timer may fire during a test: keep it off the network (nothing
        // listens on this port, so it fails at once).
        qputenv("PIXMORROW_SERVICE_HOST", "127.0.0.1:9");
    }

    TAppForm& form(QStringList arguments = {}) {
        if (!form_) {
            AppServices services{
                dialogs,           fileDialogs,         shell, clock, builtExecutable(),
                programDir.path(), std::move(arguments)};
            form_ = std::make_unique<TAppForm>(services);
        }
        return *form_;
    }

    QTemporaryDir programDir;
    QTemporaryDir configDir;
    RecordingDialogs dialogs;
    RecordingFileDialogs fileDialogs;
    RecordingShell shell;
    FakeClock clock;

private:
    std::unique_ptr<TAppForm> form_;
};

}  // namespace pixmorrow::testing

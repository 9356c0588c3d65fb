#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>

namespace pixmorrow::testing {

// Closes a modal window that is still open `limit` after it was armed, and fails the test:
// a test whose answer to a modal window never arrives would otherwise wait in that window's
// event loop until ctest gives up, and report nothing useful.
class ModalWatchdog {
public:
    explicit ModalWatchdog(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        // Repeats, so nested modal windows are closed one after the other.
        QObject::connect(&timer_, &QTimer::timeout, [] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            ADD_FAILURE() << "the modal window \"" << modal->windowTitle().toStdString()
                          << "\" was never answered";
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->done(0);
            } else {
                modal->close();
            }
        });
        timer_.start(limit);
    }

private:
    QTimer timer_;
};

}  // namespace pixmorrow::testing

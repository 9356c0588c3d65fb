#pragma once

#include "conversion/run/conversion_run.h"

#include <functional>

class QAbstractEventDispatcher;
class QComboBox;
class QLabel;
class QProgressBar;
class QTabWidget;
class QWidget;

namespace pixmorrow {

// The main window's side of a run: the status panel, the progress bar, the destination's
// focus and the queue page. The window's thread waits for the workers in its own event loop
// (EventLoopWaiter), so every change shows at once.
class WindowRunReporter final : public RunReporter {
public:
    WindowRunReporter(QLabel* statusPanel, QProgressBar* progressBar, QComboBox* destination,
                      QTabWidget* pages, QWidget* queuePage);

    void statusText(const QString& text) override;
    // The bar shows the files done before file `index`, of `count`; hidden for (0, 0).
    void progress(std::int64_t index, std::int64_t count) override;
    void focusDestination() override;
    void showQueuePage() override;

    // Called with true when the first file starts (the preconditions passed) and with false
    // when the run is over.
    std::function<void(bool)> runGoesOn;

private:
    bool going_ = false;
    QLabel* statusPanel_;
    QProgressBar* progressBar_;
    QComboBox* destination_;
    QTabWidget* pages_;
    QWidget* queuePage_;
};

// Waits in the calling thread's event loop: the window repaints, moves, resizes, answers
// accessibility and takes input (a Cancel) while the workers convert.
class EventLoopWaiter final : public RunWaiter {
public:
    EventLoopWaiter();

    void waitUntil(const std::function<bool()>& done) override;
    void wake() override;

private:
    QAbstractEventDispatcher* dispatcher_;
};

}  // namespace pixmorrow

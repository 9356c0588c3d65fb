#include "conversion/run/run_window.h"

#include <QAbstractEventDispatcher>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace pixmorrow {

namespace {

int clampedToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<int>::max()));
}

}  // namespace

WindowRunReporter::WindowRunReporter(QLabel* statusPanel, QProgressBar* progressBar,
                                     QComboBox* destination, QTabWidget* pages, QWidget* queuePage)
    : statusPanel_(statusPanel),
      progressBar_(progressBar),
      destination_(destination),
      pages_(pages),
      queuePage_(queuePage) {
    // The status names the file being converted: never read as markup.
    statusPanel_->setTextFormat(Qt::PlainText);
}

void WindowRunReporter::statusText(const QString& text) {
    statusPanel_->setText(text);
}

void WindowRunReporter::progress(std::int64_t index, std::int64_t count) {
    if (going_ != (count != 0)) {
        going_ = count != 0;
        if (runGoesOn)
            runGoesOn(going_);
    }
    if (!progressBar_)
        return;
    if (count == 0) {
        progressBar_->reset();
        progressBar_->hide();
        return;
    }
    progressBar_->setRange(0, clampedToInt(count));
    progressBar_->setValue(clampedToInt(index - 1));
    progressBar_->show();
}

void WindowRunReporter::focusDestination() {
    destination_->setFocus();
}

void WindowRunReporter::showQueuePage() {
    pages_->setCurrentWidget(queuePage_);
}

EventLoopWaiter::EventLoopWaiter()
    : dispatcher_(QAbstractEventDispatcher::instance(QThread::currentThread())) {}

void EventLoopWaiter::waitUntil(const std::function<bool()>& done) {
    // A wake between the check and the wait is not lost: it makes the wait return at once.
    // The timer asks again now and then, for conditions that include a time.
    QTimer tick;
    tick.start(50);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void EventLoopWaiter::wake() {
    if (dispatcher_)
        dispatcher_->wakeUp();
}

}  // namespace pixmorrow

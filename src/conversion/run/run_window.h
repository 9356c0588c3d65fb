#pragma once

#include "conversion/run/conversion_run.h"

#include <QObject>
#include <QPointer>

class QComboBox;
class QLabel;
class QTabWidget;
class QWidget;

namespace pixmorrow {

// Keeps user input away from one window while a run holds the event loop, so the window
// can repaint between files without taking clicks, keys or drops meant for it. Windows of
// their own (message boxes and dialogs raised during the run, even when the blocked window
// is their parent) still take input; the blocked window's menus and shortcuts do not.
class RunInputBlocker final : public QObject {
public:
    explicit RunInputBlocker(QWidget* window);
    ~RunInputBlocker() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
};

// The main window's side of a run: the status panel, the progress panel, the destination's
// focus and the queue page. After each change the window repaints, without taking input.
class WindowRunReporter final : public RunReporter {
public:
    WindowRunReporter(QLabel* statusPanel, QLabel* progressPanel, QComboBox* destination,
                      QTabWidget* pages, QWidget* queuePage);

    void statusText(const QString& text) override;
    void progress(std::int64_t index, std::int64_t count) override;
    void focusDestination() override;
    void showQueuePage() override;

private:
    void repaint();

    QLabel* statusPanel_;
    QLabel* progressPanel_;
    QComboBox* destination_;
    QTabWidget* pages_;
    QWidget* queuePage_;
};

// "file 3 of 10"; empty for (0, 0).
QString progressText(std::int64_t index, std::int64_t count);

}  // namespace pixmorrow

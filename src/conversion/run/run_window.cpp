#include "conversion/run/run_window.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QTabWidget>

namespace pixmorrow {

namespace {

bool isInputEvent(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

// The window an input event for `watched` belongs to: its own top-level widget, or for a popup
// (a menu, a combo's list) the window that opened it. Objects that are not widgets (actions,
// shortcuts) belong to the nearest widget among their parents.
QWidget* owningWindow(QObject* watched) {
    QObject* object = watched;
    while (object && !object->isWidgetType())
        object = object->parent();
    auto* widget = static_cast<QWidget*>(object);
    while (widget) {
        QWidget* window = widget->window();
        if (!window->windowFlags().testFlag(Qt::Popup) || !window->parentWidget())
            return window;
        widget = window->parentWidget();
    }
    return nullptr;
}

}  // namespace

RunInputBlocker::RunInputBlocker(QWidget* window) : window_(window) {
    qApp->installEventFilter(this);
}

RunInputBlocker::~RunInputBlocker() {
    qApp->removeEventFilter(this);
}

bool RunInputBlocker::eventFilter(QObject* watched, QEvent* event) {
    if (!window_ || !isInputEvent(event->type()))
        return false;
    // Only the blocked window itself: a message box or any other dialog opened during the run
    // is a window of its own, even when the blocked window is its parent, and takes input.
    return owningWindow(watched) == window_.data();
}

QString progressText(std::int64_t index, std::int64_t count) {
    if (count == 0)
        return QString();
    return QStringLiteral("file %1 of %2").arg(index).arg(count);
}

WindowRunReporter::WindowRunReporter(QLabel* statusPanel, QLabel* progressPanel,
                                     QComboBox* destination, QTabWidget* pages, QWidget* queuePage)
    : statusPanel_(statusPanel),
      progressPanel_(progressPanel),
      destination_(destination),
      pages_(pages),
      queuePage_(queuePage) {
    // The status names the file being converted: never read as markup.
    statusPanel_->setTextFormat(Qt::PlainText);
}

void WindowRunReporter::statusText(const QString& text) {
    statusPanel_->setText(text);
    repaint();
}

void WindowRunReporter::progress(std::int64_t index, std::int64_t count) {
    if (progressPanel_)
        progressPanel_->setText(progressText(index, count));
    repaint();
}

void WindowRunReporter::focusDestination() {
    destination_->setFocus();
}

void WindowRunReporter::showQueuePage() {
    pages_->setCurrentWidget(queuePage_);
}

void WindowRunReporter::repaint() {
    // Paint and layout only; input stays queued, and the caller drains it into the blocker
    // when the run is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace pixmorrow

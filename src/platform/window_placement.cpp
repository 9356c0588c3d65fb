#include "platform/window_placement.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace pixmorrow {

void centerOnScreen(QWidget& window, const QWidget* near) {
    if (const QScreen* screen = near ? near->screen() : QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

void setLeastSize(QWidget& widget, const QSize& design) {
    widget.ensurePolished();
    const QSize hint = widget.sizeHint();
    widget.setMinimumSize(design.width() > 0 ? std::max(design.width(), hint.width()) : 0,
                          design.height() > 0 ? std::max(design.height(), hint.height()) : 0);
}

void fixSizeToFit(QWidget& window, const QSize& design) {
    window.ensurePolished();
    // Until a window is first shown, a text that changes does not reach the layouts' cached
    // sizes.
    for (QLayout* layout : window.findChildren<QLayout*>())
        layout->invalidate();
    QSize size = design.expandedTo(window.minimumSizeHint());
    if (const QLayout* layout = window.layout(); layout && layout->hasHeightForWidth())
        size.setHeight(std::max(size.height(), layout->totalHeightForWidth(size.width())));
    window.setFixedSize(size);
}

}  // namespace pixmorrow

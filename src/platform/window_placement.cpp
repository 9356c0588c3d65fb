#include "platform/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace pixmorrow {

void centerOnScreen(QWidget& window, const QWidget* near) {
    if (const QScreen* screen = near ? near->screen() : QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

}  // namespace pixmorrow

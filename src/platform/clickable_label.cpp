#include "platform/clickable_label.h"

#include <QColor>
#include <QMouseEvent>

namespace pixmorrow {

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) {}

void ClickableLabel::showAsLink(const QColor& colour) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette coloured = palette();
    coloured.setColor(QPalette::WindowText, colour);
    setPalette(coloured);
    setCursor(Qt::PointingHandCursor);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void ClickableLabel::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

}  // namespace pixmorrow

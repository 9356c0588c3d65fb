#include "platform/clickable_label.h"

#include "platform/accessibility.h"

#include <QColor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace pixmorrow {

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) {
    installAccessibleInterfaces();
    // Links show versions and addresses from the network: never read as markup.
    setTextFormat(Qt::PlainText);
}

void ClickableLabel::showAsLink(const QColor& colour) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette coloured = palette();
    coloured.setColor(QPalette::WindowText, colour);
    setPalette(coloured);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void ClickableLabel::activate() {
    emit clicked();
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

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
    const bool opens = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                       event->key() == Qt::Key_Space;
    if (focusPolicy() == Qt::NoFocus || !opens || event->modifiers() != Qt::NoModifier) {
        QLabel::keyPressEvent(event);
        return;
    }
    // Taken here, so that a dialog's default button does not answer Enter as well.
    event->accept();
    if (!event->isAutoRepeat())
        emit clicked();
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The focus frame hugs the text, wherever the label's alignment puts it.
    const QSize textSize = fontMetrics().size(Qt::TextSingleLine, text()) + QSize(6, 2);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = QStyle::alignedRect(layoutDirection(), alignment(),
                                      textSize.boundedTo(contentsRect().size()), contentsRect());
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

}  // namespace pixmorrow

#pragma once

#include <QLabel>

class QColor;
class QKeyEvent;
class QMouseEvent;
class QPaintEvent;

namespace pixmorrow {

// A label that acts on a click: `clicked` comes when the left button is released over it.
// It keeps every mouse event to itself, so pressing on it neither drags its window nor
// reaches the widgets under it. Screen readers see it as a link.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget* parent = nullptr);

    // The look of a link: the current font underlined, the text in `colour`, the pointing
    // hand over it. A link also takes the focus from the keyboard and opens with Enter or
    // Space.
    void showAsLink(const QColor& colour);

    // What a click does, for the keyboard and for screen readers.
    void activate();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace pixmorrow

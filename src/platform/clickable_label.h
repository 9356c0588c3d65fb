#pragma once

#include <QLabel>

class QColor;
class QMouseEvent;

namespace pixmorrow {

// A label that acts on a click: `clicked` comes when the left button is released over it.
// It keeps every mouse event to itself, so pressing on it neither drags its window nor
// reaches the widgets under it.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget* parent = nullptr);

    // The look of a link: the current font underlined, the text in `colour`, the pointing
    // hand over it.
    void showAsLink(const QColor& colour);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace pixmorrow

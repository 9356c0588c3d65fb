#pragma once

#include <QLabel>

namespace pixmorrow {

// A one-line label that cuts a text too long for it in the middle, where a path's folders
// are, and shows the whole text as its tooltip. It asks for no width of its own, so a long
// text never widens its window. text() is the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The text as it is drawn at the label's width.
    QString shownText() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace pixmorrow

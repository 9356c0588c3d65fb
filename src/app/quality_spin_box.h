#pragma once

#include <QSpinBox>

namespace pixmorrow {

// The quality field. Like the classic spin edit it lets the user type any number, also one
// out of range (each keystroke is stored as typed); leaving the field sets an out-of-range
// number to the nearest bound and an empty field to the minimum.
class QualitySpinBox final : public QSpinBox {
    Q_OBJECT
public:
    explicit QualitySpinBox(QWidget* parent = nullptr);

signals:
    // Every change of the text shown, whether typed, stepped, set by the program or set by
    // leaving the field. QSpinBox alone tells neither of typed out-of-range text nor of a
    // text put back to the same value.
    void fieldTextChanged(const QString& text);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

private:
    void noticeText();

    QString shown_;
};

}  // namespace pixmorrow

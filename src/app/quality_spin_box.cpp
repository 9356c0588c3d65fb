#include "app/quality_spin_box.h"

#include <QLineEdit>

#include <algorithm>

namespace pixmorrow {

namespace {
bool allDigits(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}
}  // namespace

QualitySpinBox::QualitySpinBox(QWidget* parent) : QSpinBox(parent), shown_(lineEdit()->text()) {
    // Typing reaches the editor's signal; values the box sets itself (arrows, setValue, the
    // correction on leaving) are written with the editor's signals blocked, so they are
    // picked up from the box's own signals.
    connect(lineEdit(), &QLineEdit::textChanged, this, &QualitySpinBox::noticeText);
    connect(this, &QSpinBox::textChanged, this, &QualitySpinBox::noticeText);
    connect(this, &QSpinBox::editingFinished, this, &QualitySpinBox::noticeText);
}

void QualitySpinBox::noticeText() {
    const QString text = lineEdit()->text();
    if (text == shown_)
        return;
    shown_ = text;
    emit fieldTextChanged(text);
}

QValidator::State QualitySpinBox::validate(QString& input, int& pos) const {
    const QValidator::State state = QSpinBox::validate(input, pos);
    if (state == QValidator::Acceptable)
        return state;
    // Digits only, however many: the number is settled when the field is left.
    return allDigits(input) ? QValidator::Intermediate : QValidator::Invalid;
}

void QualitySpinBox::fixup(QString& input) const {
    if (input.isEmpty() || !allDigits(input)) {
        input = QString::number(minimum());
        return;
    }
    // Beyond the range of a number (say 99999999999999999999) is above the maximum as well.
    bool ok = false;
    const qlonglong number = input.toLongLong(&ok);
    const int value =
        ok ? static_cast<int>(std::clamp<qlonglong>(number, minimum(), maximum())) : maximum();
    input = QString::number(value);
}

}  // namespace pixmorrow

#include "platform/qt_dialogs.h"

#include "platform/mnemonics.h"
#include "platform/override_cursor.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <array>
#include <utility>
#include <vector>

namespace pixmorrow {

namespace {

struct ButtonKind {
    DialogButton button;
    QMessageBox::StandardButton standard;
    int result;
};

// The standard order of the dialog's buttons.
constexpr std::array<ButtonKind, 12> kButtonOrder = {{
    {ButtonYes, QMessageBox::Yes, ResultYes},
    {ButtonNo, QMessageBox::No, ResultNo},
    {ButtonOK, QMessageBox::Ok, ResultOK},
    {ButtonCancel, QMessageBox::Cancel, ResultCancel},
    {ButtonAbort, QMessageBox::Abort, ResultAbort},
    {ButtonRetry, QMessageBox::Retry, ResultRetry},
    {ButtonIgnore, QMessageBox::Ignore, ResultIgnore},
    {ButtonAll, QMessageBox::NoButton, ResultAll},
    {ButtonNoToAll, QMessageBox::NoToAll, ResultNoToAll},
    {ButtonYesToAll, QMessageBox::YesToAll, ResultYesToAll},
    {ButtonHelp, QMessageBox::Help, ResultHelp},
    {ButtonClose, QMessageBox::Close, ResultClose},
}};

// Qt's icon for each MessageIcon, in the enum's order.
constexpr std::array<QMessageBox::Icon, 5> kBoxIcons = {
    QMessageBox::NoIcon, QMessageBox::Information, QMessageBox::Warning, QMessageBox::Critical,
    QMessageBox::Question};

// The icon each DialogKind shows, in the enum's order.
constexpr std::array<MessageIcon, 5> kKindIcons = {MessageIcon::Warning, MessageIcon::Error,
                                                   MessageIcon::Information, MessageIcon::Question,
                                                   MessageIcon::None};

QMessageBox::Icon boxIcon(MessageIcon icon) {
    return kBoxIcons.at(static_cast<std::size_t>(icon));
}

QMessageBox::Icon kindIcon(DialogKind kind) {
    return boxIcon(kKindIcons.at(static_cast<std::size_t>(kind)));
}

const char* const kResultProperty = "pixmorrowResult";

}  // namespace

QString withLineBreaks(const QString& text) {
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(u'\r', u'\n');
    return out;
}

void QtDialogs::showMessage(const QString& text, const QString& title, MessageIcon icon) {
    QMessageBox box(boxIcon(icon), title, withLineBreaks(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    // Texts name files and carry the tool's and the service's words: never read as markup.
    box.setTextFormat(Qt::PlainText);
    // A box that waits for the user shows the plain arrow, even while a run has set the busy
    // cursor for the whole application; the run's cursor comes back when the box closes.
    const OverrideCursor arrow(Qt::ArrowCursor, OverrideCursor::OverAnother);
    box.exec();
}

QMessageBox* createCaptionedMessageBox(const QString& message, DialogKind kind,
                                       DialogButtons buttons, const QStringList& captions,
                                       const QString& title) {
    auto* box = new QMessageBox(kindIcon(kind), title, withLineBreaks(message),
                                QMessageBox::NoButton, QApplication::activeWindow());
    box->setTextFormat(Qt::PlainText);  // as above
    qsizetype captionIndex = 0;
    std::vector<std::pair<QPushButton*, QString>> captioned;
    QString taken;
    for (const ButtonKind& kindOf : kButtonOrder) {
        if ((buttons & kindOf.button) == 0) {
            continue;
        }
        // There is no standard "All" button in Qt; it gets one of its own.
        QPushButton* button = kindOf.standard == QMessageBox::NoButton
                                  ? box->addButton(QStringLiteral("All"), QMessageBox::AcceptRole)
                                  : box->addButton(kindOf.standard);
        if (button == nullptr) {
            continue;
        }
        button->setProperty(kResultProperty, kindOf.result);
        if (captionIndex < captions.size()) {
            captioned.emplace_back(button, captions[captionIndex]);
        } else if (const QChar standard = mnemonicOf(button->text()); !standard.isNull()) {
            taken += standard;
        }
        ++captionIndex;
    }
    // Replaced captions get mnemonics of their own, clear of the standard buttons' ones.
    for (const auto& [button, caption] : captioned) {
        button->setText(withMnemonic(caption, taken));
    }
    // Escape and the close box answer like Cancel, else No, else OK, as the classic dialog's
    // cancel button does.
    for (QMessageBox::StandardButton escape :
         {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok}) {
        if (QAbstractButton* button = box->button(escape)) {
            box->setEscapeButton(button);
            break;
        }
    }
    return box;
}

int captionedMessageBoxResult(QMessageBox* box) {
    QAbstractButton* clicked = box->clickedButton();
    if (clicked == nullptr) {
        return ResultCancel;
    }
    QVariant result = clicked->property(kResultProperty);
    return result.isValid() ? result.toInt() : ResultCancel;
}

int QtDialogs::MessageDlgWithCaptions(const QString& message, DialogKind kind,
                                      DialogButtons buttons, const QStringList& captions,
                                      const QString& title) {
    std::unique_ptr<QMessageBox> box(
        createCaptionedMessageBox(message, kind, buttons, captions, title));
    const OverrideCursor arrow(Qt::ArrowCursor, OverrideCursor::OverAnother);  // as above
    box->exec();
    return captionedMessageBoxResult(box.get());
}

void QtDialogs::beep() {
    QApplication::beep();
}

}  // namespace pixmorrow

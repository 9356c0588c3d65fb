#pragma once

#include "platform/dialogs.h"

class QMessageBox;

namespace pixmorrow {

// The real dialog service: QMessageBox owned by the active window, QApplication::beep().
class QtDialogs final : public Dialogs {
public:
    void showMessage(const QString& text, const QString& title, MessageIcon icon) override;
    int MessageDlgWithCaptions(const QString& message, DialogKind kind, DialogButtons buttons,
                               const QStringList& captions, const QString& title) override;
    void beep() override;
};

// Builds the captioned dialog without showing it, so its buttons can be inspected. The
// buttons are created in the standard order and captioned in that order.
QMessageBox* createCaptionedMessageBox(const QString& message, DialogKind kind,
                                       DialogButtons buttons, const QStringList& captions,
                                       const QString& title);

// The dialog result of the button that closed a box made by createCaptionedMessageBox.
int captionedMessageBoxResult(QMessageBox* box);

// A CR on its own becomes a line break, so texts built with CR show as they should.
QString withLineBreaks(const QString& text);

}  // namespace pixmorrow

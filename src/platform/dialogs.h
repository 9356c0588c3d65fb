#pragma once

#include <QString>
#include <QStringList>

namespace pixmorrow {

// Icon of a plain message box.
enum class MessageIcon { None, Information, Warning, Error, Question };

// Kind of the standard message dialog; picks its icon.
enum class DialogKind { Warning, Error, Information, Confirmation, Custom };

// Standard buttons of the message dialog. They always appear in this order.
enum DialogButton : unsigned {
    ButtonYes = 1u << 0,
    ButtonNo = 1u << 1,
    ButtonOK = 1u << 2,
    ButtonCancel = 1u << 3,
    ButtonAbort = 1u << 4,
    ButtonRetry = 1u << 5,
    ButtonIgnore = 1u << 6,
    ButtonAll = 1u << 7,
    ButtonNoToAll = 1u << 8,
    ButtonYesToAll = 1u << 9,
    ButtonHelp = 1u << 10,
    ButtonClose = 1u << 11,
};
using DialogButtons = unsigned;

// Dialog results, with the values callers compare against.
enum DialogResult : int {
    ResultNone = 0,
    ResultOK = 1,
    ResultCancel = 2,
    ResultAbort = 3,
    ResultRetry = 4,
    ResultIgnore = 5,
    ResultYes = 6,
    ResultNo = 7,
    ResultClose = 8,
    ResultHelp = 9,
    ResultAll = 12,
    ResultNoToAll = 13,
    ResultYesToAll = 14,
};

// Every message box, question and beep goes through this, so tests can record them.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box with one OK button. A CR in the text shows as a line break.
    virtual void showMessage(const QString& text, const QString& title, MessageIcon icon) = 0;

    // The standard message dialog with its title and button captions replaced; captions
    // apply to the buttons in their standard order, extra ones are ignored.
    virtual int MessageDlgWithCaptions(const QString& message, DialogKind kind,
                                       DialogButtons buttons, const QStringList& captions,
                                       const QString& title) = 0;

    // The default system beep.
    virtual void beep() = 0;
};

}  // namespace pixmorrow

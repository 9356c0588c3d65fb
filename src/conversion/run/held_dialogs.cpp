#include "conversion/run/held_dialogs.h"

namespace pixmorrow {

void HeldDialogs::showMessage(const QString& text, const QString& title, MessageIcon icon) {
    if (boxes_ != nullptr)
        boxes_->push_back({HeldBox::Kind::Message, text, title, icon});
}

int HeldDialogs::MessageDlgWithCaptions(const QString& message, DialogKind kind, DialogButtons,
                                        const QStringList&, const QString& title) {
    const MessageIcon icon = kind == DialogKind::Error     ? MessageIcon::Error
                             : kind == DialogKind::Warning ? MessageIcon::Warning
                                                           : MessageIcon::Information;
    showMessage(message, title, icon);
    return ResultNone;
}

void HeldDialogs::beep() {
    if (boxes_ != nullptr)
        boxes_->push_back({HeldBox::Kind::Beep, {}, {}, MessageIcon::None});
}

void replayHeldBoxes(const std::vector<HeldBox>& boxes, Dialogs& dialogs) {
    for (const HeldBox& box : boxes) {
        if (box.kind == HeldBox::Kind::Beep)
            dialogs.beep();
        else
            dialogs.showMessage(box.text, box.title, box.icon);
    }
}

}  // namespace pixmorrow

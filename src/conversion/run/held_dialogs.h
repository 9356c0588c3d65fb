#pragma once

#include "platform/dialogs.h"

#include <QString>

#include <vector>

namespace pixmorrow {

// A message a stage raised on a worker, kept to be shown on the run's own thread.
struct HeldBox {
    enum class Kind { Message, Beep };
    Kind kind = Kind::Message;
    QString text;
    QString title;
    MessageIcon icon = MessageIcon::None;
};

// Dialogs for a worker: every box goes into the list it is pointed at, to be replayed in
// queue order. The stages ask no questions; one asked all the same gets no answer (ResultNone)
// and is kept as a message.
class HeldDialogs final : public Dialogs {
public:
    void holdInto(std::vector<HeldBox>* boxes) { boxes_ = boxes; }

    void showMessage(const QString& text, const QString& title, MessageIcon icon) override;
    int MessageDlgWithCaptions(const QString& message, DialogKind kind, DialogButtons buttons,
                               const QStringList& captions, const QString& title) override;
    void beep() override;

private:
    std::vector<HeldBox>* boxes_ = nullptr;
};

// Shows held boxes through `dialogs`, in the order they were raised.
void replayHeldBoxes(const std::vector<HeldBox>& boxes, Dialogs& dialogs);

}  // namespace pixmorrow

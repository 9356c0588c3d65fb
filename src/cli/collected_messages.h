#pragma once

#include "platform/dialogs.h"

#include <QString>
#include <QStringList>

namespace pixmorrow::cli {

// The engine's message boxes, kept as text instead of shown: the command reports them as the
// error of the file they came with. A question is answered No, the answer the engine takes
// as "do not go on".
class CollectedMessages final : public Dialogs {
public:
    void showMessage(const QString& text, const QString& title, MessageIcon icon) override;
    int MessageDlgWithCaptions(const QString& message, DialogKind kind, DialogButtons buttons,
                               const QStringList& captions, const QString& title) override;
    void beep() override {}

    // The texts since the last take, each on one line (the boxes' CR line breaks as blanks),
    // joined by "; ". Empties the store.
    QString take();

private:
    QStringList texts_;
};

}  // namespace pixmorrow::cli

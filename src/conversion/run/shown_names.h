#pragma once

#include "platform/dialogs.h"

#include <QString>

#include <utility>
#include <vector>

namespace pixmorrow {

// The names a conversion's messages show: an output is written under a hidden temporary name
// first, and a message about it names the file the user will look for instead.
class ShownNames {
public:
    // `hidden` reads as `shown` in messages from now on.
    void show(const QString& hidden, const QString& shown);
    void clear() { names_.clear(); }
    // `text` with every hidden name replaced.
    QString apply(const QString& text) const;

private:
    std::vector<std::pair<QString, QString>> names_;
};

// Dialogs whose texts go through ShownNames first.
class NamingDialogs final : public Dialogs {
public:
    NamingDialogs(Dialogs& inner, const ShownNames& names) : inner_(inner), names_(names) {}

    void showMessage(const QString& text, const QString& title, MessageIcon icon) override;
    int MessageDlgWithCaptions(const QString& message, DialogKind kind, DialogButtons buttons,
                               const QStringList& captions, const QString& title) override;
    void beep() override { inner_.beep(); }

private:
    Dialogs& inner_;
    const ShownNames& names_;
};

}  // namespace pixmorrow

#include "conversion/run/shown_names.h"

namespace pixmorrow {

void ShownNames::show(const QString& hidden, const QString& shown) {
    if (!hidden.isEmpty())
        names_.emplace_back(hidden, shown);
}

QString ShownNames::apply(const QString& text) const {
    QString result = text;
    for (const auto& [hidden, shown] : names_)
        result.replace(hidden, shown);
    return result;
}

void NamingDialogs::showMessage(const QString& text, const QString& title, MessageIcon icon) {
    inner_.showMessage(names_.apply(text), title, icon);
}

int NamingDialogs::MessageDlgWithCaptions(const QString& message, DialogKind kind,
                                          DialogButtons buttons, const QStringList& captions,
                                          const QString& title) {
    return inner_.MessageDlgWithCaptions(names_.apply(message), kind, buttons, captions, title);
}

}  // namespace pixmorrow

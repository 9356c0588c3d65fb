#include "cli/collected_messages.h"

namespace pixmorrow::cli {

namespace {
QString oneLine(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    return line.simplified();
}
}  // namespace

void CollectedMessages::showMessage(const QString& text, const QString&, MessageIcon) {
    texts_ << oneLine(text);
}

int CollectedMessages::MessageDlgWithCaptions(const QString& message, DialogKind, DialogButtons,
                                              const QStringList&, const QString&) {
    texts_ << oneLine(message);
    return ResultNo;
}

QString CollectedMessages::take() {
    const QString text = texts_.join(QStringLiteral("; "));
    texts_.clear();
    return text;
}

}  // namespace pixmorrow::cli

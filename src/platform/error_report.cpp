#include "platform/error_report.h"

#include "platform/dialogs.h"
#include "platform/error.h"

namespace pixmorrow {

QString generalErrorText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') {
        return message + u'.';
    }
    return message;
}

bool reportingErrors(Dialogs& dialogs, const std::function<void()>& handler) {
    QString text;
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        text = errorText(e);
    } catch (...) {
        text = QStringLiteral("Unknown error");
    }
    try {
        dialogs.showMessage(generalErrorText(text), kApplicationTitle, MessageIcon::Error);
    } catch (...) {
        // Nothing sensible is left to do when even the report fails.
    }
    return false;
}

}  // namespace pixmorrow

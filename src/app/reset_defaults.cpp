#include "app/reset_defaults.h"

#include "localization/language.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/shell.h"

#include <QCoreApplication>
#include <QFile>

namespace pixmorrow {

bool ResetToDefaults(Dialogs& dialogs, Shell& shell, const QString& settingsFile,
                     const QString& executable) {
    const int answer = dialogs.MessageDlgWithCaptions(
        TranslateText(QStringLiteral("Restart Application?")), DialogKind::Confirmation,
        ButtonYes | ButtonNo,
        {TranslateText(QStringLiteral("Yes")), TranslateText(QStringLiteral("No"))},
        TranslateText(QStringLiteral("Confirmation")));
    if (answer != ResultYes)
        return false;

    QFile::remove(settingsFile);  // a file that is already gone is just as good
    QCoreApplication::processEvents();
    if (!shell.startDetached(executable, {}, {})) {
        throw Error(QStringLiteral("Pixmorrow could not be started again"));
    }
    return true;
}

}  // namespace pixmorrow

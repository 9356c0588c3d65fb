#include "localization/language_preference.h"

#include <QSettings>

namespace pixmorrow {

namespace {
QSettings userStore() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("TARNWICK"),
                     QStringLiteral("Pixmorrow"));
}
const QString kKey = QStringLiteral("Settings/Language");
}  // namespace

QString preferredLanguageFile() {
    return userStore().value(kKey).toString();
}

void storePreferredLanguageFile(const QString& fileName) {
    QSettings store = userStore();
    store.setValue(kKey, fileName);
    store.sync();
}

}  // namespace pixmorrow

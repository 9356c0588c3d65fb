#include "online/update_store.h"

#include <QSettings>

namespace pixmorrow {

namespace {
const QString kGroup = QStringLiteral("Settings/");
}

int readStoreInteger(UpdateStore& store, const QString& name, int fallback) {
    const std::optional<QString> text = store.readString(name);
    if (!text)
        return fallback;
    bool ok = false;
    const int value = text->trimmed().toInt(&ok);
    return ok ? value : fallback;
}

QString readStoreText(UpdateStore& store, const QString& name) {
    return store.readString(name).value_or(QString());
}

QSettingsUpdateStore::QSettingsUpdateStore() = default;
QSettingsUpdateStore::~QSettingsUpdateStore() = default;

bool QSettingsUpdateStore::open() {
    if (!settings_) {
        settings_ =
            std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                        QStringLiteral("TARNWICK"), QStringLiteral("Pixmorrow"));
    }
    return settings_->status() == QSettings::NoError;
}

std::optional<QString> QSettingsUpdateStore::readString(const QString& name) {
    if (!settings_ && !open())
        return std::nullopt;
    const QVariant value = settings_->value(kGroup + name);
    if (!value.isValid() || !value.canConvert<QString>())
        return std::nullopt;
    return value.toString();
}

bool QSettingsUpdateStore::writeString(const QString& name, const QString& value) {
    if (!settings_ && !open())
        return false;
    settings_->setValue(kGroup + name, value);
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

bool storeShowUpdate(UpdateStore& store, bool on) {
    if (!store.open())
        return false;
    return store.writeString(kShowUpdate, on ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace pixmorrow

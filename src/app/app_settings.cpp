#include "app/app_settings.h"

#include <QFileInfo>

#include <algorithm>

namespace pixmorrow {

void AppSettings::open(const QString& settingsFolder) {
    filePath_ = settingsFolder + kFileName;
    store_.load(filePath_);
}

QString AppSettings::startDestination() const {
    const QString destination = store_.value(kSection, kDestinationKey);
    if (destination.isEmpty() || !QFileInfo(destination).isDir())
        return {};
    return destination;
}

int AppSettings::startQuality() const {
    bool ok = false;
    const int stored = store_.value(kSection, kQualityKey).toInt(&ok);
    if (!ok)
        return kDefaultQuality;
    return std::clamp(stored, kMinQuality, kMaxQuality);
}

bool AppSettings::storedQualityOutOfRange() const {
    bool ok = false;
    const int stored = store_.value(kSection, kQualityKey).toInt(&ok);
    return ok && stored != std::clamp(stored, kMinQuality, kMaxQuality);
}

void AppSettings::storeQuality(const QString& fieldText) {
    write(kQualityKey, QString::number(qualityFromFieldText(fieldText)));
}

void AppSettings::storeDestination(const QString& text) {
    // A folder name may hold a line break, which the file cannot: such a destination is used
    // for the run but not remembered.
    if (holdsLineBreak(text))
        return;
    write(kDestinationKey, text);
}

void AppSettings::write(const QString& key, const QString& value) {
    store_.setValue(kSection, key, value);
    // A file that is there but could not be read stays as it is; the choices of this session
    // are not remembered.
    if (store_.readFailed())
        return;
    store_.save(filePath_);
}

int qualityFromFieldText(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : AppSettings::kMinQuality;
}

}  // namespace pixmorrow

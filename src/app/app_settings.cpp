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

bool AppSettings::startKeepMetadata() const {
    return store_.value(kSection, kKeepMetadataKey).trimmed() == QLatin1String("1");
}

bool AppSettings::startResize() const {
    return store_.value(kSection, kResizeKey).trimmed() == QLatin1String("1");
}

formats::ResizeRequest AppSettings::startResizeTo() const {
    formats::ResizeRequest request =
        formats::parseResizeRequest(store_.value(kSection, kResizeToKey).toStdString())
            .value_or(formats::ResizeRequest{});
    request.enlarge = store_.value(kSection, kResizeEnlargeKey).trimmed() == QLatin1String("1");
    return request;
}

bool AppSettings::startKeepFolderStructure() const {
    return store_.value(kSection, kKeepFolderStructureKey).trimmed() == QLatin1String("1");
}

void AppSettings::storeResize(bool resize) {
    write(kResizeKey, resize ? QStringLiteral("1") : QStringLiteral("0"));
}

void AppSettings::storeResizeTo(const formats::ResizeRequest& request) {
    write(kResizeToKey, QString::fromStdString(formats::resizeRequestText(request)));
}

void AppSettings::storeResizeEnlarge(bool enlarge) {
    write(kResizeEnlargeKey, enlarge ? QStringLiteral("1") : QStringLiteral("0"));
}

void AppSettings::storeKeepFolderStructure(bool keep) {
    write(kKeepFolderStructureKey, keep ? QStringLiteral("1") : QStringLiteral("0"));
}

void AppSettings::storeKeepMetadata(bool keep) {
    write(kKeepMetadataKey, keep ? QStringLiteral("1") : QStringLiteral("0"));
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

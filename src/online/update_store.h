#pragma once

#include <QString>

#include <memory>
#include <optional>

class QSettings;

namespace pixmorrow {

// Names of the update check's values in the per-user store.
inline const QString kShowUpdate = QStringLiteral("ShowUpdate");
inline const QString kLastUpdateCheck = QStringLiteral("LastUpdateCheck");
inline const QString kLastUpdateCheckCount = QStringLiteral("LastUpdateCheckCount");
inline const QString kCurrentVersion = QStringLiteral("CurrentVersion");
inline const QString kCurrentURL = QStringLiteral("CurrentURL");

// The update check's per-user store: string values under the group "Settings" of the
// program's own key. Tests use an in-memory store.
class UpdateStore {
public:
    virtual ~UpdateStore() = default;
    // Opens the key, creating it when missing; false when it cannot be used.
    virtual bool open() = 0;
    // The value, or nothing when it is missing or cannot be read.
    virtual std::optional<QString> readString(const QString& name) = 0;
    // False when the value could not be written.
    virtual bool writeString(const QString& name, const QString& value) = 0;
};

// A value read as an integer (decimal text); `fallback` when missing or not a number.
int readStoreInteger(UpdateStore& store, const QString& name, int fallback);
// A text value; empty when missing.
QString readStoreText(UpdateStore& store, const QString& name);

// The real store: QSettings in the native format, per user, "TARNWICK"/"Pixmorrow"
// (on Linux ~/.config/TARNWICK/Pixmorrow.conf).
class QSettingsUpdateStore final : public UpdateStore {
public:
    QSettingsUpdateStore();
    ~QSettingsUpdateStore() override;

    bool open() override;
    std::optional<QString> readString(const QString& name) override;
    bool writeString(const QString& name, const QString& value) override;

private:
    std::unique_ptr<QSettings> settings_;
};

// The menu item's switch: ShowUpdate written as 1 or 0. False when the store failed.
bool storeShowUpdate(UpdateStore& store, bool on);

}  // namespace pixmorrow

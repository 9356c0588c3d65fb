#pragma once

#include "app/ini_store.h"
#include "formats/resize_plan.h"

#include <QString>

namespace pixmorrow {

// The options kept across runs, "Destination", "OutputQuality" and "KeepMetadata" in the
// section "Settings" of settings.ini. Every store call writes the whole file at once, so
// nothing needs saving when the program ends. "KeepMetadata" is written only once the user
// changes the choice, so a first start writes the file as it always did; so are "Resize"
// (the check box), "ResizeTo" (the mode and size in their text form, "long:1920"),
// "ResizeEnlarge" and "KeepFolderStructure".
class AppSettings {
public:
    static inline const QString kFileName = QStringLiteral("settings.ini");
    static inline const QString kSection = QStringLiteral("Settings");
    static inline const QString kDestinationKey = QStringLiteral("Destination");
    static inline const QString kQualityKey = QStringLiteral("OutputQuality");
    static inline const QString kKeepMetadataKey = QStringLiteral("KeepMetadata");
    static inline const QString kResizeKey = QStringLiteral("Resize");
    static inline const QString kResizeToKey = QStringLiteral("ResizeTo");
    static inline const QString kResizeEnlargeKey = QStringLiteral("ResizeEnlarge");
    static inline const QString kKeepFolderStructureKey = QStringLiteral("KeepFolderStructure");
    static constexpr int kDefaultQuality = 80;
    static constexpr int kMinQuality = 1;
    static constexpr int kMaxQuality = 100;

    // Reads settingsFolder + "settings.ini" (a missing file is an empty store).
    void open(const QString& settingsFolder);
    const QString& filePath() const { return filePath_; }
    IniStore& store() { return store_; }

    // The stored destination when it names an existing folder, else empty.
    QString startDestination() const;
    // The stored quality clamped to 1..100; 80 when missing or not an integer.
    int startQuality() const;
    // True when the stored quality is an integer outside 1..100, so the file needs the
    // corrected value even where the field's text does not change.
    bool storedQualityOutOfRange() const;
    // Whether outputs keep EXIF and XMP: "1" stored; off when missing or anything else.
    bool startKeepMetadata() const;
    // Whether outputs are resized: "1" stored; off otherwise.
    bool startResize() const;
    // The stored mode and size with the stored enlarge choice; longest side 1920 (a box of
    // 1920 x 1080), never enlarged, for what is missing or not a text form.
    formats::ResizeRequest startResizeTo() const;
    // Whether folder structure is kept: "1" stored; off otherwise.
    bool startKeepFolderStructure() const;

    // Write-through of the quality field's text (read as an integer, 1 when it is not one;
    // not clamped, as typing passes through values out of range) and of the destination text.
    // Throw Error when the file cannot be saved.
    void storeQuality(const QString& fieldText);
    void storeDestination(const QString& text);
    void storeKeepMetadata(bool keep);
    void storeResize(bool resize);
    // The request's mode and size as "ResizeTo"; its enlarge flag as "ResizeEnlarge".
    void storeResizeTo(const formats::ResizeRequest& request);
    void storeResizeEnlarge(bool enlarge);
    void storeKeepFolderStructure(bool keep);

private:
    void write(const QString& key, const QString& value);

    QString filePath_;
    IniStore store_;
};

// The quality field's text as the number stored: an integer, or the field's minimum.
int qualityFromFieldText(const QString& text);

}  // namespace pixmorrow

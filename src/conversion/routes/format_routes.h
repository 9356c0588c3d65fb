#pragma once

#include "conversion/format_table.h"
#include "conversion/routes/file_converter.h"

#include <QString>

namespace pixmorrow {

class Dialogs;
class RouteBackend;

// The writing stage's route for an output type and a source extension: the type's own route,
// or the external tool whole where the source's row asks for it. Throws Error for a type
// outside the format table.
WritingRoute writingRouteFor(const QString& type, const QString& extension);

// The route of one file: writingRouteFor, except that a still picture the tool would take
// whole goes the codec library's way when its EXIF or XMP is to be kept, as the tool drops
// them.
WritingRoute writingRouteFor(const QString& type, const QString& extension, const QString& source,
                             bool keepsExifOrXmp);

// The per-file conversion: the decoding stage by source extension, then the writing
// stage's routes. Intermediate files live in the settings folder and are removed right after
// use, whatever happened.
class FormatRoutes final : public FileConverter {
public:
    // `settingsFolder` ends in "/".
    FormatRoutes(RouteBackend& backend, Dialogs& dialogs, QString settingsFolder);

    void setResize(const std::optional<formats::ResizeRequest>& resize) override;
    void decodingStage(const QString& source, const QString& extension, bool grayscale) override;
    void writingStage(const QString& source, const QString& extension, const QString& output,
                      const QString& type, int quality, bool grayscale, bool keepMetadata) override;

private:
    void codecLibraryRoute(const QString& source, const QString& extension, const QString& output,
                           const QString& type, int quality, bool grayscale, bool keepMetadata);

    RouteBackend& backend_;
    Dialogs& dialogs_;
    QString settingsFolder_;
    // The work bitmap holds this file's picture: a writing stage never writes the previous
    // file's picture under this file's name.
    bool loaded_ = false;
    bool resizing_ = false;
};

}  // namespace pixmorrow

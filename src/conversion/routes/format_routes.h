#pragma once

#include "conversion/routes/file_converter.h"

#include <QString>

namespace pixmorrow {

class Dialogs;
class RouteBackend;

// Which way a file goes in the writing stage, by output type and source extension.
enum class WritingRoute {
    Bmp,              // work bitmap as BMP
    Tiff,             // work bitmap through the imaging component
    Wmp,              // work bitmap as JPEG XR
    ExternalWhole,    // source to the external tool, all frames
    ExternalQuality,  // source to the external tool with the quality
    CodecLibrary,     // codec library route
};
WritingRoute writingRouteFor(const QString& type, const QString& extension);

// Source extensions whose codec library route goes through "temp.bmp": the library cannot
// read them itself.
bool codecRouteUsesTemporaryBmp(const QString& extension);

// Whether the external tool can read a source of this extension itself.
bool externalToolReads(const QString& extension);

// Source extensions the external tool decodes into "temp.png".
bool decodedByExternalTool(const QString& extension);

// The per-file conversion: the decoding stage by source extension, then the writing
// stage's routes. Intermediate files live in the settings folder and are removed right after
// use, whatever happened.
class FormatRoutes final : public FileConverter {
public:
    // `settingsFolder` ends in "/".
    FormatRoutes(RouteBackend& backend, Dialogs& dialogs, QString settingsFolder);

    void decodingStage(const QString& source, const QString& extension, bool grayscale) override;
    void writingStage(const QString& source, const QString& extension, const QString& output,
                      const QString& type, int quality, bool grayscale) override;

private:
    void codecLibraryRoute(const QString& source, const QString& extension, const QString& output,
                           const QString& type, int quality, bool grayscale);

    RouteBackend& backend_;
    Dialogs& dialogs_;
    QString settingsFolder_;
    // The work bitmap holds this file's picture: a writing stage never writes the previous
    // file's picture under this file's name.
    bool loaded_ = false;
};

}  // namespace pixmorrow

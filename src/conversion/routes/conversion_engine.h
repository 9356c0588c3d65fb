#pragma once

#include "conversion/external/imagemagick_bridge.h"
#include "conversion/routes/format_routes.h"
#include "conversion/routes/route_backend.h"
#include "conversion/run/shown_names.h"

#include <QString>

#include <memory>

namespace pixmorrow {

class CommandLog;
class Dialogs;

// Where a run's machinery lives and reports.
struct ConversionSetup {
    QString programFolder;   // holds imagemagick/, the codec library and the JPEG XR helper
    QString settingsFolder;  // home of the intermediate files; ends in "/"
    Dialogs& dialogs;
    CommandLog& log;
};

// The backend over the real components: the picture loader and work bitmap, the bitmap,
// TIFF and JPEG XR writers, the codec library and the external tool.
class LibraryRouteBackend final : public RouteBackend {
public:
    // `programFolder` holds the JPEG XR decoding helper.
    LibraryRouteBackend(ImageMagickBridge& bridge, const QString& programFolder);
    ~LibraryRouteBackend() override;

    void loadWorkBitmap(const QString& path) override;
    bool holdsExifOrXmp() const override;
    void profileFromTool(const QString& source, const QString& iccFile) override;
    QSize pictureSize() const override;
    void grayscaleWorkBitmap() override;
    void writeWorkBitmapBmp(const QString& path) override;
    void writeWorkBitmapTiff(const QString& path, bool keepMetadata) override;
    void writeWorkBitmapWmp(const QString& path) override;
    void codecEncode(const QString& source, const QString& output, CodecFormat format, int quality,
                     bool grayscale, bool keepMetadata) override;
    void codecEncodeWorkBitmap(const QString& output, CodecFormat format, int quality,
                               bool grayscale, bool keepMetadata) override;
    void externalConvert(const QString& input, const QString& output, bool grayscale) override;
    void externalQualityConvert(const QString& input, const QString& output, int quality,
                                bool grayscale, const IconSizes& icon) override;

private:
    struct State;
    ImageMagickBridge& bridge_;
    std::unique_ptr<State> state_;
};

// The conversion objects of one run: created when the run starts, used for every file,
// released when it ends.
class ConversionEngine {
public:
    explicit ConversionEngine(const ConversionSetup& setup);

    FileConverter& converter() { return routes_; }
    ImageMagickBridge& bridge() { return bridge_; }
    // The names the stages' own messages show for the run's hidden outputs.
    ShownNames& shownNames() { return names_; }

private:
    ShownNames names_;
    NamingDialogs dialogs_;
    ImageMagickBridge bridge_;
    LibraryRouteBackend backend_;
    FormatRoutes routes_;
};

}  // namespace pixmorrow

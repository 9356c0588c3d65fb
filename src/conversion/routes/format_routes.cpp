#include "conversion/routes/format_routes.h"

#include "conversion/routes/route_backend.h"
#include "conversion/run/run_texts.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/error_report.h"

#include <unistd.h>

#include <filesystem>
#include <optional>
#include <system_error>

namespace pixmorrow {

namespace {

bool isOneOf(const QString& value, std::initializer_list<const char*> options) {
    for (const char* option : options) {
        if (value == QLatin1String(option))
            return true;
    }
    return false;
}

void removeFile(const QString& path) {
    ::unlink(path.toLocal8Bit().constData());
}

// Removes an intermediate file when the step that uses it ends, whichever way it ends.
class IntermediateFile {
public:
    explicit IntermediateFile(QString path) : path_(std::move(path)) { removeFile(path_); }
    ~IntermediateFile() { removeFile(path_); }
    IntermediateFile(const IntermediateFile&) = delete;
    IntermediateFile& operator=(const IntermediateFile&) = delete;

    const QString& path() const { return path_; }
    bool exists() const { return entryExists(path_); }

private:
    QString path_;
};

// Copies a source to an intermediate file; the copy replaces an older one.
void copyTo(const QString& source, const IntermediateFile& target) {
    std::error_code error;
    std::filesystem::copy_file(std::filesystem::path(source.toStdString()),
                               std::filesystem::path(target.path().toStdString()),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        throw Error(QStringLiteral("Cannot copy ") + source + QStringLiteral(" to ") +
                    target.path() + QStringLiteral(": ") +
                    QString::fromLocal8Bit(error.message().c_str()));
    }
}

}  // namespace

WritingRoute writingRouteFor(const QString& type, const QString& extension) {
    if (type == QLatin1String("BMP"))
        return WritingRoute::Bmp;
    if (isOneOf(type, {"TIF", "TIFF"}))
        return WritingRoute::Tiff;
    if (type == QLatin1String("WMP"))
        return WritingRoute::Wmp;
    if (type == QLatin1String("WEBP") && extension == QLatin1String(".gif")) {
        return WritingRoute::ExternalWhole;
    }
    if (isOneOf(type, {"GIF", "ICO"}))
        return WritingRoute::ExternalQuality;
    if (type == QLatin1String("APNG"))
        return WritingRoute::ExternalWhole;
    if (isOneOf(type, {"WEBP", "PNG", "JPG", "JPEG", "JFIF"}) &&
        isOneOf(extension, {".png", ".apng"})) {
        return WritingRoute::ExternalWhole;
    }
    if (isOneOf(type, {"WEBP", "PNG", "JPG", "JPEG", "JFIF"}))
        return WritingRoute::CodecLibrary;
    throw Error(QStringLiteral("Unknown output type ") + type);
}

bool codecRouteUsesTemporaryBmp(const QString& extension) {
    return !isOneOf(extension, {".jpg", ".jpeg", ".jfif", ".webp", ".gif", ".bmp", ".ico"});
}

bool externalToolReads(const QString& extension) {
    return !isOneOf(extension, {".wmp", ".svg"});
}

bool decodedByExternalTool(const QString& extension) {
    return isOneOf(extension, {".avif", ".psd", ".heic", ".heif", ".tga", ".jxl", ".jp2"});
}

FormatRoutes::FormatRoutes(RouteBackend& backend, Dialogs& dialogs, QString settingsFolder)
    : backend_(backend), dialogs_(dialogs), settingsFolder_(std::move(settingsFolder)) {}

void FormatRoutes::decodingStage(const QString& source, const QString& extension, bool grayscale) {
    loaded_ = false;
    if (extension == QLatin1String(".jfif")) {
        // The picture loader knows JPEG only by ".jpg" and ".jpeg".
        const IntermediateFile temp(settingsFolder_ + QStringLiteral("temp.jpg"));
        copyTo(source, temp);
        backend_.loadWorkBitmap(temp.path());
    } else if (decodedByExternalTool(extension)) {
        const IntermediateFile temp(settingsFolder_ + QStringLiteral("temp.png"));
        backend_.externalConvert(source, temp.path(), grayscale);
        if (!temp.exists()) {
            dialogs_.showMessage(QStringLiteral("File cannot be created: ") + temp.path(),
                                 kApplicationTitle, MessageIcon::None);
            throw ReportedFailure();
        }
        backend_.loadWorkBitmap(temp.path());
    } else if (extension == QLatin1String(".apng")) {
        const IntermediateFile temp(settingsFolder_ + QStringLiteral("temp.png"));
        copyTo(source, temp);
        backend_.loadWorkBitmap(temp.path());
    } else {
        backend_.loadWorkBitmap(source);
    }
    if (grayscale)
        backend_.grayscaleWorkBitmap();
    loaded_ = true;
}

void FormatRoutes::writingStage(const QString& source, const QString& extension,
                                const QString& output, const QString& type, int quality,
                                bool grayscale) {
    if (!loaded_)
        throw Error(QStringLiteral("No picture was loaded from ") + source);
    loaded_ = false;
    switch (writingRouteFor(type, extension)) {
        case WritingRoute::Bmp:
            backend_.writeWorkBitmapBmp(output);
            break;
        case WritingRoute::Tiff:
            backend_.writeWorkBitmapTiff(output);
            break;
        case WritingRoute::Wmp:
            backend_.writeWorkBitmapWmp(output);
            break;
        case WritingRoute::ExternalWhole:
        case WritingRoute::ExternalQuality: {
            // The tool reads neither JPEG XR nor (under its security policy) SVG: it gets
            // the work bitmap instead, which holds the same picture.
            std::optional<IntermediateFile> temp;
            QString input = source;
            if (!externalToolReads(extension)) {
                temp.emplace(settingsFolder_ + QStringLiteral("temp.bmp"));
                backend_.writeWorkBitmapBmp(temp->path());
                input = temp->path();
            }
            if (writingRouteFor(type, extension) == WritingRoute::ExternalWhole) {
                backend_.externalConvert(input, output, grayscale);
            } else {
                backend_.externalQualityConvert(input, output, quality, grayscale);
            }
            break;
        }
        case WritingRoute::CodecLibrary:
            codecLibraryRoute(source, extension, output, type, quality, grayscale);
            break;
    }
}

void FormatRoutes::codecLibraryRoute(const QString& source, const QString& extension,
                                     const QString& output, const QString& type, int quality,
                                     bool grayscale) {
    CodecFormat format = CodecFormat::Jpeg;
    if (type == QLatin1String("PNG")) {
        format = CodecFormat::Png;
        quality = 80;
    } else if (type == QLatin1String("WEBP")) {
        format = CodecFormat::Webp;
    }
    if (codecRouteUsesTemporaryBmp(extension)) {
        const IntermediateFile temp(settingsFolder_ + QStringLiteral("temp.bmp"));
        backend_.writeWorkBitmapBmp(temp.path());
        backend_.codecEncode(temp.path(), output, format, quality, grayscale);
    } else {
        backend_.codecEncode(source, output, format, quality, grayscale);
    }
}

}  // namespace pixmorrow

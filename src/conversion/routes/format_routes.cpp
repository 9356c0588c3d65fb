#include "conversion/routes/format_routes.h"

#include "conversion/formats/animated_png.h"
#include "conversion/formats/icon_sizes.h"
#include "conversion/routes/route_backend.h"
#include "conversion/run/run_texts.h"
#include "platform/dialogs.h"
#include "platform/error.h"
#include "platform/error_report.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <system_error>

namespace pixmorrow {

namespace {

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

// Every route reads the source, and the external tool or a reader would wait for ever on
// a named pipe or a device: only a regular file (links followed) goes on. A name that does
// not exist is left to the route, which tells it in its own words.
void requireRegularFile(const QString& source) {
    struct stat info;
    if (::stat(QFile::encodeName(source).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        throw Error(source + QStringLiteral(" is not a regular file"));
}

}  // namespace

WritingRoute writingRouteFor(const QString& type, const QString& extension) {
    const OutputType* row = findOutputType(type);
    if (!row)
        throw Error(QStringLiteral("Unknown output type ") + type);
    if (row->route != WritingRoute::CodecLibrary)
        return row->route;
    switch (inputKind(extension).wholeToTool) {
        case WholeToTool::Always:
            return WritingRoute::ExternalWhole;
        case WholeToTool::IntoAnimatedType:
            return row->holdsAnimation ? WritingRoute::ExternalWhole : WritingRoute::CodecLibrary;
        case WholeToTool::Never:
            break;
    }
    return WritingRoute::CodecLibrary;
}

WritingRoute writingRouteFor(const QString& type, const QString& extension, const QString& source,
                             bool keepsExifOrXmp) {
    const WritingRoute route = writingRouteFor(type, extension);
    if (route != WritingRoute::ExternalWhole || !keepsExifOrXmp ||
        findOutputType(type)->route != WritingRoute::CodecLibrary)
        return route;
    const bool frames = inputKind(extension).wholeToTool == WholeToTool::IntoAnimatedType ||
                        extension == QLatin1String(".apng") || IsAnimatedPng(source);
    return frames ? route : WritingRoute::CodecLibrary;
}

FormatRoutes::FormatRoutes(RouteBackend& backend, Dialogs& dialogs, QString settingsFolder)
    : backend_(backend), dialogs_(dialogs), settingsFolder_(std::move(settingsFolder)) {}

void FormatRoutes::decodingStage(const QString& source, const QString& extension, bool grayscale) {
    loaded_ = false;
    requireRegularFile(source);
    const InputKind& kind = inputKind(extension);
    const QString intermediate = settingsFolder_ + tableText(kind.intermediate);
    if (kind.read == InputRead::CopiedToIntermediate) {
        const IntermediateFile temp(intermediate);
        copyTo(source, temp);
        backend_.loadWorkBitmap(temp.path());
    } else if (kind.read == InputRead::ExternalTool) {
        const IntermediateFile temp(intermediate);
        backend_.externalConvert(source, temp.path(), grayscale);
        if (!temp.exists()) {
            dialogs_.showMessage(QStringLiteral("File cannot be created: ") + temp.path(),
                                 kApplicationTitle, MessageIcon::None);
            throw ReportedFailure();
        }
        backend_.loadWorkBitmap(temp.path());
        if (grayscale) {
            const IntermediateFile icc(settingsFolder_ + QStringLiteral("temp.icc"));
            backend_.profileFromTool(source, icc.path());
        }
    } else {
        backend_.loadWorkBitmap(source);
    }
    if (grayscale)
        backend_.grayscaleWorkBitmap();
    loaded_ = true;
}

void FormatRoutes::writingStage(const QString& source, const QString& extension,
                                const QString& output, const QString& type, int quality,
                                bool grayscale, bool keepMetadata) {
    if (!loaded_)
        throw Error(QStringLiteral("No picture was loaded from ") + source);
    loaded_ = false;
    const WritingRoute route =
        writingRouteFor(type, extension, source, keepMetadata && backend_.holdsExifOrXmp());
    switch (route) {
        case WritingRoute::Bmp:
            backend_.writeWorkBitmapBmp(output);
            break;
        case WritingRoute::Tiff:
            backend_.writeWorkBitmapTiff(output, keepMetadata);
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
            if (!inputKind(extension).externalToolReads) {
                temp.emplace(settingsFolder_ + QStringLiteral("temp.bmp"));
                backend_.writeWorkBitmapBmp(temp->path());
                input = temp->path();
            }
            if (route == WritingRoute::ExternalWhole) {
                backend_.externalConvert(input, output, grayscale);
            } else {
                // The sizes follow the picture the decoding stage loaded from the same file.
                IconSizes icon;
                if (findOutputType(type)->iconSizes) {
                    const QSize picture = backend_.pictureSize();
                    icon =
                        iconSizesFor(picture.width(), picture.height(), holdsSeveralIcons(input));
                }
                backend_.externalQualityConvert(input, output, quality, grayscale, icon);
            }
            break;
        }
        case WritingRoute::CodecLibrary:
            codecLibraryRoute(source, extension, output, type, quality, grayscale, keepMetadata);
            break;
    }
}

void FormatRoutes::codecLibraryRoute(const QString& source, const QString& extension,
                                     const QString& output, const QString& type, int quality,
                                     bool grayscale, bool keepMetadata) {
    const OutputType& row = *findOutputType(type);
    const CodecFormat format = row.codecFormat.value();
    quality = row.fixedQuality.value_or(quality);
    if (inputKind(extension).codecLibraryReads)
        backend_.codecEncode(source, output, format, quality, grayscale, keepMetadata);
    else
        backend_.codecEncodeWorkBitmap(output, format, quality, grayscale, keepMetadata);
}

}  // namespace pixmorrow

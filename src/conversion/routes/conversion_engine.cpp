#include "conversion/routes/conversion_engine.h"

#include "conversion/formats/bmp_writer.h"
#include "conversion/formats/imaging_component.h"
#include "conversion/formats/picture_loader.h"
#include "conversion/formats/work_bitmap.h"
#include "conversion/routes/codec_library.h"
#include "formats/file_io.h"
#include "formats/metadata.h"
#include "platform/error.h"

namespace pixmorrow {

// The decoded-picture holder's loader and the work bitmap, reused for every file of a run.
struct LibraryRouteBackend::State {
    explicit State(const QString& programFolder) : imaging(programFolder) {}
    ImagingComponent imaging;
    PictureLoader loader{decodeWithCodecLibrary, renderSvg, imaging};
    WorkBitmap bitmap;
    // The blocks of the file last loaded, its EXIF as the upright work bitmap takes it.
    formats::ImageMetadata metadata;
    std::optional<formats::ResizeRequest> resize;
    // While resizing: the picture last loaded at its new size, transparency kept, for the
    // codec library route.
    formats::DecodedImage resized;
};

namespace {

// A file's profile, EXIF and XMP; none when it cannot be read again.
formats::ImageMetadata metadataOf(const QString& path) {
    try {
        formats::ImageMetadata found =
            formats::readMetadata(formats::readWholeFile(path.toStdString()));
        if (!found.exif.empty())
            found.exif = formats::exifForOutput(found.exif);
        return found;
    } catch (const std::exception&) {
        return {};
    }
}

formats::ImageMetadata chosen(const formats::ImageMetadata& all, bool keepMetadata) {
    return keepMetadata ? all : formats::ImageMetadata{all.icc, {}, {}};
}

}  // namespace

LibraryRouteBackend::LibraryRouteBackend(ImageMagickBridge& bridge, const QString& programFolder)
    : bridge_(bridge), state_(std::make_unique<State>(programFolder)) {}

LibraryRouteBackend::~LibraryRouteBackend() = default;

void LibraryRouteBackend::loadWorkBitmap(const QString& path) {
    state_->metadata = {};
    state_->resized = {};
    if (state_->resize) {
        state_->resized = state_->loader.load(path, *state_->resize);
        state_->bitmap.draw(state_->resized);
    } else {
        state_->bitmap.draw(state_->loader.load(path));
    }
    state_->metadata = metadataOf(path);
}

void LibraryRouteBackend::setResize(const std::optional<formats::ResizeRequest>& resize) {
    state_->resize = resize;
}

void LibraryRouteBackend::codecEncodeLoaded(const QString& output, CodecFormat format, int quality,
                                            bool grayscale, bool keepMetadata) {
    if (state_->resized.bgra.empty())
        throw Error(QStringLiteral("No resized picture was loaded for ") + output);
    codecRouteFromPicture(CodecLibrary::instance(), state_->resized, output,
                          codecLibraryFormat(format), quality, grayscale,
                          chosen(state_->metadata, keepMetadata), keepMetadata);
}

void LibraryRouteBackend::profileFromTool(const QString& source, const QString& iccFile) {
    if (!state_->metadata.icc.empty())
        return;
    try {
        bridge_.extractProfile(source, iccFile);
        std::vector<std::uint8_t> icc =
            formats::readWholeFile(iccFile.toStdString(), formats::kMaxMetadataBytes);
        if (formats::checkedIccProfile(icc))
            state_->metadata.icc = std::move(icc);
    } catch (const std::exception&) {
        // No profile, or none that is whole: the picture goes without one.
    }
}

bool LibraryRouteBackend::holdsExifOrXmp() const {
    return !state_->metadata.exif.empty() || !state_->metadata.xmp.empty();
}

QSize LibraryRouteBackend::pictureSize() const {
    return QSize(static_cast<int>(state_->bitmap.width()),
                 static_cast<int>(state_->bitmap.height()));
}

void LibraryRouteBackend::grayscaleWorkBitmap() {
    GrayscaleBitmap(state_->bitmap);
}

void LibraryRouteBackend::writeWorkBitmapBmp(const QString& path) {
    writeBmp(state_->bitmap, path);
}

void LibraryRouteBackend::writeWorkBitmapTiff(const QString& path, bool keepMetadata) {
    state_->imaging.writeTiff(state_->bitmap, path, chosen(state_->metadata, keepMetadata));
}

void LibraryRouteBackend::writeWorkBitmapWmp(const QString& path) {
    state_->imaging.writeWmp(state_->bitmap, path);
}

void LibraryRouteBackend::codecEncode(const QString& source, const QString& output,
                                      CodecFormat format, int quality, bool grayscale,
                                      bool keepMetadata) {
    codecRoute(source, output, codecLibraryFormat(format), quality, grayscale,
               chosen(state_->metadata, keepMetadata), keepMetadata);
}

void LibraryRouteBackend::externalConvert(const QString& input, const QString& output,
                                          bool grayscale, const QSize& resizeTo) {
    bridge_.ImageMagickIleDonustur(input, output, grayscale, resizeTo);
}

void LibraryRouteBackend::externalQualityConvert(const QString& input, const QString& output,
                                                 int quality, bool grayscale, const IconSizes& icon,
                                                 const QSize& resizeTo) {
    bridge_.ImageMagickIleAVIFDonustur(input, output, quality, grayscale, icon, resizeTo);
}

ConversionEngine::ConversionEngine(const ConversionSetup& setup)
    : dialogs_(setup.dialogs, names_),
      bridge_(setup.programFolder, dialogs_, setup.log),
      backend_(bridge_, setup.programFolder),
      routes_(backend_, dialogs_, setup.settingsFolder) {
    // The tool's temporary files go where the intermediates go.
    bridge_.setPrivateFolderParent(setup.settingsFolder);
}

}  // namespace pixmorrow

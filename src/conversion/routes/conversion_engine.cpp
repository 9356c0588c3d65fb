#include "conversion/routes/conversion_engine.h"

#include "conversion/formats/bmp_writer.h"
#include "conversion/formats/imaging_component.h"
#include "conversion/formats/picture_loader.h"
#include "conversion/formats/work_bitmap.h"
#include "conversion/routes/codec_library.h"
#include "formats/file_io.h"
#include "formats/metadata.h"
#include "formats/readers.h"

#include <QFileInfo>

#include <optional>
#include <stdexcept>
#include <utility>

namespace pixmorrow {

// The decoded-picture holder's loader and the work bitmap, reused for every file of a run.
// The picture a file decodes to is kept as its decoder gave it until a writer needs the work
// bitmap (made from it in place) or the codec library takes it, so no second full-size copy
// of it is ever held.
struct LibraryRouteBackend::State {
    explicit State(const QString& programFolder) : imaging(programFolder) {}
    ImagingComponent imaging;
    PictureLoader loader{decodeWithCodecLibrary, renderSvg, imaging};
    // Straight BGRA as decoded; empty once the work bitmap or the codec library took it.
    formats::DecodedImage picture;
    bool grayPending = false;  // the work bitmap is to be made gray when it is made
    WorkBitmap bitmap;
    QSize size;
    // The file last loaded, and whether the codec library decodes it to `picture`.
    QString loadedPath;
    bool codecDecodesTheSame = false;
    // The blocks of the file last loaded, its EXIF as the upright work bitmap takes it.
    formats::ImageMetadata metadata;

    WorkBitmap& workBitmap() {
        if (!picture.bgra.empty()) {
            bitmap.draw(std::move(picture));
            picture = {};
            if (grayPending)
                GrayscaleBitmap(bitmap);
        }
        return bitmap;
    }
};

namespace {

// The format a loader's own reader is for, when it has one the codec library also picks by
// content.
std::optional<formats::Format> ownReaderFormat(InputRead read) {
    switch (read) {
        case InputRead::Bmp:
            return formats::Format::Bmp;
        case InputRead::Ico:
            return formats::Format::Ico;
        case InputRead::Gif:
            return formats::Format::Gif;
        case InputRead::Jpeg:
            return formats::Format::Jpeg;
        default:
            return std::nullopt;
    }
}

// What a loaded file holds besides the picture the loader made of it.
struct SourceFacts {
    formats::ImageMetadata metadata;  // its profile, EXIF and XMP; none when unreadable
    bool codecDecodesTheSame = false;
};

// The codec library decodes by content with the same readers the loader picks by extension
// (and reads .webp through the library itself, whose premultiplied pixels the loader's
// straight copy gives back exactly): the two agree when the content is of the extension's
// format.
SourceFacts factsOf(const QString& path) {
    SourceFacts facts;
    try {
        const std::vector<std::uint8_t> bytes = formats::readWholeFile(path.toStdString());
        facts.metadata = formats::readMetadata(bytes);
        if (!facts.metadata.exif.empty())
            facts.metadata.exif = formats::exifForOutput(facts.metadata.exif);
        const InputRead read = inputKind(u'.' + QFileInfo(path).suffix().toLower()).read;
        const std::optional<formats::Format> own = ownReaderFormat(read);
        facts.codecDecodesTheSame =
            read == InputRead::CodecLibrary || (own && formats::sniffFormat(bytes) == *own);
    } catch (const std::exception&) {
        return {};
    }
    return facts;
}

formats::ImageMetadata chosen(const formats::ImageMetadata& all, bool keepMetadata) {
    return keepMetadata ? all : formats::ImageMetadata{all.icc, {}, {}};
}

}  // namespace

LibraryRouteBackend::LibraryRouteBackend(ImageMagickBridge& bridge, const QString& programFolder)
    : bridge_(bridge), state_(std::make_unique<State>(programFolder)) {}

LibraryRouteBackend::~LibraryRouteBackend() = default;

void LibraryRouteBackend::loadWorkBitmap(const QString& path) {
    State& state = *state_;
    state.picture = {};
    state.bitmap = {};
    state.grayPending = false;
    state.metadata = {};
    state.loadedPath.clear();
    state.codecDecodesTheSame = false;
    state.size = {};
    state.picture = state.loader.load(path);
    if (state.picture.bgra.size() != std::size_t{state.picture.width} * state.picture.height * 4)
        throw std::invalid_argument("picture pixels do not match its size");
    state.size =
        QSize(static_cast<int>(state.picture.width), static_cast<int>(state.picture.height));
    SourceFacts facts = factsOf(path);
    state.metadata = std::move(facts.metadata);
    state.codecDecodesTheSame = facts.codecDecodesTheSame;
    state.loadedPath = path;
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
    return state_->size;
}

void LibraryRouteBackend::grayscaleWorkBitmap() {
    if (state_->picture.bgra.empty())
        GrayscaleBitmap(state_->bitmap);
    else
        state_->grayPending = true;
}

void LibraryRouteBackend::writeWorkBitmapBmp(const QString& path) {
    writeBmp(state_->workBitmap(), path);
}

void LibraryRouteBackend::writeWorkBitmapTiff(const QString& path, bool keepMetadata) {
    state_->imaging.writeTiff(state_->workBitmap(), path, chosen(state_->metadata, keepMetadata));
}

void LibraryRouteBackend::writeWorkBitmapWmp(const QString& path) {
    state_->imaging.writeWmp(state_->workBitmap(), path);
}

void LibraryRouteBackend::codecEncode(const QString& source, const QString& output,
                                      CodecFormat format, int quality, bool grayscale,
                                      bool keepMetadata) {
    State& state = *state_;
    if (source != state.loadedPath || !state.codecDecodesTheSame || state.picture.bgra.empty()) {
        codecRoute(source, output, codecLibraryFormat(format), quality, grayscale,
                   chosen(state.metadata, keepMetadata), keepMetadata);
        return;
    }
    // The library takes the pixels over as they are; the blocks decoding the source would
    // give are the ones kept at loading.
    const CodecLibrary& codec = CodecLibrary::instance();
    formats::DecodedImage picture = std::exchange(state.picture, {});
    CodecLibrary::Image image =
        codec.adoptPixels(std::move(picture.bgra), static_cast<int>(picture.width),
                          static_cast<int>(picture.height), PMC_ALPHATYPE_UNPREMUL);
    encodeCodecImage(codec, std::move(image), output, codecLibraryFormat(format), quality,
                     grayscale, chosen(state.metadata, keepMetadata));
}

void LibraryRouteBackend::codecEncodeWorkBitmap(const QString& output, CodecFormat format,
                                                int quality, bool grayscale, bool keepMetadata) {
    const CodecLibrary& codec = CodecLibrary::instance();
    WorkBitmap& bitmap = state_->workBitmap();
    const int width = static_cast<int>(bitmap.width()), height = static_cast<int>(bitmap.height());
    // Every alpha of the work bitmap is 255, so its pixels are premultiplied as they are, and
    // a 24-bit BMP of it decodes to the same. A gray one has three bytes a pixel, which the
    // library copies out.
    CodecLibrary::Image image =
        bitmap.format() == WorkBitmap::Format::Bgr24
            ? codec.makeImageFromPixels(bitmap.pixels().data(), width, height,
                                        PMC_COLORTYPE_BGR_888, PMC_ALPHATYPE_OPAQUE,
                                        bitmap.stride())
            : codec.adoptPixels(bitmap.takePixels(), width, height, PMC_ALPHATYPE_PREMUL);
    bitmap = {};
    encodeCodecImage(codec, std::move(image), output, codecLibraryFormat(format), quality,
                     grayscale, chosen(state_->metadata, keepMetadata));
}

void LibraryRouteBackend::externalConvert(const QString& input, const QString& output,
                                          bool grayscale) {
    bridge_.ImageMagickIleDonustur(input, output, grayscale);
}

void LibraryRouteBackend::externalQualityConvert(const QString& input, const QString& output,
                                                 int quality, bool grayscale,
                                                 const IconSizes& icon) {
    bridge_.ImageMagickIleAVIFDonustur(input, output, quality, grayscale, icon);
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

#include "conversion/routes/conversion_engine.h"

#include "conversion/formats/bmp_writer.h"
#include "conversion/formats/imaging_component.h"
#include "conversion/formats/picture_loader.h"
#include "conversion/formats/work_bitmap.h"
#include "conversion/routes/codec_library.h"

namespace pixmorrow {

// The decoded-picture holder's loader and the work bitmap, reused for every file of a run.
struct LibraryRouteBackend::State {
    explicit State(const QString& programFolder) : imaging(programFolder) {}
    ImagingComponent imaging;
    PictureLoader loader{decodeWithCodecLibrary, renderSvg, imaging};
    WorkBitmap bitmap;
};

LibraryRouteBackend::LibraryRouteBackend(ImageMagickBridge& bridge, const QString& programFolder)
    : bridge_(bridge), state_(std::make_unique<State>(programFolder)) {}

LibraryRouteBackend::~LibraryRouteBackend() = default;

void LibraryRouteBackend::loadWorkBitmap(const QString& path) {
    state_->bitmap.draw(state_->loader.load(path));
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

void LibraryRouteBackend::writeWorkBitmapTiff(const QString& path) {
    state_->imaging.writeTiff(state_->bitmap, path);
}

void LibraryRouteBackend::writeWorkBitmapWmp(const QString& path) {
    state_->imaging.writeWmp(state_->bitmap, path);
}

void LibraryRouteBackend::codecEncode(const QString& source, const QString& output,
                                      CodecFormat format, int quality, bool grayscale) {
    codecRoute(source, output, codecLibraryFormat(format), quality, grayscale);
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

#include "conversion/conversion_engine.h"

#include "platform/error.h"

namespace pixmorrow {

struct LibraryRouteBackend::State {};

namespace {

[[noreturn]] void unavailable(const char* what) {
    throw Error(QStringLiteral("%1 is not available in this build").arg(QLatin1String(what)));
}

}  // namespace

LibraryRouteBackend::LibraryRouteBackend(ImageMagickBridge& bridge, QString)
    : bridge_(bridge), state_(std::make_unique<State>()) {}

LibraryRouteBackend::~LibraryRouteBackend() = default;

void LibraryRouteBackend::loadWorkBitmap(const QString&) {
    unavailable("The picture loader");
}

void LibraryRouteBackend::grayscaleWorkBitmap() {
    unavailable("The work bitmap");
}

void LibraryRouteBackend::writeWorkBitmapBmp(const QString&) {
    unavailable("The BMP writer");
}

void LibraryRouteBackend::writeWorkBitmapTiff(const QString&) {
    unavailable("The TIFF writer");
}

void LibraryRouteBackend::writeWorkBitmapWmp(const QString&) {
    unavailable("The WMP writer");
}

void LibraryRouteBackend::codecEncode(const QString&, const QString&, CodecFormat, int, bool) {
    unavailable("The codec library");
}

void LibraryRouteBackend::externalConvert(const QString& input, const QString& output,
                                          bool grayscale) {
    bridge_.ImageMagickIleDonustur(input, output, grayscale);
}

void LibraryRouteBackend::externalQualityConvert(const QString& input, const QString& output,
                                                 int quality, bool grayscale) {
    bridge_.ImageMagickIleAVIFDonustur(input, output, quality, grayscale);
}

ConversionEngine::ConversionEngine(const ConversionSetup& setup)
    : bridge_(setup.programFolder, setup.dialogs, setup.log),
      backend_(bridge_, setup.programFolder),
      routes_(backend_, setup.dialogs, setup.settingsFolder) {}

}  // namespace pixmorrow

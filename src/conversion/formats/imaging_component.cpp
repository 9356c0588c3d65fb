#include "conversion/formats/imaging_component.h"

#include "conversion/formats/jxr_codec.h"
#include "conversion/formats/jxr_decoder_process.h"
#include "conversion/formats/tiff_codec.h"
#include "conversion/run/output_file.h"
#include "platform/error.h"

#include <utility>

namespace pixmorrow {

namespace {

template <typename Decode>
formats::DecodedImage readWith(const QString& path, Decode decode) {
    const std::vector<std::uint8_t> bytes = readInputFile(path);
    try {
        return decode(formats::Bytes(bytes));
    } catch (const formats::DecodeError& e) {
        throw Error(e);
    }
}

template <typename Encode>
void writeWith(const WorkBitmap& bitmap, const QString& path, Encode encode) {
    if (bitmap.empty())
        throw Error(QStringLiteral("There is no picture to write to %1").arg(path));
    const std::vector<std::uint8_t> bgra = bitmap.toBgra();
    std::vector<std::uint8_t> bytes;
    try {
        bytes =
            encode(bgra.data(), bitmap.width(), bitmap.height(), std::size_t{bitmap.width()} * 4);
    } catch (const std::exception& e) {
        throw Error(QString::fromUtf8(e.what()));
    }
    writeOutputFile(path, bytes);
}

}  // namespace

ImagingComponent::ImagingComponent(QString programFolder)
    : programFolder_(std::move(programFolder)) {}

formats::DecodedImage ImagingComponent::readTiff(const QString& path) const {
    return readWith(path, [](formats::Bytes b) { return decodeTiff(b); });
}

formats::DecodedImage ImagingComponent::readWmp(const QString& path) const {
    const QString helper = programFolder_ + u'/' + kJxrHelperName;
    return readWith(path, [&helper](formats::Bytes b) { return decodeJxr(b, helper); });
}

void ImagingComponent::writeTiff(const WorkBitmap& bitmap, const QString& path,
                                 const formats::ImageMetadata& metadata) const {
    writeWith(bitmap, path,
              [&](const std::uint8_t* p, std::uint32_t w, std::uint32_t h, std::size_t s) {
                  return encodeTiff(p, w, h, s, TiffCompression::Lzw, metadata);
              });
}

void ImagingComponent::writeWmp(const WorkBitmap& bitmap, const QString& path) const {
    writeWith(bitmap, path,
              [](const std::uint8_t* p, std::uint32_t w, std::uint32_t h, std::size_t s) {
                  return encodeJxr(p, w, h, s);
              });
}

}  // namespace pixmorrow

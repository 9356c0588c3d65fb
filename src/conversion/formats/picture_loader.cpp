#include "conversion/formats/picture_loader.h"

#include "conversion/format_table.h"
#include "conversion/run/output_file.h"
#include "formats/readers.h"
#include "formats/resample.h"
#include "platform/error.h"

#include <QFileInfo>

#include <utility>

namespace pixmorrow {

PictureLoader::PictureLoader(Decode decodeWithCodecLibrary, Decode renderSvg,
                             const ImagingComponent& imaging)
    : decodeWithCodecLibrary_(std::move(decodeWithCodecLibrary)),
      renderSvg_(std::move(renderSvg)),
      imaging_(imaging) {}

namespace {

using Reader = formats::DecodedImage (*)(formats::Bytes);

// The program's own reader for a way of reading, or null.
Reader ownReader(InputRead read) {
    switch (read) {
        case InputRead::Bmp:
            return formats::decodeBmp;
        case InputRead::Ico:
            return formats::decodeIco;
        case InputRead::Gif:
            return formats::decodeGif;
        case InputRead::Png:
            return formats::decodePng;
        case InputRead::Jpeg:
            return formats::decodeJpeg;
        case InputRead::Tiff:
        case InputRead::JpegXr:
        case InputRead::CodecLibrary:
        case InputRead::CodecLibrarySvg:
        case InputRead::ExternalTool:
        case InputRead::CopiedToIntermediate:
        case InputRead::Unknown:
            break;
    }
    return nullptr;
}

}  // namespace

formats::DecodedImage PictureLoader::load(const QString& path,
                                          const formats::ResizeRequest& request) const {
    try {
        if (inputKind(u'.' + QFileInfo(path).suffix().toLower()).read == InputRead::Jpeg)
            return formats::decodeJpegResized(formats::Bytes(readInputFile(path)), request);
        return formats::resized(load(path), request);
    } catch (const formats::DecodeError& e) {
        throw Error(e);
    }
}

formats::DecodedImage PictureLoader::load(const QString& path) const {
    const QString extension = QFileInfo(path).suffix().toLower();
    const InputRead read = inputKind(u'.' + extension).read;
    const Reader reader = ownReader(read);
    if (reader) {
        const std::vector<std::uint8_t> bytes = readInputFile(path);
        try {
            return reader(formats::Bytes(bytes));
        } catch (const formats::DecodeError& e) {
            throw Error(e);
        }
    }
    if (read == InputRead::Tiff)
        return imaging_.readTiff(path);
    if (read == InputRead::JpegXr)
        return imaging_.readWmp(path);
    if (read == InputRead::CodecLibrary) {
        if (!decodeWithCodecLibrary_)
            throw Error(QStringLiteral("The image codec library is not available"));
        return decodeWithCodecLibrary_(path);
    }
    if (read == InputRead::CodecLibrarySvg) {
        if (!renderSvg_)
            throw Error(QStringLiteral("The image codec library is not available"));
        return renderSvg_(path);
    }
    throw Error(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
}

}  // namespace pixmorrow

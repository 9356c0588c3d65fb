#include "conversion/formats/picture_loader.h"

#include "conversion/run/output_file.h"
#include "formats/readers.h"
#include "platform/error.h"

#include <QFileInfo>

#include <utility>

namespace pixmorrow {

PictureLoader::PictureLoader(Decode decodeWithCodecLibrary, Decode renderSvg,
                             const ImagingComponent& imaging)
    : decodeWithCodecLibrary_(std::move(decodeWithCodecLibrary)),
      renderSvg_(std::move(renderSvg)),
      imaging_(imaging) {}

formats::DecodedImage PictureLoader::load(const QString& path) const {
    const QString extension = QFileInfo(path).suffix().toLower();
    using Reader = formats::DecodedImage (*)(formats::Bytes);
    Reader reader = nullptr;
    if (extension == QLatin1String("bmp"))
        reader = formats::decodeBmp;
    else if (extension == QLatin1String("ico"))
        reader = formats::decodeIco;
    else if (extension == QLatin1String("gif"))
        reader = formats::decodeGif;
    else if (extension == QLatin1String("png"))
        reader = formats::decodePng;
    else if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        reader = formats::decodeJpeg;

    if (reader) {
        const std::vector<std::uint8_t> bytes = readInputFile(path);
        try {
            return reader(formats::Bytes(bytes));
        } catch (const formats::DecodeError& e) {
            throw Error(e);
        }
    }
    if (extension == QLatin1String("tif") || extension == QLatin1String("tiff"))
        return imaging_.readTiff(path);
    if (extension == QLatin1String("wmp"))
        return imaging_.readWmp(path);
    if (extension == QLatin1String("webp") || extension == QLatin1String("wbmp")) {
        if (!decodeWithCodecLibrary_)
            throw Error(QStringLiteral("The image codec library is not available"));
        return decodeWithCodecLibrary_(path);
    }
    if (extension == QLatin1String("svg")) {
        if (!renderSvg_)
            throw Error(QStringLiteral("The image codec library is not available"));
        return renderSvg_(path);
    }
    throw Error(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
}

}  // namespace pixmorrow

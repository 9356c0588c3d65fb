#include "decode.h"

#include "formats/metadata.h"
#include "formats/readers.h"
#include "pixels.h"

#include <webp/demux.h>

#include <cstring>

namespace pixmorrow::codec {
namespace {

// The orientation in a WebP file's EXIF chunk, read by wrapping the chunk the way a JPEG
// file carries it so the one EXIF reader serves both.
int webpOrientation(formats::Bytes bytes) {
    WebPData data{bytes.data(), bytes.size()};
    WebPDemuxer* demux = WebPDemuxPartial(&data, nullptr);
    if (!demux)
        return 1;
    int orientation = 1;
    WebPChunkIterator chunk;
    if (WebPDemuxGetChunk(demux, "EXIF", 1, &chunk)) {
        formats::Bytes exif(chunk.chunk.bytes, chunk.chunk.size);
        static const std::uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
        if (exif.size() >= 6 && std::memcmp(exif.data(), kExifId, 6) == 0)
            exif = exif.subspan(6);
        if (exif.size() + 8 <= 0xFFFF) {
            const std::size_t segment = exif.size() + 8;
            std::vector<std::uint8_t> jpeg = {
                0xFF, 0xD8, 0xFF, 0xE1, std::uint8_t(segment >> 8), std::uint8_t(segment), 'E', 'x',
                'i',  'f',  0,    0};
            jpeg.insert(jpeg.end(), exif.begin(), exif.end());
            jpeg.insert(jpeg.end(), {0xFF, 0xD9});
            orientation = formats::readExifOrientation(jpeg);
        }
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    WebPDemuxDelete(demux);
    return orientation;
}

}  // namespace

void checkDimensions(std::uint64_t width, std::uint64_t height) {
    formats::checkImageSize(width, height, "Image");
}

DecodedPicture decodeEncoded(formats::Bytes bytes) {
    formats::DecodedImage image;
    switch (formats::sniffFormat(bytes)) {
        case formats::Format::Png:
            image = decodePng(bytes);
            break;
        case formats::Format::WebP:
            image = formats::applyOrientation(decodeWebp(bytes), webpOrientation(bytes));
            break;
        case formats::Format::Unknown:
            throw formats::DecodeError("Unknown file format", formats::ErrorKind::Unsupported);
        default:
            image = formats::decodeByContent(bytes);
            break;
    }
    checkDimensions(image.width, image.height);
    if (image.bgra.size() != formats::checkedBytes(image.width, image.height, 4))
        throw formats::DecodeError("Decoder gave an image of the wrong size",
                                   formats::ErrorKind::Library);
    auto buffer = std::make_shared<PixelBuffer>();
    buffer->width = image.width;
    buffer->height = image.height;
    buffer->bytes = std::move(image.bgra);
    premultiplyInPlace(buffer->bytes.data(), std::size_t{buffer->width} * buffer->height);
    DecodedPicture picture{std::move(buffer), formats::readMetadata(bytes)};
    if (!picture.metadata.exif.empty())
        picture.metadata.exif = formats::exifForOutput(picture.metadata.exif);
    return picture;
}

}  // namespace pixmorrow::codec

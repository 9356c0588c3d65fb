#pragma once

#include "conversion/format_table.h"
#include "conversion/formats/icon_sizes.h"

#include <QSize>
#include <QString>

namespace pixmorrow {

// The machinery the format routes drive: the picture loader and the work bitmap, the bitmap
// writers, the codec library and the external tool. The routes decide which is used when;
// every call fails by throwing an error with the text the user sees.
class RouteBackend {
public:
    virtual ~RouteBackend() = default;

    // Loads `path` with the picture loader (decoder by extension) and draws it onto the work
    // bitmap, replacing what it held, and keeps the file's colour profile, EXIF and XMP for
    // the writers below.
    virtual void loadWorkBitmap(const QString& path) = 0;
    // When the file last loaded came without a colour profile, has the external tool write
    // the profile of `source` into `iccFile` and keeps it: the tool's grayscale intermediate
    // cannot hold the RGB profile of its source.
    virtual void profileFromTool(const QString& source, const QString& iccFile) = 0;
    // Whether the file last loaded came with an EXIF or XMP block.
    virtual bool holdsExifOrXmp() const = 0;
    // The width and height of the picture last loaded.
    virtual QSize pictureSize() const = 0;
    virtual void grayscaleWorkBitmap() = 0;
    virtual void writeWorkBitmapBmp(const QString& path) = 0;
    // With the loaded file's profile, and its XMP when `keepMetadata`.
    virtual void writeWorkBitmapTiff(const QString& path, bool keepMetadata) = 0;
    virtual void writeWorkBitmapWmp(const QString& path) = 0;

    // The codec library route from a decodable file: draw it onto a transparent surface,
    // through the grayscale filter when asked, and encode the surface into `output` with
    // the profile, and the EXIF and XMP when `keepMetadata`, of `source` or, where it has
    // none, of the file last loaded. When `source` is the file last loaded and the library
    // would decode it to the pixels the loader gave, those are used instead of a second
    // decoding.
    virtual void codecEncode(const QString& source, const QString& output, CodecFormat format,
                             int quality, bool grayscale, bool keepMetadata) = 0;
    // The same route from the work bitmap, with the blocks of the file last loaded: the
    // output is the one codecEncode gives for the bitmap written as a 24-bit BMP file, made
    // without that file. The work bitmap is spent; the next file loads its own.
    virtual void codecEncodeWorkBitmap(const QString& output, CodecFormat format, int quality,
                                       bool grayscale, bool keepMetadata) = 0;

    // The external tool's general conversion and its conversion with a quality, which also
    // makes the icon sizes given (none for other types than ICO). They show their own error
    // messages and raise none; the caller checks for the output.
    virtual void externalConvert(const QString& input, const QString& output, bool grayscale) = 0;
    virtual void externalQualityConvert(const QString& input, const QString& output, int quality,
                                        bool grayscale, const IconSizes& icon) = 0;
};

}  // namespace pixmorrow

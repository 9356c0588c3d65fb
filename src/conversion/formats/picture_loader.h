#pragma once

#include "conversion/formats/imaging_component.h"
#include "formats/decoded_image.h"
#include "formats/resize_plan.h"

#include <QString>

#include <functional>

namespace pixmorrow {

// Loads a picture file with the decoder that the format table names for its extension
// (case-insensitively): the program's own readers, the imaging component, the codec library or
// its SVG renderer. Any other extension fails with "Unknown picture file extension (.%s)".
// Every failure is a pixmorrow::Error carrying the decoder's text.
class PictureLoader {
public:
    using Decode = std::function<formats::DecodedImage(const QString& path)>;

    PictureLoader(Decode decodeWithCodecLibrary, Decode renderSvg, const ImagingComponent& imaging);

    formats::DecodedImage load(const QString& path) const;
    // The picture resized as `request` plans for it as shown; a JPEG file is decoded at the
    // reduced scale that still holds the planned size.
    formats::DecodedImage load(const QString& path, const formats::ResizeRequest& request) const;

private:
    Decode decodeWithCodecLibrary_;
    Decode renderSvg_;
    const ImagingComponent& imaging_;
};

}  // namespace pixmorrow

// Resampling a decoded picture to another size: Lanczos-3 through libswscale, transparent
// pictures premultiplied at 16 bits a channel so that colour under transparent pixels does
// not bleed into (and darken) the edges of what is visible.
#pragma once

#include "formats/decoded_image.h"
#include "formats/resize_plan.h"

namespace pixmorrow::formats {

// `picture` at `target` size. The same size gives the picture back unchanged. Throws
// DecodeError (TooLarge) for a target beyond the decoders' limits, and when the resampler
// cannot be set up.
DecodedImage resampled(DecodedImage picture, PixelSize target);

// The picture at the size `request` plans for it.
DecodedImage resized(DecodedImage picture, const ResizeRequest& request);

}  // namespace pixmorrow::formats

// What a picture file says about its pixels besides the pixels: the colour profile that
// gives them their meaning, and the EXIF and XMP blocks. Every size in these blocks comes
// from the file and is checked before use; a block that is damaged or too large is left out,
// never an error.
#pragma once

#include "formats/decoded_image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pixmorrow::formats {

// No block over this is kept: profiles are a few kilobytes to a few hundred, and a
// header that claims more is far more likely damage than a real profile.
inline constexpr std::size_t kMaxMetadataBytes = std::size_t{4} << 20;

struct ImageMetadata {
    std::vector<std::uint8_t> icc;   // a whole ICC profile, passed checkedIccProfile
    std::vector<std::uint8_t> exif;  // a TIFF structure ("II*\0" or "MM\0*" first)
    std::vector<std::uint8_t> xmp;   // the XMP packet

    bool empty() const { return icc.empty() && exif.empty() && xmp.empty(); }
    bool operator==(const ImageMetadata&) const = default;
};

// The blocks of a JPEG (APP2 ICC_PROFILE chunks, APP1 Exif and XMP), PNG (iCCP, eXIf, iTXt
// XML:com.adobe.xmp), WebP (ICCP, EXIF, XMP chunks) or TIFF (tags 34675 and 700) file,
// by content; nothing for any other content. Never throws for what the bytes hold.
ImageMetadata readMetadata(Bytes file);

// Whether the bytes can be a whole ICC profile: at most kMaxMetadataBytes, a header whose
// length is the size of the bytes, the "acsp" signature, and a tag table whose tags all lie
// inside the profile.
bool checkedIccProfile(Bytes profile);

// The EXIF block as an output of pixels already turned upright takes it: the orientation
// set to 1 and the thumbnail (the second directory, with its picture bytes) removed, as it
// shows the picture before it was turned and cut. Empty when the block is not a TIFF
// structure with a readable first directory.
std::vector<std::uint8_t> exifForOutput(Bytes exif);

}  // namespace pixmorrow::formats

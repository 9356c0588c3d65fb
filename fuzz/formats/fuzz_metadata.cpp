// The profile, EXIF and XMP finder and the EXIF rewriting on arbitrary bytes.
#include "formats/metadata.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pixmorrow::formats;
    const Bytes bytes(data, size);
    const ImageMetadata found = readMetadata(bytes);
    // What is kept is whole and within the cap.
    if ((!found.icc.empty() && !checkedIccProfile(found.icc)) ||
        found.exif.size() > kMaxMetadataBytes || found.xmp.size() > kMaxMetadataBytes)
        __builtin_trap();
    if (exifForOutput(found.exif).size() > found.exif.size())
        __builtin_trap();
    // The rewriting alone, on bytes that need not come from any container.
    if (exifForOutput(bytes).size() > size)
        __builtin_trap();
    return 0;
}

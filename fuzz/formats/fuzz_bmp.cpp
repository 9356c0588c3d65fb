// Feeds arbitrary bytes to the BMP reader: it must either decode or throw DecodeError
// with a kind.
#include "decode_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pixmorrow::formats;
    // The picture follows the data: the densest coding is an RLE run.
    return pixmorrow::fuzzing::checkReader(decodeBmp, data, size, kRleMaxPixelsPerByte);
}

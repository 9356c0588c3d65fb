// Feeds arbitrary bytes to the PNG reader: it must either decode or throw DecodeError
// with a kind.
#include "decode_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pixmorrow::formats;
    // The picture follows the data: the densest coding is eight 1-bit pixels a byte, deflated.
    return pixmorrow::fuzzing::checkReader(decodePng, data, size, 8 * kDeflateMaxRatio);
}

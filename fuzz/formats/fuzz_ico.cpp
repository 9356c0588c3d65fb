// Feeds arbitrary bytes to the ICO reader: it must either decode or throw DecodeError
// with a kind.
#include "decode_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pixmorrow::formats;
    // The picture follows the data: the densest coding is a 1-bit PNG entry.
    return pixmorrow::fuzzing::checkReader(decodeIco, data, size, 8 * kDeflateMaxRatio);
}

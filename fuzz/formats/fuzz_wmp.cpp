// Our JPEG XR decode entry (container checks, then jxrlib) on arbitrary bytes.
#include "conversion/formats/jxr_codec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        pixmorrow::decodeJxrInProcess(pixmorrow::formats::Bytes(data, size));
    } catch (const pixmorrow::formats::DecodeError&) {
    }
    return 0;
}

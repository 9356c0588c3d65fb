// Our JPEG XR decode entry (container checks, then jxrlib) on arbitrary bytes.
#include "conversion/formats/jxr_codec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        pixmorrow::decodeJxrInProcess(pixmorrow::formats::Bytes(data, size));
    } catch (const pixmorrow::formats::DecodeError& e) {
        // Every failure says what kind it is.
        if (e.kind() == pixmorrow::formats::ErrorKind::None)
            __builtin_trap();
    }
    return 0;
}

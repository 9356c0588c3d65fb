// Our JPEG XR decode entry (container checks, then jxrlib) on arbitrary bytes.
#include "conversion/formats/jxr_codec.h"
#include "decode_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pixmorrow::fuzzing::decodeOrFailWithAKind(
        [&] { pixmorrow::decodeJxrInProcess(pixmorrow::formats::Bytes(data, size)); });
    return 0;
}

// Any bytes through the codec library's decoder: it must give an image or a clear
// failure with a kind, never a crash, and an image it gives must be whole and within the
// limits.
#include "pixmorrow_codec.h"

#include "formats/decode_limits.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pmc_image* image = pmc_image_make_from_encoded_data(data, size);
    if (!image) {
        if (std::strlen(pmc_last_error()) == 0 || pmc_last_error_info().kind == PMC_ERROR_NONE)
            std::abort();
        return 0;
    }
    const std::int32_t width = pmc_image_get_width(image), height = pmc_image_get_height(image);
    if (width <= 0 || height <= 0 || !pixmorrow::formats::withinLimits(width, height))
        std::abort();
    // Touch every pixel, so a short buffer shows under the address sanitizer.
    std::vector<std::uint8_t> straight(std::size_t(width) * 4);
    const auto* pixels = static_cast<const std::uint8_t*>(pmc_image_peek_pixels(image));
    unsigned sum = 0;
    for (std::size_t i = 0; i < std::size_t(width) * height * 4; ++i)
        sum += pixels[i];
    if (height == 1)
        pmc_image_read_pixels(image, PMC_ALPHATYPE_UNPREMUL, straight.data(), straight.size());
    pmc_image_unref(image);
    return sum == 0xFFFFFFFFu;
}

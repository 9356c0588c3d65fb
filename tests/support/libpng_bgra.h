#pragma once

// libpng's reading of a PNG file as straight BGRA, 16-bit samples cut to their high byte: the
// reference our reader is checked against and timed beside.

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace pixmorrow::testing {

namespace libpng_detail {

struct ReadState {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

inline void readData(png_structp png, png_bytep out, png_size_t length) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    if (state->size - state->pos < length)
        png_error(png, "truncated");
    std::memcpy(out, state->data + state->pos, length);
    state->pos += length;
}

}  // namespace libpng_detail

inline std::vector<std::uint8_t> readWithLibpng(const std::vector<std::uint8_t>& file,
                                                std::uint32_t& width, std::uint32_t& height) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<std::uint8_t> pixels;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error("libpng read failed");
    }
    libpng_detail::ReadState state{file.data(), file.size(), 0};
    png_set_read_fn(png, &state, libpng_detail::readData);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    pixels.resize(std::size_t{width} * height * 4);
    std::vector<png_bytep> pointers;
    for (std::uint32_t y = 0; y < height; ++y)
        pointers.push_back(pixels.data() + std::size_t{y} * width * 4);
    png_read_image(png, pointers.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return pixels;
}

}  // namespace pixmorrow::testing

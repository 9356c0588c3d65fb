#pragma once

#include "formats/decoded_image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pixmorrow {

// The raster bitmap of a conversion run: 32 bits a pixel (blue, green, red, alpha) until
// GrayscaleBitmap makes it 24 bits (blue, green, red). Rows top-down without padding.
class WorkBitmap {
public:
    enum class Format { Bgra32, Bgr24 };

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    Format format() const { return format_; }
    int bytesPerPixel() const { return format_ == Format::Bgra32 ? 4 : 3; }
    std::size_t stride() const { return std::size_t{width_} * bytesPerPixel(); }
    bool empty() const { return width_ == 0 || height_ == 0; }

    // Resizes to the picture and draws it at (0, 0); transparent parts are composed over
    // white, since BMP, TIFF and WMP outputs keep no alpha.
    void draw(const formats::DecodedImage& picture);
    // The same, composing in the picture's own pixels and taking them over: no second copy.
    void draw(formats::DecodedImage&& picture);

    // Sets the size and format; the pixels become opaque white.
    void reset(std::uint32_t width, std::uint32_t height, Format format);

    std::uint8_t* row(std::uint32_t y) { return pixels_.data() + y * stride(); }
    const std::uint8_t* row(std::uint32_t y) const { return pixels_.data() + y * stride(); }
    const std::vector<std::uint8_t>& pixels() const { return pixels_; }
    // Gives the pixels away, leaving the bitmap empty.
    std::vector<std::uint8_t> takePixels();

    // The pixels as 32-bit BGRA (alpha 255), whatever the format, for encoders.
    std::vector<std::uint8_t> toBgra() const;

    // Changes the format in place, keeping the colours.
    void setFormat(Format format);

private:
    std::uint32_t width_ = 0, height_ = 0;
    Format format_ = Format::Bgra32;
    std::vector<std::uint8_t> pixels_;
};

// Turns the bitmap gray in place: 24 bits a pixel, every channel (B + G + R) div 3.
void GrayscaleBitmap(WorkBitmap& bitmap);

}  // namespace pixmorrow

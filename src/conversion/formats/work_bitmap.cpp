#include "conversion/formats/work_bitmap.h"

#include <stdexcept>
#include <utility>

namespace pixmorrow {

void WorkBitmap::reset(std::uint32_t width, std::uint32_t height, Format format) {
    width_ = width;
    height_ = height;
    format_ = format;
    pixels_.assign(std::size_t{width} * height * bytesPerPixel(), 255);
}

void WorkBitmap::draw(const formats::DecodedImage& picture) {
    draw(formats::DecodedImage(picture));
}

void WorkBitmap::draw(formats::DecodedImage&& picture) {
    if (picture.bgra.size() != std::size_t{picture.width} * picture.height * 4)
        throw std::invalid_argument("picture pixels do not match its size");
    std::uint8_t* p = picture.bgra.data();
    const std::size_t count = std::size_t{picture.width} * picture.height;
    for (std::size_t i = 0; i < count; ++i, p += 4) {
        const unsigned a = p[3];
        if (a == 255)
            continue;
        // c * a + 255 * (255 - a), divided by 255 with rounding
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<std::uint8_t>((p[c] * a + 255 * (255 - a) + 127) / 255);
        p[3] = 255;
    }
    width_ = picture.width;
    height_ = picture.height;
    format_ = Format::Bgra32;
    pixels_ = std::move(picture.bgra);
}

std::vector<std::uint8_t> WorkBitmap::takePixels() {
    width_ = height_ = 0;
    format_ = Format::Bgra32;
    return std::exchange(pixels_, {});
}

std::vector<std::uint8_t> WorkBitmap::toBgra() const {
    if (format_ == Format::Bgra32)
        return pixels_;
    std::vector<std::uint8_t> out(std::size_t{width_} * height_ * 4);
    for (std::size_t i = 0, j = 0; j < out.size(); i += 3, j += 4) {
        out[j] = pixels_[i];
        out[j + 1] = pixels_[i + 1];
        out[j + 2] = pixels_[i + 2];
        out[j + 3] = 255;
    }
    return out;
}

void WorkBitmap::setFormat(Format format) {
    if (format == format_)
        return;
    if (format == Format::Bgra32) {
        pixels_ = toBgra();
    } else {
        std::vector<std::uint8_t> out(std::size_t{width_} * height_ * 3);
        for (std::size_t i = 0, j = 0; i < out.size(); i += 3, j += 4) {
            out[i] = pixels_[j];
            out[i + 1] = pixels_[j + 1];
            out[i + 2] = pixels_[j + 2];
        }
        pixels_ = std::move(out);
    }
    format_ = format;
}

void GrayscaleBitmap(WorkBitmap& bitmap) {
    bitmap.setFormat(WorkBitmap::Format::Bgr24);
    for (std::uint32_t y = 0; y < bitmap.height(); ++y) {
        std::uint8_t* p = bitmap.row(y);
        for (std::uint32_t x = 0; x < bitmap.width(); ++x, p += 3) {
            const auto gray = static_cast<std::uint8_t>((p[0] + p[1] + p[2]) / 3);
            p[0] = p[1] = p[2] = gray;
        }
    }
}

}  // namespace pixmorrow

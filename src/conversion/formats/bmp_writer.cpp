#include "conversion/formats/bmp_writer.h"

#include "conversion/run/output_file.h"

#include <cstring>
#include <stdexcept>

namespace pixmorrow {

namespace {

void putLe16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void putLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> encodeBmp(const WorkBitmap& bitmap) {
    if (bitmap.empty())
        throw std::invalid_argument("empty bitmap");
    const std::uint64_t stride = (std::uint64_t{bitmap.width()} * 3 + 3) / 4 * 4;
    const std::uint64_t imageSize = stride * bitmap.height();
    constexpr std::uint32_t kHeaders = 14 + 40;
    if (imageSize + kHeaders > 0xFFFFFFFFu)
        throw std::runtime_error("The picture is too large for a BMP file");
    std::vector<std::uint8_t> out(kHeaders + imageSize, 0);
    std::uint8_t* h = out.data();
    h[0] = 'B';
    h[1] = 'M';
    putLe32(h + 2, static_cast<std::uint32_t>(out.size()));
    putLe32(h + 10, kHeaders);
    putLe32(h + 14, 40);
    putLe32(h + 18, bitmap.width());
    putLe32(h + 22, bitmap.height());  // positive: bottom-up
    putLe16(h + 26, 1);
    putLe16(h + 28, 24);
    putLe32(h + 34, static_cast<std::uint32_t>(imageSize));
    putLe32(h + 38, 3780);  // 96 DPI in pixels a metre
    putLe32(h + 42, 3780);

    const int bpp = bitmap.bytesPerPixel();
    for (std::uint32_t y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* in = bitmap.row(y);
        std::uint8_t* o = out.data() + kHeaders + (bitmap.height() - 1 - y) * stride;
        if (bpp == 3) {
            std::memcpy(o, in, std::size_t{bitmap.width()} * 3);
            continue;
        }
        for (std::uint32_t x = 0; x < bitmap.width(); ++x, in += 4, o += 3) {
            o[0] = in[0];
            o[1] = in[1];
            o[2] = in[2];
        }
    }
    return out;
}

void writeBmp(const WorkBitmap& bitmap, const QString& path) {
    writeOutputFile(path, encodeBmp(bitmap));
}

}  // namespace pixmorrow

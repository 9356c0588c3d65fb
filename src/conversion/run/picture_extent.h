#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace pixmorrow {

struct PictureExtent {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// A picture's width and height as its header gives them, read without decoding it, for the
// run's memory budget: JPEG, PNG, GIF, BMP, WebP and TIFF headers are known. Nothing for
// another kind, a header that cannot be read or one that is damaged; never throws. Reads a
// few small pieces of the file only, whatever its header claims.
std::optional<PictureExtent> readPictureExtent(const QString& path);

}  // namespace pixmorrow

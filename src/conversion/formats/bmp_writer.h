#pragma once

#include "conversion/formats/work_bitmap.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace pixmorrow {

// The bitmap as a Windows BMP file: 24 bits a pixel, bottom-up, BGR, rows padded to four
// bytes, a BITMAPINFOHEADER and no palette.
std::vector<std::uint8_t> encodeBmp(const WorkBitmap& bitmap);

// Writes encodeBmp's bytes into a new file `path`; never replaces an existing file, leaves
// nothing behind on failure. Throws pixmorrow::Error.
void writeBmp(const WorkBitmap& bitmap, const QString& path);

}  // namespace pixmorrow

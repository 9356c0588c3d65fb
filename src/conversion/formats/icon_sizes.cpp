#include "conversion/formats/icon_sizes.h"

#include <QFile>

#include <algorithm>
#include <array>

namespace pixmorrow {

namespace {

// The sizes desktops look for in an icon, largest first.
constexpr std::array<int, 6> kIconSides = {256, 128, 64, 48, 32, 16};

}  // namespace

IconSizes iconSizesFor(int width, int height, bool severalIcons) {
    IconSizes sizes;
    const int longest = std::max(width, height);
    if (severalIcons || std::min(width, height) <= 0)
        return sizes;
    for (const int side : kIconSides) {
        if (side < longest)
            sizes.squares.push_back(side);
    }
    sizes.replaceSource = longest > kLargestIconSide;
    return sizes;
}

bool holdsSeveralIcons(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Reserved 0, type 1 (icon) or 2 (cursor), then the image count, all little-endian.
    const QByteArray header = file.read(6);
    if (header.size() != 6 || header[0] != 0 || header[1] != 0 || header[3] != 0 ||
        (header[2] != 1 && header[2] != 2)) {
        return false;
    }
    const int count = static_cast<unsigned char>(header[4]) | static_cast<unsigned char>(header[5])
                                                                  << 8;
    return count > 1;
}

}  // namespace pixmorrow

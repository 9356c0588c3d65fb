#pragma once

// What an ICO output holds: the square sizes a desktop picks from, made from the picture.

#include <QString>

#include <vector>

namespace pixmorrow {

// The images an ICO output gets besides, or instead of, the source's own.
struct IconSizes {
    // Sides of the squares, largest first; each holds the picture fitted with its aspect
    // ratio kept, the rest transparent.
    std::vector<int> squares;
    // The source's own images give way to the squares: they are too large for an icon.
    bool replaceSource = false;

    bool empty() const { return squares.empty(); }
    bool operator==(const IconSizes&) const = default;
};

// The largest side an image inside an icon may have.
inline constexpr int kLargestIconSide = 256;

// The squares for a picture of `width` x `height`: every desktop icon size below its longest
// side, so nothing is enlarged. A picture that fits in an icon stays as it is beside them;
// a larger one is replaced by all of them. An icon of several images already holds the sizes
// its maker chose and gets none.
IconSizes iconSizesFor(int width, int height, bool severalIcons);

// Whether a file is an icon or cursor of more than one image, by its header; false for any
// other file and for one that cannot be read.
bool holdsSeveralIcons(const QString& path);

}  // namespace pixmorrow

// Icons and cursors: the best image of the directory (largest, then deepest), which is a
// DIB with an AND mask or a whole PNG file.
#include "formats/readers.h"

#include "byte_reader.h"
#include "dib.h"

#include <algorithm>
#include <optional>

namespace pixmorrow::formats {

namespace {

// How many of the directory's images are tried before the icon counts as damaged.
constexpr std::size_t kMaxImagesTried = 4;

struct Entry {
    std::size_t offset = 0, size = 0;
    std::uint64_t pixels = 0;
    int depth = 0;
    bool png = false;
};

}  // namespace

DecodedImage decodeIco(Bytes data) {
    if (!looksLikeIco(data))
        throw DecodeError("ICO: not an icon file", ErrorKind::Unsupported);
    const detail::ByteReader in(data, "ICO: truncated file");
    const std::uint32_t count = in.le16(4);
    std::vector<Entry> entries;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + 16 * std::size_t{i};
        if (!in.has(at, 16))
            break;  // a directory cut short keeps the entries it has
        Entry e;
        std::uint32_t width = in.u8(at) ? in.u8(at) : 256;
        std::uint32_t height = in.u8(at + 1) ? in.u8(at + 1) : 256;
        e.depth = in.le16(at + 6);
        e.size = in.le32(at + 8);
        e.offset = in.le32(at + 12);
        if (e.offset >= data.size() || e.size == 0)
            continue;
        e.size = std::min<std::size_t>(e.size, data.size() - e.offset);
        const Bytes image = data.subspan(e.offset, e.size);
        // What the image itself says beats the directory.
        if (looksLikePng(image) && image.size() >= 26) {
            e.png = true;
            width = std::uint32_t{image[16]} << 24 | image[17] << 16 | image[18] << 8 | image[19];
            height = std::uint32_t{image[20]} << 24 | image[21] << 16 | image[22] << 8 | image[23];
            static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
            const int type = image[25] <= 6 ? image[25] : 0;
            e.depth = image[24] * (type == 3 ? 1 : kChannels[type]);
        } else {
            int bpp = 0;
            std::uint32_t w = 0, h = 0;
            if (detail::peekDib(image, w, h, bpp)) {
                width = w;
                height = h;
                e.depth = bpp;
            }
        }
        e.pixels = std::uint64_t{width} * height;
        entries.push_back(e);
    }
    if (entries.empty())
        throw DecodeError("ICO: no image in the icon", ErrorKind::Corrupt);
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.pixels != b.pixels ? a.pixels > b.pixels : a.depth > b.depth;
    });

    // A damaged best image gives way to the next, up to a few images and each place in the
    // file once: a directory of thousands of entries that all point at one damaged image
    // fails at once. The first failure (with its kind) is what is reported.
    std::optional<DecodeError> firstError;
    std::vector<std::size_t> tried;
    for (const Entry& e : entries) {
        if (std::find(tried.begin(), tried.end(), e.offset) != tried.end())
            continue;
        if (tried.size() == kMaxImagesTried)
            break;
        tried.push_back(e.offset);
        try {
            const Bytes image = data.subspan(e.offset, e.size);
            if (e.png)
                return decodePng(image);
            return detail::decodeDib(image, 0, 0, true);
        } catch (const DecodeError& error) {
            if (!firstError)
                firstError = error;
        }
    }
    throw *firstError;
}

}  // namespace pixmorrow::formats

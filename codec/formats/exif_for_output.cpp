// The EXIF block rewritten for an output whose pixels are already upright. Offsets come from
// the block itself, so each is checked before use.
#include "formats/metadata.h"

#include <cstring>

namespace pixmorrow::formats {

namespace {

class Tiff {
public:
    explicit Tiff(std::vector<std::uint8_t>& bytes)
        : b_(bytes), little_(bytes.size() >= 2 && bytes[0] == 'I') {}

    bool has(std::uint64_t at, std::uint64_t count) const {
        return at <= b_.size() && count <= b_.size() - at;
    }
    std::uint32_t u16(std::size_t at) const {
        return little_ ? (b_[at] | b_[at + 1] << 8) : (b_[at] << 8 | b_[at + 1]);
    }
    std::uint32_t u32(std::size_t at) const {
        return little_ ? (std::uint32_t{b_[at]} | std::uint32_t{b_[at + 1]} << 8 |
                          std::uint32_t{b_[at + 2]} << 16 | std::uint32_t{b_[at + 3]} << 24)
                       : (std::uint32_t{b_[at]} << 24 | std::uint32_t{b_[at + 1]} << 16 |
                          std::uint32_t{b_[at + 2]} << 8 | std::uint32_t{b_[at + 3]});
    }
    void put16(std::size_t at, std::uint32_t v) {
        b_[at + (little_ ? 0 : 1)] = std::uint8_t(v);
        b_[at + (little_ ? 1 : 0)] = std::uint8_t(v >> 8);
    }
    void put32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b_[at + std::size_t(little_ ? i : 3 - i)] = std::uint8_t(v >> (8 * i));
    }
    // The number of entries of the directory at `ifd`, when they and the next-directory
    // offset after them all lie inside the block.
    bool directory(std::uint32_t ifd, std::uint32_t& count) const {
        if (ifd < 8 || !has(ifd, 2))
            return false;
        count = u16(ifd);
        return has(std::uint64_t{ifd} + 2, std::uint64_t{count} * 12 + 4);
    }

private:
    std::vector<std::uint8_t>& b_;
    bool little_;
};

}  // namespace

std::vector<std::uint8_t> exifForOutput(Bytes exif) {
    std::vector<std::uint8_t> out(exif.begin(), exif.end());
    if (out.size() < 8 || !((out[0] == 'I' && out[1] == 'I') || (out[0] == 'M' && out[1] == 'M')))
        return {};
    Tiff tiff(out);
    std::uint32_t count = 0;
    const std::uint32_t ifd0 = tiff.u32(4);
    if (tiff.u16(2) != 42 || !tiff.directory(ifd0, count))
        return {};
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = ifd0 + 2 + std::size_t{i} * 12;
        // SHORT, one value, held in the entry itself.
        if (tiff.u16(at) == 0x0112 && tiff.u16(at + 2) == 3 && tiff.u32(at + 4) == 1)
            tiff.put16(at + 8, 1);
    }
    const std::size_t next = ifd0 + 2 + std::size_t{count} * 12;
    const std::uint32_t ifd1 = tiff.u32(next);
    tiff.put32(next, 0);
    // The thumbnail's bytes go too: cut off when they end the block, as they usually do,
    // else blanked.
    std::uint32_t count1 = 0;
    if (ifd1 == 0 || !tiff.directory(ifd1, count1))
        return out;
    std::uint32_t offset = 0, length = 0;
    for (std::uint32_t i = 0; i < count1; ++i) {
        const std::size_t at = ifd1 + 2 + std::size_t{i} * 12;
        if (tiff.u16(at + 2) != 4 || tiff.u32(at + 4) != 1)
            continue;  // LONG, one value
        if (tiff.u16(at) == 0x0201)
            offset = tiff.u32(at + 8);
        else if (tiff.u16(at) == 0x0202)
            length = tiff.u32(at + 8);
    }
    if (offset < 8 || !tiff.has(offset, length))
        return out;
    if (std::size_t{offset} + length == out.size())
        out.resize(offset);
    else
        std::memset(out.data() + offset, 0, length);
    return out;
}

}  // namespace pixmorrow::formats

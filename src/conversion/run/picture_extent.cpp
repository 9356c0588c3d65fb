#include "conversion/run/picture_extent.h"

#include <QFile>

#include <array>
#include <cstring>

namespace pixmorrow {

namespace {

std::uint32_t be16(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) << 8 | p[1];
}
std::uint32_t be32(const unsigned char* p) {
    return be16(p) << 16 | be16(p + 2);
}
std::uint32_t le16(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}
std::uint32_t le32(const unsigned char* p) {
    return le16(p + 2) << 16 | le16(p);
}

std::optional<PictureExtent> nonEmpty(std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0)
        return std::nullopt;
    return PictureExtent{width, height};
}

// Reads exactly `size` bytes at `offset`.
bool readAt(QFile& file, qint64 offset, unsigned char* into, qint64 size) {
    return file.seek(offset) && file.read(reinterpret_cast<char*>(into), size) == size;
}

// The frame header (SOF0 to SOF15 but DHT, JPG and DAC) after the segments before it.
std::optional<PictureExtent> jpegExtent(QFile& file) {
    qint64 at = 2;
    for (int segments = 0; segments < 4096; ++segments) {
        unsigned char marker[4];
        if (!readAt(file, at, marker, 4) || marker[0] != 0xFF)
            return std::nullopt;
        const unsigned char type = marker[1];
        if (type == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (type == 0xD8 || (type >= 0xD0 && type <= 0xD7) || type == 0x01) {
            at += 2;
            continue;
        }
        const std::uint32_t length = be16(marker + 2);
        if (length < 2 || type == 0xD9 || type == 0xDA)
            return std::nullopt;
        if (type >= 0xC0 && type <= 0xCF && type != 0xC4 && type != 0xC8 && type != 0xCC) {
            unsigned char frame[5];
            if (length < 7 || !readAt(file, at + 4, frame, 5))
                return std::nullopt;
            return nonEmpty(be16(frame + 3), be16(frame + 1));
        }
        at += 2 + length;
    }
    return std::nullopt;
}

std::optional<PictureExtent> webpExtent(const unsigned char* h, qint64 size) {
    if (size < 30)
        return std::nullopt;
    if (std::memcmp(h + 12, "VP8 ", 4) == 0) {
        if (h[23] != 0x9D || h[24] != 0x01 || h[25] != 0x2A)
            return std::nullopt;
        return nonEmpty(le16(h + 26) & 0x3FFF, le16(h + 28) & 0x3FFF);
    }
    if (std::memcmp(h + 12, "VP8L", 4) == 0) {
        if (h[20] != 0x2F)
            return std::nullopt;
        const std::uint32_t bits = le32(h + 21);
        return nonEmpty((bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1);
    }
    if (std::memcmp(h + 12, "VP8X", 4) == 0) {
        const auto le24 = [](const unsigned char* p) {
            return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                   static_cast<std::uint32_t>(p[2]) << 16;
        };
        return nonEmpty(le24(h + 24) + 1, le24(h + 27) + 1);
    }
    return std::nullopt;
}

// The first image file directory's ImageWidth and ImageLength.
std::optional<PictureExtent> tiffExtent(QFile& file, bool little) {
    const auto u16 = [little](const unsigned char* p) { return little ? le16(p) : be16(p); };
    const auto u32 = [little](const unsigned char* p) { return little ? le32(p) : be32(p); };
    unsigned char head[8];
    if (!readAt(file, 0, head, 8))
        return std::nullopt;
    const qint64 directory = u32(head + 4);
    unsigned char countBytes[2];
    if (!readAt(file, directory, countBytes, 2))
        return std::nullopt;
    const std::uint32_t count = u16(countBytes);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    for (std::uint32_t i = 0; i < count && i < 512; ++i) {
        unsigned char entry[12];
        if (!readAt(file, directory + 2 + 12 * static_cast<qint64>(i), entry, 12))
            return std::nullopt;
        const std::uint32_t tag = u16(entry);
        const std::uint32_t type = u16(entry + 2);
        const std::uint32_t value = type == 3 ? u16(entry + 8) : u32(entry + 8);
        if (tag == 256)
            width = value;
        else if (tag == 257)
            height = value;
    }
    return nonEmpty(width, height);
}

}  // namespace

std::optional<PictureExtent> readPictureExtent(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::array<unsigned char, 32> h{};
    const qint64 size = file.read(reinterpret_cast<char*>(h.data()), h.size());
    if (size < 10)
        return std::nullopt;
    if (h[0] == 0xFF && h[1] == 0xD8)
        return jpegExtent(file);
    if (size >= 24 && std::memcmp(h.data(), "\x89PNG\r\n\x1a\n", 8) == 0 &&
        std::memcmp(h.data() + 12, "IHDR", 4) == 0)
        return nonEmpty(be32(h.data() + 16), be32(h.data() + 20));
    if (std::memcmp(h.data(), "GIF8", 4) == 0)
        return nonEmpty(le16(h.data() + 6), le16(h.data() + 8));
    if (size >= 26 && h[0] == 'B' && h[1] == 'M') {
        if (le32(h.data() + 14) == 12)  // the core header's 16-bit sides
            return nonEmpty(le16(h.data() + 18), le16(h.data() + 20));
        const std::int32_t height = static_cast<std::int32_t>(le32(h.data() + 22));
        const std::uint32_t rows = height < 0 ? 0u - static_cast<std::uint32_t>(height)
                                              : static_cast<std::uint32_t>(height);
        return nonEmpty(le32(h.data() + 18), rows);
    }
    if (std::memcmp(h.data(), "RIFF", 4) == 0 && std::memcmp(h.data() + 8, "WEBP", 4) == 0)
        return webpExtent(h.data(), size);
    if (std::memcmp(h.data(), "II*\0", 4) == 0)
        return tiffExtent(file, true);
    if (std::memcmp(h.data(), "MM\0*", 4) == 0)
        return tiffExtent(file, false);
    return std::nullopt;
}

}  // namespace pixmorrow

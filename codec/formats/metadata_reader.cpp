// Finding the colour profile, EXIF and XMP blocks in a file's container. A damaged block is
// skipped and the walk goes on where it safely can; nothing here throws for the content.
#include "formats/jpeg_segments.h"
#include "formats/metadata.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace pixmorrow::formats {

namespace {

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

bool startsWith(Bytes data, std::string_view prefix) {
    return data.size() >= prefix.size() &&
           std::memcmp(data.data(), prefix.data(), prefix.size()) == 0;
}

std::vector<std::uint8_t> copyOf(Bytes data) {
    return {data.begin(), data.end()};
}

// An EXIF block as it is kept: the TIFF structure, without the "Exif\0\0" some writers put
// before it in PNG and WebP files.
std::vector<std::uint8_t> exifBlock(Bytes data) {
    if (startsWith(data, std::string_view("Exif\0\0", 6)))
        data = data.subspan(6);
    if (data.size() < 8 || data.size() > kMaxMetadataBytes ||
        !(startsWith(data, "II*\0") || startsWith(data, std::string_view("MM\0*", 4))))
        return {};
    return copyOf(data);
}

std::vector<std::uint8_t> iccBlock(Bytes data) {
    return checkedIccProfile(data) ? copyOf(data) : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> xmpBlock(Bytes data) {
    return data.size() <= kMaxMetadataBytes ? copyOf(data) : std::vector<std::uint8_t>{};
}

// A zlib stream inflated, stopping (and giving nothing) once it would pass
// kMaxMetadataBytes: memory follows what the stream really holds, up to the cap.
std::vector<std::uint8_t> inflated(Bytes data) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return {};
    std::vector<std::uint8_t> out;
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(std::min<std::size_t>(data.size(), 0xFFFFFFFFu));
    int status = Z_OK;
    while (status == Z_OK) {
        if (out.size() > kMaxMetadataBytes)
            break;
        const std::size_t have = out.size();
        out.resize(have + 16384);
        z.next_out = out.data() + have;
        z.avail_out = 16384;
        status = inflate(&z, Z_NO_FLUSH);
        out.resize(have + (16384 - z.avail_out));
        if (status == Z_BUF_ERROR && z.avail_in == 0)
            break;  // the stream ends early
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END || out.size() > kMaxMetadataBytes)
        return {};
    return out;
}

// APP2 "ICC_PROFILE\0", sequence number, count, then one part of the profile.
struct IccChunks {
    int count = 0;
    bool broken = false;
    std::vector<Bytes> parts;

    void add(Bytes payload) {
        if (payload.size() < 2) {
            broken = true;
            return;
        }
        const int sequence = payload[0], total = payload[1];
        if (total == 0 || sequence == 0 || sequence > total || (count && total != count)) {
            broken = true;
            return;
        }
        if (!count) {
            count = total;
            parts.resize(std::size_t(total));
        }
        if (!parts[std::size_t(sequence) - 1].empty() || payload.size() == 2) {
            broken = true;  // the same part twice, or an empty one
            return;
        }
        parts[std::size_t(sequence) - 1] = payload.subspan(2);
    }

    std::vector<std::uint8_t> profile() const {
        if (broken || !count)
            return {};
        std::size_t size = 0;
        for (const Bytes& part : parts) {
            if (part.empty() || part.size() > kMaxMetadataBytes - size)
                return {};  // a missing part, or over the cap
            size += part.size();
        }
        std::vector<std::uint8_t> whole;
        whole.reserve(size);
        for (const Bytes& part : parts)
            whole.insert(whole.end(), part.begin(), part.end());
        return iccBlock(whole);
    }
};

ImageMetadata fromJpeg(Bytes file) {
    ImageMetadata found;
    IccChunks icc;
    static constexpr std::string_view kXmpId("http://ns.adobe.com/xap/1.0/\0", 29);
    static constexpr std::string_view kIccId("ICC_PROFILE\0", 12);
    detail::forEachJpegSegment(file, [&](std::uint8_t marker, Bytes payload) {
        if (marker == 0xE1 && startsWith(payload, std::string_view("Exif\0\0", 6))) {
            if (found.exif.empty())
                found.exif = exifBlock(payload.subspan(6));
        } else if (marker == 0xE1 && startsWith(payload, kXmpId)) {
            if (found.xmp.empty())
                found.xmp = xmpBlock(payload.subspan(kXmpId.size()));
        } else if (marker == 0xE2 && startsWith(payload, kIccId)) {
            icc.add(payload.subspan(kIccId.size()));
        }
        return true;
    });
    found.icc = icc.profile();
    return found;
}

ImageMetadata fromPng(Bytes file) {
    ImageMetadata found;
    std::size_t pos = 8;
    while (file.size() - pos >= 12) {
        const std::uint32_t length = be32(file.data() + pos);
        if (length > 0x7FFFFFFFu || length > file.size() - pos - 12)
            break;
        const Bytes typeAndData = file.subspan(pos + 4, std::size_t{length} + 4);
        const Bytes data = typeAndData.subspan(4);
        const std::uint32_t crc = be32(file.data() + pos + 8 + length);
        pos += std::size_t{length} + 12;
        const bool intact =
            crc32(0, typeAndData.data(), static_cast<uInt>(typeAndData.size())) == crc;
        if (startsWith(typeAndData, "IEND"))
            break;
        if (!intact)
            continue;
        if (startsWith(typeAndData, "iCCP") && found.icc.empty()) {
            // name (1 to 79 bytes), NUL, compression method 0, zlib stream
            const auto nul =
                std::find(data.begin(), data.begin() + std::min<std::size_t>(data.size(), 80),
                          std::uint8_t{0});
            const std::size_t name = std::size_t(nul - data.begin());
            if (name >= 1 && name < 80 && name + 2 <= data.size() && data[name + 1] == 0)
                found.icc = iccBlock(inflated(data.subspan(name + 2)));
        } else if (startsWith(typeAndData, "eXIf") && found.exif.empty()) {
            found.exif = exifBlock(data);
        } else if (startsWith(typeAndData, "iTXt") && found.xmp.empty()) {
            static constexpr std::string_view kKey("XML:com.adobe.xmp\0", 18);
            if (!startsWith(data, kKey) || data.size() < kKey.size() + 2)
                continue;
            const bool compressed = data[kKey.size()] != 0;
            Bytes rest = data.subspan(kKey.size() + 2);
            // language tag and translated keyword, each ended by a NUL
            for (int field = 0; field < 2; ++field) {
                const auto nul = std::find(rest.begin(), rest.end(), std::uint8_t{0});
                if (nul == rest.end()) {
                    rest = {};
                    break;
                }
                rest = rest.subspan(std::size_t(nul - rest.begin()) + 1);
            }
            if (compressed)
                found.xmp = inflated(rest);
            else
                found.xmp = xmpBlock(rest);
        }
    }
    return found;
}

ImageMetadata fromWebp(Bytes file) {
    ImageMetadata found;
    const std::size_t riffEnd =
        std::min<std::size_t>(file.size(), std::size_t{le32(file.data() + 4)} + 8);
    std::size_t pos = 12;
    while (riffEnd >= 8 && pos <= riffEnd - 8) {
        const Bytes fourcc = file.subspan(pos, 4);
        const std::uint32_t size = le32(file.data() + pos + 4);
        if (size > riffEnd - pos - 8)
            break;
        const Bytes data = file.subspan(pos + 8, size);
        if (startsWith(fourcc, "ICCP") && found.icc.empty())
            found.icc = iccBlock(data);
        else if (startsWith(fourcc, "EXIF") && found.exif.empty())
            found.exif = exifBlock(data);
        else if (startsWith(fourcc, "XMP ") && found.xmp.empty())
            found.xmp = xmpBlock(data);
        pos += 8 + std::size_t{size} + (size & 1);
    }
    return found;
}

// The first directory's profile (34675) and XMP (700) tags.
ImageMetadata fromTiff(Bytes file) {
    ImageMetadata found;
    const bool little = file[0] == 'I';
    auto u16 = [&](std::size_t at) -> std::uint32_t {
        return little ? (file[at] | file[at + 1] << 8) : (file[at] << 8 | file[at + 1]);
    };
    auto u32 = [&](std::size_t at) {
        return little ? le32(file.data() + at) : be32(file.data() + at);
    };
    const std::uint32_t ifd = u32(4);
    if (ifd < 8 || ifd > file.size() - 2)
        return found;
    const std::uint32_t count = u16(ifd);
    if (std::uint64_t{count} * 12 > file.size() - ifd - 2)
        return found;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = ifd + 2 + std::size_t{i} * 12;
        const std::uint32_t tag = u16(at), type = u16(at + 2), n = u32(at + 4);
        if ((tag != 34675 && tag != 700) || (type != 1 && type != 7))
            continue;
        // Bytes of one byte each: held in the entry up to four, else at the offset given.
        Bytes value;
        if (n <= 4) {
            value = file.subspan(at + 8, n);
        } else {
            const std::uint32_t offset = u32(at + 8);
            if (offset > file.size() || n > file.size() - offset)
                continue;
            value = file.subspan(offset, n);
        }
        if (tag == 34675)
            found.icc = iccBlock(value);
        else
            found.xmp = xmpBlock(value);
    }
    return found;
}

}  // namespace

bool checkedIccProfile(Bytes profile) {
    if (profile.size() < 132 || profile.size() > kMaxMetadataBytes)
        return false;
    if (be32(profile.data()) != profile.size() || !startsWith(profile.subspan(36), "acsp"))
        return false;
    const std::uint32_t tags = be32(profile.data() + 128);
    if (tags > (profile.size() - 132) / 12)
        return false;
    for (std::uint32_t i = 0; i < tags; ++i) {
        const std::uint8_t* entry = profile.data() + 132 + std::size_t{i} * 12;
        const std::uint32_t offset = be32(entry + 4), size = be32(entry + 8);
        if (offset > profile.size() || size > profile.size() - offset)
            return false;
    }
    return true;
}

ImageMetadata readMetadata(Bytes file) {
    if (file.size() >= 4 && file[0] == 0xFF && file[1] == 0xD8)
        return fromJpeg(file);
    if (startsWith(file, "\x89PNG\r\n\x1a\n"))
        return fromPng(file);
    if (file.size() >= 12 && startsWith(file, "RIFF") && startsWith(file.subspan(8), "WEBP"))
        return fromWebp(file);
    if (file.size() >= 8 &&
        (startsWith(file, "II*\0") || startsWith(file, std::string_view("MM\0*", 4))))
        return fromTiff(file);
    return {};
}

}  // namespace pixmorrow::formats

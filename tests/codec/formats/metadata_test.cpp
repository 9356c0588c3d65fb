// Profiles, EXIF and XMP found in each container, and damaged or oversized blocks left out
// without failing.
#include "formats/metadata.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>

namespace pixmorrow::formats {
namespace {

using Blob = std::vector<std::uint8_t>;

void putBe32(Blob& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + std::size_t(i)] = std::uint8_t(v >> (24 - 8 * i));
}

void appendBe32(Blob& b, std::uint32_t v) {
    b.resize(b.size() + 4);
    putBe32(b, b.size() - 4, v);
}

void appendLe32(Blob& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}

void append(Blob& b, const std::string& text) {
    b.insert(b.end(), text.begin(), text.end());
}

void append(Blob& b, const Blob& more) {
    b.insert(b.end(), more.begin(), more.end());
}

// A whole profile of `size` bytes: the header, one tag covering the rest.
Blob profile(std::size_t size = 600) {
    Blob p(size);
    putBe32(p, 0, std::uint32_t(size));
    std::memcpy(p.data() + 36, "acsp", 4);
    putBe32(p, 128, 1);
    std::memcpy(p.data() + 132, "zzzz", 4);
    putBe32(p, 136, 144);
    putBe32(p, 140, std::uint32_t(size - 144));
    for (std::size_t i = 144; i < size; ++i)
        p[i] = std::uint8_t(i * 7);
    return p;
}

Blob segment(std::uint8_t marker, const Blob& payload) {
    Blob s = {0xFF, marker, std::uint8_t((payload.size() + 2) >> 8),
              std::uint8_t(payload.size() + 2)};
    append(s, payload);
    return s;
}

Blob iccSegment(int sequence, int count, const Blob& part) {
    Blob payload;
    append(payload, std::string("ICC_PROFILE\0", 12));
    payload.push_back(std::uint8_t(sequence));
    payload.push_back(std::uint8_t(count));
    append(payload, part);
    return segment(0xE2, payload);
}

Blob jpeg(const std::vector<Blob>& segments) {
    Blob file = {0xFF, 0xD8};
    for (const Blob& s : segments)
        append(file, s);
    append(file, Blob{0xFF, 0xDA, 0x00, 0x02, 0x00, 0xFF, 0xD9});
    return file;
}

// The profile over APP2 markers of at most `part` bytes each, in the order given.
std::vector<Blob> iccParts(const Blob& icc, std::size_t part) {
    std::vector<Blob> parts;
    const int count = int((icc.size() + part - 1) / part);
    for (int i = 0; i < count; ++i) {
        const auto from = icc.begin() + std::ptrdiff_t(std::size_t(i) * part);
        const auto to =
            icc.begin() + std::ptrdiff_t(std::min(icc.size(), std::size_t(i + 1) * part));
        parts.push_back(iccSegment(i + 1, count, Blob(from, to)));
    }
    return parts;
}

Blob pngChunk(const std::string& type, const Blob& data, bool goodCrc = true) {
    Blob c;
    appendBe32(c, std::uint32_t(data.size()));
    append(c, type);
    append(c, data);
    const std::uint32_t crc = std::uint32_t(crc32(0, c.data() + 4, uInt(data.size() + 4)));
    appendBe32(c, goodCrc ? crc : crc ^ 1);
    return c;
}

Blob deflated(const Blob& data) {
    uLongf size = compressBound(uLong(data.size()));
    Blob out(size);
    compress(out.data(), &size, data.data(), uLong(data.size()));
    out.resize(size);
    return out;
}

Blob png(const std::vector<Blob>& chunks) {
    Blob file;
    append(file, std::string("\x89PNG\r\n\x1a\n"));
    Blob ihdr(13);
    putBe32(ihdr, 0, 1);
    putBe32(ihdr, 4, 1);
    ihdr[8] = 8;
    ihdr[9] = 6;
    append(file, pngChunk("IHDR", ihdr));
    for (const Blob& c : chunks)
        append(file, c);
    append(file, pngChunk("IEND", {}));
    return file;
}

Blob iccp(const Blob& compressed) {
    Blob data;
    append(data, std::string("ICC Profile\0\0", 13));
    append(data, compressed);
    return data;
}

Blob webp(const std::string& fourcc, const Blob& data, std::uint32_t claimed = 0) {
    Blob body;
    append(body, "WEBP");
    append(body, fourcc);
    appendLe32(body, claimed ? claimed : std::uint32_t(data.size()));
    append(body, data);
    if (data.size() & 1)
        body.push_back(0);
    Blob file;
    append(file, "RIFF");
    appendLe32(file, std::uint32_t(body.size()));
    append(file, body);
    return file;
}

// A big-endian TIFF whose one directory entry is tag `tag` of UNDEFINED bytes at the offset
// given (the value itself follows the directory).
Blob tiff(std::uint16_t tag, const Blob& value, std::uint32_t offset = 26) {
    Blob file;
    append(file, std::string("MM\0*", 4));
    appendBe32(file, 8);
    file.push_back(0);
    file.push_back(1);
    file.push_back(std::uint8_t(tag >> 8));
    file.push_back(std::uint8_t(tag));
    file.push_back(0);
    file.push_back(7);
    appendBe32(file, std::uint32_t(value.size()));
    appendBe32(file, offset);
    appendBe32(file, 0);
    append(file, value);
    return file;
}

TEST(Metadata, TheProfileIsFoundInEveryContainerAndDamageLeavesItOut) {
    const Blob icc = profile();
    Blob wrongLength = icc;
    putBe32(wrongLength, 0, std::uint32_t(icc.size() + 1));
    Blob noSignature = icc;
    noSignature[36] = 'x';
    Blob tagOutside = icc;
    putBe32(tagOutside, 140, std::uint32_t(icc.size()));
    // A profile just over the cap, in whole markers with a consistent header.
    const Blob huge = profile(kMaxMetadataBytes + 4);
    const Blob hugeJpeg = jpeg(iccParts(huge, 65519));
    Blob zeros(kMaxMetadataBytes + 1024, 0);
    putBe32(zeros, 0, std::uint32_t(zeros.size()));

    const std::vector<Blob> split = iccParts(icc, 250);  // three parts
    const Blob stream = deflated(icc);
    const Blob cutStream(stream.begin(), stream.end() - 9);
    struct Case {
        const char* name;
        Blob file;
        bool found;
    } cases[] = {
        {"JPEG, one marker", jpeg({iccSegment(1, 1, icc)}), true},
        {"JPEG, three markers out of order", jpeg({split[2], split[0], split[1]}), true},
        {"JPEG, a marker missing", jpeg({split[0], split[2]}), false},
        {"JPEG, a marker twice", jpeg({split[0], split[0], split[1], split[2]}), false},
        {"JPEG, counts that disagree", jpeg({split[0], split[1], iccSegment(3, 4, {1, 2})}), false},
        {"JPEG, header longer than the data", jpeg({iccSegment(1, 1, wrongLength)}), false},
        {"JPEG, no signature", jpeg({iccSegment(1, 1, noSignature)}), false},
        {"JPEG, a tag outside the profile", jpeg({iccSegment(1, 1, tagOutside)}), false},
        {"JPEG, over 4 MiB", hugeJpeg, false},
        {"PNG", png({pngChunk("iCCP", iccp(deflated(icc)))}), true},
        {"PNG, damaged chunk", png({pngChunk("iCCP", iccp(deflated(icc)), false)}), false},
        {"PNG, stream cut short", png({pngChunk("iCCP", iccp(cutStream))}), false},
        {"PNG, inflating past 4 MiB", png({pngChunk("iCCP", iccp(deflated(zeros)))}), false},
        {"WebP", webp("ICCP", icc), true},
        {"WebP, chunk longer than the file", webp("ICCP", icc, 70000), false},
        {"TIFF", tiff(34675, icc), true},
        {"TIFF, value past the end", tiff(34675, icc, 4000), false},
    };
    for (const Case& c : cases) {
        const ImageMetadata found = readMetadata(c.file);
        EXPECT_EQ(found.icc, c.found ? icc : Blob{}) << c.name;
    }
}

// A little- or big-endian EXIF block: IFD0 with the orientation and a GPS-like tag, IFD1
// pointing at a thumbnail of `thumb` bytes at the end.
Blob exifWithThumbnail(bool little, std::size_t thumb) {
    Blob b;
    auto u16 = [&](std::uint32_t v) {
        b.push_back(std::uint8_t(little ? v : v >> 8));
        b.push_back(std::uint8_t(little ? v >> 8 : v));
    };
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(std::uint8_t(v >> (little ? 8 * i : 24 - 8 * i)));
    };
    append(b, little ? std::string("II*\0", 4) : std::string("MM\0*", 4));
    u32(8);
    // IFD0 at 8: two entries, next IFD at 8 + 2 + 24 + 4 = 38
    u16(2);
    u16(0x0112), u16(3), u32(1), u16(6), u16(0);
    u16(0x8825), u16(4), u32(1), u32(0);
    u32(38);
    // IFD1 at 38: two entries, ends at 38 + 2 + 24 + 4 = 68, thumbnail at 68
    u16(2);
    u16(0x0201), u16(4), u32(1), u32(68);
    u16(0x0202), u16(4), u32(1), u32(std::uint32_t(thumb));
    u32(0);
    b.resize(68 + thumb, 0xAB);
    return b;
}

TEST(Metadata, ExifForOutputSaysUprightAndDropsTheThumbnail) {
    for (const bool little : {true, false}) {
        SCOPED_TRACE(little ? "little-endian" : "big-endian");
        const Blob exif = exifWithThumbnail(little, 500);
        const Blob out = exifForOutput(exif);
        ASSERT_EQ(out.size(), 68u) << "the thumbnail's bytes are cut off";
        // Orientation 1 in the entry; the GPS entry as it was; no next directory.
        EXPECT_EQ(little ? out[18] : out[19], 1);
        EXPECT_EQ(little ? out[19] : out[18], 0);
        EXPECT_TRUE(std::equal(out.begin() + 22, out.begin() + 34, exif.begin() + 22));
        EXPECT_EQ(Blob(out.begin() + 34, out.begin() + 38), Blob(4, 0));
    }
    // A thumbnail that does not end the block is blanked instead.
    Blob middle = exifWithThumbnail(false, 40);
    middle.resize(middle.size() + 10, 0xCD);
    const Blob out = exifForOutput(middle);
    ASSERT_EQ(out.size(), middle.size());
    EXPECT_EQ(Blob(out.begin() + 68, out.begin() + 108), Blob(40, 0));
    EXPECT_EQ(out.back(), 0xCD);

    // Blocks that are no TIFF structure, or whose first directory runs past the end, go.
    Blob cut = exifWithThumbnail(true, 0);
    cut.resize(30);
    for (const Blob& damaged : {Blob{'I', 'I', 42}, cut, Blob(16, 'M')})
        EXPECT_TRUE(exifForOutput(damaged).empty());
}

TEST(Metadata, ExifAndXmpAreFoundInEachContainer) {
    const Blob exif = exifWithThumbnail(false, 8);
    const Blob xmp = {'<', 'x', ':', 'x', 'm', 'p', 'm', 'e', 't', 'a', '/', '>'};
    Blob app1Exif;
    append(app1Exif, std::string("Exif\0\0", 6));
    append(app1Exif, exif);
    Blob app1Xmp;
    append(app1Xmp, std::string("http://ns.adobe.com/xap/1.0/\0", 29));
    append(app1Xmp, xmp);
    Blob itxt;
    append(itxt, std::string("XML:com.adobe.xmp\0\0\0\0\0", 22));
    append(itxt, xmp);
    Blob itxtCompressed;
    append(itxtCompressed, std::string("XML:com.adobe.xmp\0\1\0en\0\0", 24));
    append(itxtCompressed, deflated(xmp));
    struct Case {
        const char* name;
        Blob file;
    } cases[] = {
        {"JPEG", jpeg({segment(0xE1, app1Exif), segment(0xE1, app1Xmp)})},
        {"PNG", png({pngChunk("eXIf", exif), pngChunk("iTXt", itxt)})},
        {"PNG, compressed XMP",
         png({pngChunk("eXIf", app1Exif), pngChunk("iTXt", itxtCompressed)})},
    };
    for (const Case& c : cases) {
        const ImageMetadata found = readMetadata(c.file);
        EXPECT_EQ(found.exif, exif) << c.name;
        EXPECT_EQ(found.xmp, xmp) << c.name;
    }
    Blob both = webp("EXIF", exif);
    EXPECT_EQ(readMetadata(both).exif, exif) << "WebP";
    EXPECT_EQ(readMetadata(tiff(700, xmp)).xmp, xmp) << "TIFF";
    EXPECT_TRUE(readMetadata(Blob{'B', 'M', 0, 0, 0, 0}).empty());
}

}  // namespace
}  // namespace pixmorrow::formats

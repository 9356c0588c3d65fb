// The BMP, GIF, ICO, WBMP and JPEG readers against ImageMagick's and libjpeg's readings of
// files ImageMagick writes at test time, plus hand-made files for what it does not write.
#include "formats/readers.h"
#include "formats/test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace pixmorrow::formats {
namespace {

using namespace testing;

// A test picture as RGBA: smooth areas, hard edges, and alpha from opaque to clear.
std::vector<std::uint8_t> pattern(std::uint32_t w, std::uint32_t h, bool alpha) {
    std::vector<std::uint8_t> rgba(std::size_t{w} * h * 4);
    std::mt19937 random(42);
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint8_t* p = rgba.data() + (std::size_t{y} * w + x) * 4;
            p[0] = static_cast<std::uint8_t>(x * 255 / (w - 1));
            p[1] = static_cast<std::uint8_t>(y * 255 / (h - 1));
            p[2] = static_cast<std::uint8_t>((x / 4 + y / 4) % 2 ? 200 : 30 + random() % 20);
            p[3] = alpha ? static_cast<std::uint8_t>(x < w / 4 ? 0 : x < w / 2 ? 128 : 255) : 255;
        }
    }
    return rgba;
}

class MagickFiles : public ::testing::Test {
protected:
    // Writes the pattern through ImageMagick with `options` into `name`; returns the path.
    // `options` may end in a format prefix such as "BMP3:", which goes before the name.
    std::string make(const std::string& name, std::string options, std::uint32_t w = 37,
                     std::uint32_t h = 23, bool alpha = false) {
        std::string prefix;
        if (!options.empty() && options.back() == ':') {
            const auto space = options.rfind(' ');
            prefix = options.substr(space == std::string::npos ? 0 : space + 1);
            options.resize(space == std::string::npos ? 0 : space);
        }
        const std::string raw = folder_.file(name + ".rgba");
        writeBytes(raw, pattern(w, h, alpha));
        const std::string out = folder_.file(name);
        runCommand("convert -size " + std::to_string(w) + "x" + std::to_string(h) +
                   " -depth 8 rgba:" + quoted(raw) + " " + options + " " + prefix + quoted(out));
        return out;
    }
    static void expectSamePixels(const DecodedImage& ours,
                                 const std::vector<std::uint8_t>& reference, std::uint32_t w,
                                 std::uint32_t h, const std::string& what, int tolerance = 0) {
        ASSERT_EQ(ours.width, w) << what;
        ASSERT_EQ(ours.height, h) << what;
        const auto a = clearTransparent(ours.bgra), b = clearTransparent(reference);
        if (tolerance == 0) {
            EXPECT_EQ(a, b) << what << ": " << firstDifference(a, b, w);
            return;
        }
        ASSERT_EQ(a.size(), b.size());
        int worst = 0;
        for (std::size_t i = 0; i < a.size(); ++i)
            worst = std::max(worst, std::abs(a[i] - b[i]));
        EXPECT_LE(worst, tolerance) << what;
    }

    TempFolder folder_;
};

TEST_F(MagickFiles, BmpVariantsMatchImageMagick) {
    struct Case {
        const char* name;
        const char* options;
        bool alpha;
        int tolerance = 0;
    };
    const Case cases[] = {
        {"rgb24.bmp", "-type TrueColor BMP3:", false},
        {"palette8.bmp", "-colors 200 -type Palette BMP3:", false},
        {"palette4.bmp", "-colors 16 -type Palette BMP3:", false},
        {"mono1.bmp", "-monochrome BMP3:", false},
        {"rle8.bmp", "-colors 100 -type Palette -compress RLE BMP3:", false},
        {"core.bmp", "-type TrueColor BMP2:", false},
        {"core8.bmp", "-colors 60 -type Palette BMP2:", false},
        {"v5alpha32.bmp", "-type TrueColorAlpha BMP:", true},
        {"rgb565.bmp", "-define bmp:subtype=RGB565 BMP:", false},
        {"rgb555.bmp", "-define bmp:subtype=RGB555 BMP:", false},
        // ImageMagick widens 4-bit fields by 16 (15 becomes 240); we use 17 (15 becomes 255).
        {"argb4444.bmp", "-define bmp:subtype=ARGB4444 BMP:", true, 15},
    };
    for (const Case& c : cases) {
        const std::string path = make(c.name, c.options, 37, 23, c.alpha);
        SCOPED_TRACE(c.name);
        const DecodedImage ours = decodeBmp(readBytes(path));
        expectSamePixels(ours, magickBgra(path), 37, 23, c.name, c.tolerance);
        EXPECT_EQ(ours.hasAlpha, c.alpha) << c.name;
    }
}

TEST_F(MagickFiles, TopDownBmpReadsLikeBottomUp) {
    const std::string path = make("up.bmp", "-type TrueColor BMP3:");
    auto bytes = readBytes(path);
    const DecodedImage bottomUp = decodeBmp(bytes);
    // Negate the height and reverse the rows.
    const std::uint32_t offset = bytes[10] | bytes[11] << 8 | bytes[12] << 16 | bytes[13] << 24;
    const std::int32_t height = -23;
    std::memcpy(bytes.data() + 22, &height, 4);
    const std::size_t stride = (37 * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> rows(bytes.begin() + offset, bytes.begin() + offset + stride * 23);
    for (std::size_t r = 0; r < 23; ++r)
        std::memcpy(bytes.data() + offset + r * stride, rows.data() + (22 - r) * stride, stride);
    EXPECT_EQ(decodeBmp(bytes).bgra, bottomUp.bgra);
}

// An info-header BMP of 4 x 2 pixels, RLE4, hand-made: run, absolute, delta, end of line.
TEST(HandMadeBmp, Rle4WithDeltaLeavesSkippedPixelsTransparent) {
    std::vector<std::uint8_t> f = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54 + 64, 0, 0, 0};
    const std::uint8_t info[40] = {40, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, 1, 0, 4, 0, 2, 0, 0, 0};
    f.insert(f.end(), info, info + 40);
    for (int i = 0; i < 16; ++i) {  // palette: entry i = (i*16, i, 255-i*16)
        f.push_back(static_cast<std::uint8_t>(255 - i * 16));
        f.push_back(static_cast<std::uint8_t>(i));
        f.push_back(static_cast<std::uint8_t>(i * 16));
        f.push_back(0);
    }
    // Bottom row: 3 pixels alternating 1,2; then absolute 1 pixel "5"; end of line.
    // Top row: delta (2,0), run of 2 pixels of 7; end of bitmap.
    const std::uint8_t rle[] = {3, 0x12, 0, 3, 0x50, 0, 0, 0, 0, 2, 2, 0, 2, 0x77, 0, 1};
    f.insert(f.end(), rle, rle + sizeof rle);
    const DecodedImage image = decodeBmp(f);
    ASSERT_EQ(image.width, 4u);
    ASSERT_EQ(image.height, 2u);
    EXPECT_TRUE(image.hasAlpha);
    auto px = [&](int x, int y) {
        const std::uint8_t* p = image.bgra.data() + (y * 4 + x) * 4;
        return std::vector<int>{p[0], p[1], p[2], p[3]};
    };
    auto entry = [](int i) { return std::vector<int>{255 - i * 16, i, i * 16, 255}; };
    EXPECT_EQ(px(0, 1), entry(1));
    EXPECT_EQ(px(1, 1), entry(2));
    EXPECT_EQ(px(2, 1), entry(1));
    EXPECT_EQ(px(3, 1), entry(5));
    EXPECT_EQ(px(0, 0)[3], 0);
    EXPECT_EQ(px(1, 0)[3], 0);
    EXPECT_EQ(px(2, 0), entry(7));
    EXPECT_EQ(px(3, 0), entry(7));
}

TEST_F(MagickFiles, GifVariantsMatchImageMagick) {
    struct Case {
        const char* name;
        const char* options;
        bool alpha;
    };
    const Case cases[] = {
        {"plain.gif", "-colors 200", false},
        {"interlaced.gif", "-colors 120 -interlace GIF", false},
        {"transparent.gif", "-colors 64", true},
        {"two.gif", "-colors 2", false},
        {"gif87.gif", "-colors 30 GIF87:", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = make(c.name, c.options, 61, 40, c.alpha);
        const DecodedImage ours = decodeGif(readBytes(path));
        expectSamePixels(ours, magickBgra(path), 61, 40, c.name);
        EXPECT_EQ(ours.hasAlpha, c.alpha);
    }
}

// GIF data without compression: 9-bit literal codes with a clear code before the table
// would grow, so hand-made files need no LZW encoder.
std::vector<std::uint8_t> literalLzw(const std::vector<std::uint8_t>& indices) {
    std::vector<std::uint8_t> bytes;
    std::uint32_t bits = 0;
    int count = 0;
    auto emit = [&](int code) {
        bits |= std::uint32_t(code) << count;
        count += 9;
        while (count >= 8) {
            bytes.push_back(static_cast<std::uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    };
    int sinceClear = 0;
    emit(256);
    for (std::uint8_t index : indices) {
        if (sinceClear == 254) {
            emit(256);
            sinceClear = 0;
        }
        emit(index);
        ++sinceClear;
    }
    emit(257);
    if (count > 0)
        bytes.push_back(static_cast<std::uint8_t>(bits));
    std::vector<std::uint8_t> blocks = {8};
    for (std::size_t i = 0; i < bytes.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, bytes.size() - i);
        blocks.push_back(static_cast<std::uint8_t>(n));
        blocks.insert(blocks.end(), bytes.begin() + static_cast<long>(i),
                      bytes.begin() + static_cast<long>(i + n));
    }
    blocks.push_back(0);
    return blocks;
}

TEST(HandMadeGif, FirstFrameWithLocalTableSitsOnTransparentScreen) {
    // Screen 6 x 5 with a global table; frame 3 x 2 at (2, 1) with its own table,
    // transparent index 1 (GCE), interlaced; a second frame that must be ignored.
    std::vector<std::uint8_t> f = {'G', 'I', 'F', '8', '9', 'a', 6, 0, 5, 0, 0x80, 0, 0};
    f.insert(f.end(), {255, 0, 0, 0, 255, 0});          // global: red, green
    f.insert(f.end(), {0x21, 0xF9, 4, 1, 0, 0, 1, 0});  // GCE, transparent 1
    f.insert(f.end(),
             {0x2C, 2, 0, 1, 0, 3, 0, 2, 0, 0x80 | 0x40 | 1});        // local 4 entries, interlaced
    f.insert(f.end(), {0, 0, 255, 9, 9, 9, 255, 255, 255, 1, 2, 3});  // blue, (clear), white, ...
    // Interlaced order for 2 rows: row 0 then row 1.
    const auto data = literalLzw({0, 1, 2, 2, 0, 3});
    f.insert(f.end(), data.begin(), data.end());
    f.insert(f.end(), {0x2C, 0, 0, 0, 0, 6, 0, 5, 0, 0});
    const auto second = literalLzw(std::vector<std::uint8_t>(30, 0));
    f.insert(f.end(), second.begin(), second.end());
    f.push_back(0x3B);

    const DecodedImage image = decodeGif(f);
    ASSERT_EQ(image.width, 6u);
    ASSERT_EQ(image.height, 5u);
    EXPECT_TRUE(image.hasAlpha);
    auto px = [&](int x, int y) {
        const std::uint8_t* p = image.bgra.data() + (y * 6 + x) * 4;
        return std::vector<int>{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(px(0, 0)[3], 0);  // outside the frame
    EXPECT_EQ(px(2, 1), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(px(3, 1)[3], 0);  // transparent index
    EXPECT_EQ(px(4, 1), (std::vector<int>{255, 255, 255, 255}));
    EXPECT_EQ(px(2, 2), (std::vector<int>{255, 255, 255, 255}));
    EXPECT_EQ(px(3, 2), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(px(4, 2), (std::vector<int>{3, 2, 1, 255}));
    EXPECT_EQ(px(5, 4)[3], 0);
}

TEST(HandMadeGif, CodesBeyondTheTableAreRefused) {
    std::vector<std::uint8_t> f = {'G',  'I', 'F', '8', '9', 'a', 2,   0,   2,  0,
                                   0x80, 0,   0,   0,   0,   0,   255, 255, 255};
    f.insert(f.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0});
    // Code size 2: clear (4), then 7, which is not defined yet (next free is 6).
    f.insert(f.end(), {2, 1, 4 | 7 << 3, 0, 0x3B});
    try {
        decodeGif(f);
        FAIL() << "no error";
    } catch (const DecodeError& e) {
        EXPECT_STREQ(e.what(), "GIF: invalid LZW code");
    }
}

TEST_F(MagickFiles, IconPicksLargestThenDeepestEntry) {
    // ImageMagick writes one entry a size; 48 is the largest and sits in the middle.
    const std::string ico = make("multi.ico", "-define icon:auto-resize=16,48,32", 64, 64, true);
    const DecodedImage ours = decodeIco(readBytes(ico));
    expectSamePixels(ours, magickBgra(ico + "[1]"), 48, 48, "48 px entry");
    EXPECT_TRUE(ours.hasAlpha);

    // 256 px entries are PNG inside the icon.
    const std::string big = make("big.ico", "-define icon:auto-resize=256,32", 256, 256, true);
    expectSamePixels(decodeIco(readBytes(big)), magickBgra(big + "[0]"), 256, 256, "PNG entry");
}

// A 1-bit icon entry of 8 x 2 pixels with an AND mask, hand-made, beside a smaller 32-bit one.
TEST(HandMadeIco, PaletteEntryUsesItsAndMask) {
    std::vector<std::uint8_t> dib;
    const std::uint8_t header[40] = {40, 0, 0, 0, 8, 0, 0, 0, 4, 0, 0, 0, 1, 0, 1, 0};
    dib.insert(dib.end(), header, header + 40);
    dib.insert(dib.end(), {0, 0, 0, 0, 255, 255, 255, 0});  // black, white
    dib.insert(dib.end(), {0x0F, 0, 0, 0, 0xAA, 0, 0, 0});  // XOR rows, bottom first
    dib.insert(dib.end(), {0x80, 0, 0, 0, 0x01, 0, 0, 0});  // AND rows
    std::vector<std::uint8_t> small(40 + 4 + 4, 0);         // 1 x 1, 32 bits
    const std::uint8_t smallHeader[16] = {40, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 32, 0};
    std::memcpy(small.data(), smallHeader, 16);

    std::vector<std::uint8_t> f = {0, 0, 1, 0, 2, 0};
    auto entry = [&](std::uint8_t w, std::uint8_t h, std::uint16_t bpp, std::size_t size,
                     std::size_t offset) {
        f.insert(f.end(), {w, h, 0, 0, 1, 0, static_cast<std::uint8_t>(bpp), 0});
        for (int i = 0; i < 4; ++i)
            f.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
        for (int i = 0; i < 4; ++i)
            f.push_back(static_cast<std::uint8_t>(offset >> (8 * i)));
    };
    entry(1, 1, 32, small.size(), 38);
    entry(8, 2, 1, dib.size(), 38 + small.size());
    f.insert(f.end(), small.begin(), small.end());
    f.insert(f.end(), dib.begin(), dib.end());

    const DecodedImage image = decodeIco(f);
    ASSERT_EQ(image.width, 8u);
    ASSERT_EQ(image.height, 2u);
    EXPECT_TRUE(image.hasAlpha);
    // Top row = second XOR row 0xAA: white, black, ...; AND 0x01: last pixel clear.
    // Bottom row 0x0F: 4 black then 4 white; AND 0x80: first pixel clear.
    auto px = [&](int x, int y) { return image.bgra.data() + (y * 8 + x) * 4; };
    EXPECT_EQ(px(0, 0)[0], 255);
    EXPECT_EQ(px(1, 0)[0], 0);
    EXPECT_EQ(px(6, 0)[3], 255);
    EXPECT_EQ(px(7, 0)[3], 0);
    EXPECT_EQ(px(0, 1)[3], 0);
    EXPECT_EQ(px(1, 1)[0], 0);
    EXPECT_EQ(px(1, 1)[3], 255);
    EXPECT_EQ(px(4, 1)[0], 255);
}

TEST_F(MagickFiles, WbmpMatchesImageMagick) {
    const std::string path = make("mono.wbmp", "-monochrome", 29, 11);
    const auto bytes = readBytes(path);
    EXPECT_EQ(sniffFormat(bytes), Format::Wbmp);
    expectSamePixels(decodeWbmp(bytes), magickBgra(path), 29, 11, "wbmp");
}

// djpeg is libjpeg's own reference reading; its PNM output is RGB or gray.
std::vector<std::uint8_t> djpegBgra(const std::string& path) {
    const auto pnm = runCommand("djpeg -pnm " + quoted(path));
    // Header: P5/P6, width, height, 255, each followed by whitespace.
    std::size_t pos = 0;
    int fields = 0;
    bool gray = pnm[1] == '5';
    while (fields < 4) {
        while (std::isspace(pnm[pos]))
            ++pos;
        while (!std::isspace(pnm[pos]))
            ++pos;
        ++fields;
    }
    ++pos;
    std::vector<std::uint8_t> bgra;
    for (; pos < pnm.size(); pos += gray ? 1 : 3) {
        if (gray) {
            bgra.insert(bgra.end(), {pnm[pos], pnm[pos], pnm[pos], 255});
        } else {
            bgra.insert(bgra.end(), {pnm[pos + 2], pnm[pos + 1], pnm[pos], 255});
        }
    }
    return bgra;
}

TEST_F(MagickFiles, JpegVariantsMatchLibjpegReference) {
    const std::string base = make("base.jpg", "-quality 90", 67, 45);
    const std::string gray = make("gray.jpg", "-colorspace Gray -quality 90", 67, 45);
    const std::string progressive = make("progressive.jpg", "-interlace JPEG -quality 85", 67, 45);
    const std::string arithmetic = folder_.file("arithmetic.jpg");
    runCommand("jpegtran -arithmetic -outfile " + quoted(arithmetic) + " " + quoted(base));
    for (const std::string& path : {base, gray, progressive, arithmetic}) {
        SCOPED_TRACE(path);
        const DecodedImage ours = decodeJpeg(readBytes(path));
        expectSamePixels(ours, djpegBgra(path), 67, 45, path);
        EXPECT_FALSE(ours.hasAlpha);
    }
}

TEST_F(MagickFiles, CmykJpegIsCloseToImageMagick) {
    const std::string path = make("cmyk.jpg", "-colorspace CMYK -quality 95", 67, 45);
    const DecodedImage ours = decodeJpeg(readBytes(path));
    const auto reference = magickBgra(path);
    ASSERT_EQ(ours.bgra.size(), reference.size());
    int worst = 0;
    for (std::size_t i = 0; i < reference.size(); ++i)
        worst = std::max(worst, std::abs(ours.bgra[i] - reference[i]));
    EXPECT_LE(worst, 2);
}

TEST(JpegErrors, CarryLibjpegMessageCodes) {
    auto codeOf = [](const std::vector<std::uint8_t>& bytes) -> std::string {
        try {
            decodeJpeg(bytes);
            return "decoded";
        } catch (const DecodeError& e) {
            return e.what();
        }
    };
    EXPECT_EQ(codeOf({}), "JPEG error #53");
    EXPECT_EQ(codeOf({'n', 'o', 't', ' ', 'j', 'p', 'g'}), "JPEG error #53");
    EXPECT_EQ(codeOf({0xFF, 0xD8, 0xFF}).rfind("JPEG error #", 0), 0u);
}

TEST_F(MagickFiles, TruncatedJpegIsAnErrorNotAGrayPicture) {
    auto bytes = readBytes(make("cut.jpg", "-quality 90", 67, 45));
    bytes.resize(bytes.size() * 2 / 3);
    EXPECT_THROW(decodeJpeg(bytes), DecodeError);
}

// --- EXIF orientation -------------------------------------------------------------------

// An APP1 Exif segment with one IFD0 entry: the orientation, in either byte order.
std::vector<std::uint8_t> exifSegment(int orientation, bool little) {
    std::vector<std::uint8_t> tiff;
    auto u16 = [&](std::uint16_t v) {
        if (little)
            tiff.insert(tiff.end(),
                        {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
        else
            tiff.insert(tiff.end(),
                        {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
    };
    auto u32 = [&](std::uint32_t v) {
        if (little) {
            u16(static_cast<std::uint16_t>(v));
            u16(static_cast<std::uint16_t>(v >> 16));
        } else {
            u16(static_cast<std::uint16_t>(v >> 16));
            u16(static_cast<std::uint16_t>(v));
        }
    };
    tiff.insert(tiff.end(), little ? std::initializer_list<std::uint8_t>{'I', 'I'}
                                   : std::initializer_list<std::uint8_t>{'M', 'M'});
    u16(42);
    u32(8);
    u16(2);                               // two entries: another tag first
    u16(0x010F), u16(2), u32(1), u32(0);  // Make, ASCII
    u16(0x0112), u16(3), u32(1), u16(static_cast<std::uint16_t>(orientation)), u16(0);
    u32(0);
    std::vector<std::uint8_t> segment = {0xFF, 0xE1};
    const std::size_t length = 2 + 6 + tiff.size();
    segment.push_back(static_cast<std::uint8_t>(length >> 8));
    segment.push_back(static_cast<std::uint8_t>(length));
    segment.insert(segment.end(), {'E', 'x', 'i', 'f', 0, 0});
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    return segment;
}

std::vector<std::uint8_t> withExif(std::vector<std::uint8_t> jpeg, int orientation, bool little) {
    const auto segment = exifSegment(orientation, little);
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    return jpeg;
}

TEST_F(MagickFiles, ExifOrientationIsAppliedLikeImageMagickAutoOrient) {
    const std::string path = make("upright.jpg", "-quality 92", 13, 7);
    const auto plain = readBytes(path);
    EXPECT_EQ(readExifOrientation(plain), 1);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        for (bool little : {true, false}) {
            SCOPED_TRACE(std::to_string(orientation) + (little ? " II" : " MM"));
            const auto tagged = withExif(plain, orientation, little);
            EXPECT_EQ(readExifOrientation(tagged), orientation);
            const std::string file = folder_.file("o" + std::to_string(orientation) + ".jpg");
            writeBytes(file, tagged);
            const DecodedImage ours = decodeJpeg(tagged);
            const bool swapped = orientation >= 5;
            const auto reference = magickBgra(file, "-auto-orient");
            expectSamePixels(ours, reference, swapped ? 7 : 13, swapped ? 13 : 7, "oriented");
        }
    }
}

TEST(ExifReader, DamagedBlocksGiveOrientationOne) {
    const auto good = withExif({0xFF, 0xD8, 0xFF, 0xD9}, 6, true);
    ASSERT_EQ(readExifOrientation(good), 6);
    // Every cut, and every single-byte change, stays inside the buffer (ASan checks) and
    // answers 1 to 8.
    for (std::size_t n = 0; n < good.size(); ++n) {
        const int cut = readExifOrientation(Bytes(good.data(), n));
        EXPECT_GE(cut, 1);
        EXPECT_LE(cut, 8);
        for (int v : {0x00, 0xFF, 0x7F}) {
            auto changed = good;
            changed[n] = static_cast<std::uint8_t>(v);
            const int o = readExifOrientation(changed);
            EXPECT_GE(o, 1);
            EXPECT_LE(o, 8);
        }
    }
    // An IFD offset pointing far outside the block.
    auto far = good;
    far[4 + 2 + 6 + 4] = 0xF0;
    EXPECT_EQ(readExifOrientation(far), 1);
}

// --- sniffing and hostile bytes -----------------------------------------------------------

TEST(Sniffing, KnowsEachSignature) {
    auto bytes = [](std::initializer_list<int> list) {
        std::vector<std::uint8_t> v;
        for (int b : list)
            v.push_back(static_cast<std::uint8_t>(b));
        return v;
    };
    EXPECT_EQ(sniffFormat(bytes({0xFF, 0xD8, 0xFF, 0xE0})), Format::Jpeg);
    EXPECT_EQ(sniffFormat(bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})), Format::Png);
    EXPECT_EQ(sniffFormat(bytes({'G', 'I', 'F', '8', '9', 'a'})), Format::Gif);
    EXPECT_EQ(sniffFormat(bytes({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'})),
              Format::WebP);
    EXPECT_EQ(sniffFormat(bytes({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'})),
              Format::Unknown);
    EXPECT_EQ(sniffFormat(bytes({'B', 'M', 0, 0})), Format::Bmp);
    EXPECT_EQ(sniffFormat(bytes({0, 0, 1, 0, 1, 0})), Format::Ico);
    EXPECT_EQ(sniffFormat(bytes({0, 0, 2, 2, 0xC0, 0x80})), Format::Wbmp);
    EXPECT_EQ(sniffFormat(bytes({0, 0, 2, 2, 0xC0})), Format::Unknown);  // pixels missing
    EXPECT_EQ(sniffFormat({}), Format::Unknown);
}

TEST(HostileBytes, RandomAndTinyInputsFailCleanly) {
    using Reader = DecodedImage (*)(Bytes);
    const std::pair<const char*, Reader> readers[] = {{"png", decodePng}, {"jpeg", decodeJpeg},
                                                      {"gif", decodeGif}, {"bmp", decodeBmp},
                                                      {"ico", decodeIco}, {"wbmp", decodeWbmp}};
    std::mt19937 random(5);
    for (const auto& [name, reader] : readers) {
        SCOPED_TRACE(name);
        EXPECT_THROW(reader({}), DecodeError);
        for (int round = 0; round < 200; ++round) {
            std::vector<std::uint8_t> bytes(random() % 300);
            for (auto& b : bytes)
                b = static_cast<std::uint8_t>(random());
            try {
                reader(bytes);
            } catch (const DecodeError& e) {
                EXPECT_GT(std::strlen(e.what()), 0u);
            }
        }
    }
}

TEST(Limits, OversizedHeadersAreRefusedBeforeAllocating) {
    // BMP 70000 x 10, GIF screen fine but frame 65535 x 65535, WBMP 100000 x 1.
    std::vector<std::uint8_t> bmp = {'B', 'M', 0, 0,    0,    0, 0, 0,  0, 0, 54, 0, 0, 0,  40,
                                     0,   0,   0, 0x70, 0x11, 1, 0, 10, 0, 0, 0,  1, 0, 24, 0};
    bmp.resize(54 + 100, 0);
    try {
        decodeBmp(bmp);
        FAIL();
    } catch (const DecodeError& e) {
        EXPECT_STREQ(e.what(), "Image is too large (70000 x 10)");
    }
    std::vector<std::uint8_t> gif = {'G',  'I',  'F',  '8',  '9',  'a', 1, 0,   1,
                                     0,    0,    0,    0,    0x2C, 0,   0, 0,   0,
                                     0xFF, 0xFF, 0xFF, 0xFF, 0,    8,   0, 0x3B};
    try {
        decodeGif(gif);
        FAIL();
    } catch (const DecodeError& e) {
        EXPECT_STREQ(e.what(), "Image is too large (65535 x 65535)");
    }
    const std::vector<std::uint8_t> wbmp = {0, 0, 0x86, 0x8D, 0x20, 1, 0};
    try {
        decodeWbmp(wbmp);
        FAIL();
    } catch (const DecodeError& e) {
        EXPECT_STREQ(e.what(), "Image is too large (100000 x 1)");
    }
}

}  // namespace
}  // namespace pixmorrow::formats

// Our PNG reader against libpng on files written by libpng with every colour type, bit depth,
// interlace, filter choice and transparency, and on damaged files.
#include "formats/readers.h"
#include "formats/test_support.h"
#include "support/libpng_bgra.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>

namespace pixmorrow::formats {
namespace {

using pixmorrow::testing::readWithLibpng;
using testing::firstDifference;

struct PngCase {
    int colourType;
    int depth;
    bool interlaced;
    bool transparency;
};

std::string caseName(const PngCase& c);
void PrintTo(const PngCase& c, std::ostream* out) {
    *out << caseName(c);
}

std::string caseName(const PngCase& c) {
    return "type" + std::to_string(c.colourType) + "_depth" + std::to_string(c.depth) +
           (c.interlaced ? "_adam7" : "") + (c.transparency ? "_trns" : "");
}

int channels(int colourType) {
    return colourType == 0   ? 1
           : colourType == 2 ? 3
           : colourType == 3 ? 1
           : colourType == 4 ? 2
                             : 4;
}

void appendData(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// A PNG written by libpng, pixels random but in runs so every filter type gets chosen.
std::vector<std::uint8_t> writeWithLibpng(const PngCase& c, std::uint32_t width,
                                          std::uint32_t height, unsigned seed) {
    std::mt19937 random(seed);
    const std::size_t rowBytes = (std::size_t{width} * channels(c.colourType) * c.depth + 7) / 8;
    std::vector<std::vector<std::uint8_t>> rows(height, std::vector<std::uint8_t>(rowBytes));
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::size_t i = 0; i < rowBytes; ++i)
            rows[y][i] = (y % 3 == 0 || i % 7 < 3) ? static_cast<std::uint8_t>(random())
                                                   : static_cast<std::uint8_t>(i * 3 + y);
    const int paletteSize = c.colourType == 3 ? (1 << c.depth) - (c.depth > 1 ? 1 : 0) : 0;
    if (c.colourType == 3) {
        // Keep indices inside the palette.
        for (auto& row : rows) {
            for (std::size_t i = 0; i < rowBytes; ++i) {
                if (c.depth == 8 && row[i] >= paletteSize)
                    row[i] = static_cast<std::uint8_t>(row[i] % paletteSize);
                if (c.depth < 8) {
                    std::uint8_t fixed = 0;
                    const int mask = (1 << c.depth) - 1;
                    for (int shift = 8 - c.depth; shift >= 0; shift -= c.depth) {
                        int v = row[i] >> shift & mask;
                        if (v >= paletteSize)
                            v = paletteSize - 1;
                        fixed = static_cast<std::uint8_t>(fixed | v << shift);
                    }
                    row[i] = fixed;
                }
            }
        }
    }

    std::vector<std::uint8_t> file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng write failed");
    }
    png_set_write_fn(png, &file, appendData, nullptr);
    png_set_IHDR(png, info, width, height, c.depth, c.colourType,
                 c.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, 0, PNG_ALL_FILTERS);
    std::vector<png_color> palette(static_cast<std::size_t>(paletteSize));
    std::vector<png_byte> alphas(static_cast<std::size_t>(paletteSize));
    if (c.colourType == 3) {
        for (int i = 0; i < paletteSize; ++i) {
            palette[i] = {static_cast<png_byte>(random()), static_cast<png_byte>(random()),
                          static_cast<png_byte>(random())};
            alphas[i] = static_cast<png_byte>(i * 37);
        }
        png_set_PLTE(png, info, palette.data(), paletteSize);
    }
    if (c.transparency) {
        png_color_16 key{};
        const int mask = c.depth == 16 ? 0xFFFF : (1 << c.depth) - 1;
        // A key that occurs in the data: the first sample(s) of the first row.
        auto sampleAt = [&](std::size_t index) -> png_uint_16 {
            if (c.depth == 16)
                return static_cast<png_uint_16>(rows[0][2 * index] << 8 | rows[0][2 * index + 1]);
            if (c.depth == 8)
                return rows[0][index];
            return static_cast<png_uint_16>(rows[0][0] >> (8 - c.depth) & mask);
        };
        if (c.colourType == 3) {
            png_set_tRNS(png, info, alphas.data(), paletteSize / 2 + 1, nullptr);
        } else if (c.colourType == 0) {
            key.gray = sampleAt(0);
            png_set_tRNS(png, info, nullptr, 0, &key);
        } else if (c.colourType == 2) {
            key.red = sampleAt(0);
            key.green = sampleAt(1);
            key.blue = sampleAt(2);
            png_set_tRNS(png, info, nullptr, 0, &key);
        }
    }
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return file;
}

std::vector<PngCase> allCases() {
    std::vector<PngCase> cases;
    const std::vector<std::pair<int, std::vector<int>>> depths = {
        {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    for (const auto& [type, list] : depths)
        for (int depth : list)
            for (bool interlaced : {false, true})
                for (bool trns : {false, true})
                    if (!trns || type == 0 || type == 2 || type == 3)
                        cases.push_back({type, depth, interlaced, trns});
    return cases;
}

class PngConformance : public ::testing::TestWithParam<PngCase> {};

TEST_P(PngConformance, MatchesLibpng) {
    const PngCase c = GetParam();
    // Odd sizes catch partial bytes and the short Adam7 passes; 1 x 1 and 3 x 2 have empty passes.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes = {
        {1, 1}, {3, 2}, {37, 23}, {130, 67}};
    unsigned seed = 1;
    for (const auto& [w, h] : sizes) {
        const auto file = writeWithLibpng(c, w, h, seed++);
        std::uint32_t rw = 0, rh = 0;
        const auto expected = readWithLibpng(file, rw, rh);
        const DecodedImage ours = decodePng(file);
        ASSERT_EQ(ours.width, w);
        ASSERT_EQ(ours.height, h);
        EXPECT_EQ(ours.hasAlpha, c.colourType == 4 || c.colourType == 6 || c.transparency);
        ASSERT_EQ(ours.bgra, expected)
            << w << " x " << h << ": " << firstDifference(ours.bgra, expected, w);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryTypeDepthInterlace, PngConformance, ::testing::ValuesIn(allCases()),
                         [](const auto& info) { return caseName(info.param); });

// --- damaged files --------------------------------------------------------------------

std::vector<std::uint8_t> smallRgbPng() {
    return writeWithLibpng({2, 8, false, false}, 40, 30, 7);
}

// Offset of the first chunk of that type.
std::size_t findChunk(const std::vector<std::uint8_t>& file, const char* type) {
    std::size_t pos = 8;
    while (pos + 8 <= file.size()) {
        const std::uint32_t length = std::uint32_t{file[pos]} << 24 | file[pos + 1] << 16 |
                                     file[pos + 2] << 8 | file[pos + 3];
        if (std::memcmp(file.data() + pos + 4, type, 4) == 0)
            return pos;
        pos += 12 + length;
    }
    throw std::runtime_error("no such chunk");
}

void expectError(const std::vector<std::uint8_t>& file, const std::string& message) {
    try {
        decodePng(file);
        ADD_FAILURE() << "no error, expected " << message;
    } catch (const DecodeError& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

TEST(PngErrors, NameWhatIsWrong) {
    const auto good = smallRgbPng();
    ASSERT_NO_THROW(decodePng(good));

    expectError({}, "PNG: not a PNG file (bad signature)");

    auto badIhdrCrc = good;
    badIhdrCrc[8 + 8 + 12] ^= 1;  // last byte of the IHDR data
    expectError(badIhdrCrc, "PNG: CRC error in IHDR chunk");

    auto badIdatCrc = good;
    const std::size_t idat = findChunk(good, "IDAT");
    badIdatCrc[idat + 8] ^= 0x40;
    expectError(badIdatCrc, "PNG: CRC error in IDAT chunk");

    // Cut in the middle of the IDAT chunk, then right after it (no IEND, data incomplete
    // because the one IDAT is shortened and its CRC recomputed).
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(idat + 20));
    expectError(cut, "PNG: truncated IDAT chunk");

    auto shortIdat =
        std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(idat + 8 + 30));
    shortIdat[idat] = 0;
    shortIdat[idat + 1] = 0;
    shortIdat[idat + 2] = 0;
    shortIdat[idat + 3] = 30;
    const uLong crc =
        crc32(crc32(0, shortIdat.data() + idat + 4, 4), shortIdat.data() + idat + 8, 30);
    for (int i = 3; i >= 0; --i)
        shortIdat.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
    expectError(shortIdat, "PNG: truncated IDAT data");

    auto badDepth = good;
    badDepth[8 + 8 + 8] = 3;
    const uLong ihdrCrc = crc32(0, badDepth.data() + 12, 17);
    for (int i = 0; i < 4; ++i)
        badDepth[29 + i] = static_cast<std::uint8_t>(ihdrCrc >> (24 - 8 * i));
    expectError(badDepth, "PNG: invalid bit depth 3 for colour type 2");
}

TEST(PngErrors, HugeDimensionsAreRefusedBeforeAllocating) {
    auto file = smallRgbPng();
    // 70000 x 70000
    const std::uint8_t size[8] = {0, 1, 0x11, 0x70, 0, 1, 0x11, 0x70};
    std::memcpy(file.data() + 16, size, 8);
    const uLong crc = crc32(0, file.data() + 12, 17);
    for (int i = 0; i < 4; ++i)
        file[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    expectError(file, "Image is too large (70000 x 70000)");
}

TEST(PngErrors, EveryTruncationFailsCleanly) {
    const auto good = writeWithLibpng({3, 4, true, true}, 20, 20, 3);
    for (std::size_t length = 0; length < good.size(); ++length) {
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(length));
        try {
            decodePng(cut);
            // Only a file missing nothing but its IEND may decode.
            EXPECT_GE(length, good.size() - 12) << "decoded with " << length << " bytes";
        } catch (const DecodeError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("PNG: ", 0), 0u) << e.what();
        }
    }
}

}  // namespace
}  // namespace pixmorrow::formats

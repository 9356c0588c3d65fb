// PNG reader over zlib's inflate. The image data is inflated one row at a time into a small
// buffer, unfiltered against the previous row and expanded straight into BGRA, so memory is
// the output image plus two rows.
#include "formats/readers.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pixmorrow::formats {

namespace {

constexpr std::uint32_t chunkType(const char (&name)[5]) {
    return std::uint32_t(std::uint8_t(name[0])) << 24 | std::uint32_t(std::uint8_t(name[1])) << 16 |
           std::uint32_t(std::uint8_t(name[2])) << 8 | std::uint32_t(std::uint8_t(name[3]));
}
constexpr std::uint32_t kIHDR = chunkType("IHDR");
constexpr std::uint32_t kPLTE = chunkType("PLTE");
constexpr std::uint32_t kIDAT = chunkType("IDAT");
constexpr std::uint32_t kIEND = chunkType("IEND");
constexpr std::uint32_t ktRNS = chunkType("tRNS");

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::string chunkName(std::uint32_t type) {
    std::string name;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>(type >> shift & 0xFF);
        name += (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? c : '?';
    }
    return name;
}

[[noreturn]] void fail(const std::string& what, ErrorKind kind = ErrorKind::Corrupt,
                       LibraryCode code = {}) {
    throw DecodeError("PNG: " + what, kind, code);
}

LibraryCode zlibCode(int status) {
    return {CodeSource::Zlib, status};
}

struct Chunk {
    std::uint32_t type = 0;
    std::uint32_t length = 0;
    const std::uint8_t* data = nullptr;
};

class ChunkReader {
public:
    explicit ChunkReader(Bytes file) : file_(file) {}

    // The next chunk, its CRC checked when it is critical or `checkCrc`; false at the end of
    // the file.
    bool next(Chunk& chunk) {
        if (pos_ == file_.size())
            return false;
        if (file_.size() - pos_ < 8)
            fail("truncated chunk header", ErrorKind::Truncated);
        const std::uint8_t* p = file_.data() + pos_;
        chunk.length = be32(p);
        chunk.type = be32(p + 4);
        for (int i = 4; i < 8; ++i) {
            const std::uint8_t c = p[i];
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
                fail("invalid chunk type");
        }
        if (chunk.length > 0x7FFFFFFFu)
            fail("invalid length of " + chunkName(chunk.type) + " chunk");
        if (file_.size() - pos_ - 8 < std::uint64_t{chunk.length} + 4)
            fail("truncated " + chunkName(chunk.type) + " chunk", ErrorKind::Truncated);
        chunk.data = p + 8;
        pos_ += 12 + std::size_t{chunk.length};
        return true;
    }

    static bool crcMatches(const Chunk& chunk) {
        uLong crc = crc32(0L, chunk.data - 4, 4);
        crc = crc32(crc, chunk.data, chunk.length);
        return static_cast<std::uint32_t>(crc) == be32(chunk.data + chunk.length);
    }
    static void checkCrc(const Chunk& chunk) {
        if (!crcMatches(chunk))
            fail("CRC error in " + chunkName(chunk.type) + " chunk");
    }

private:
    Bytes file_;
    std::size_t pos_ = 8;
};

struct Header {
    std::uint32_t width = 0, height = 0;
    int depth = 0, colourType = 0;
    bool interlaced = false;
    int channels = 0;
};

int channelsOf(int colourType) {
    switch (colourType) {
        case 0:
            return 1;
        case 2:
            return 3;
        case 3:
            return 1;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 0;
    }
}

Header parseHeader(const Chunk& chunk) {
    if (chunk.length != 13)
        fail("invalid IHDR chunk length");
    Header h;
    h.width = be32(chunk.data);
    h.height = be32(chunk.data + 4);
    h.depth = chunk.data[8];
    h.colourType = chunk.data[9];
    h.channels = channelsOf(h.colourType);
    if (h.channels == 0)
        fail("invalid colour type " + std::to_string(h.colourType));
    const int d = h.depth;
    bool depthOk = false;
    switch (h.colourType) {
        case 0:
            depthOk = d == 1 || d == 2 || d == 4 || d == 8 || d == 16;
            break;
        case 3:
            depthOk = d == 1 || d == 2 || d == 4 || d == 8;
            break;
        default:
            depthOk = d == 8 || d == 16;
            break;
    }
    if (!depthOk)
        fail("invalid bit depth " + std::to_string(d) + " for colour type " +
             std::to_string(h.colourType));
    if (chunk.data[10] != 0)
        fail("unknown compression method", ErrorKind::Unsupported);
    if (chunk.data[11] != 0)
        fail("unknown filter method", ErrorKind::Unsupported);
    if (chunk.data[12] > 1)
        fail("unknown interlace method", ErrorKind::Unsupported);
    h.interlaced = chunk.data[12] == 1;
    if (h.width > 0x7FFFFFFFu || h.height > 0x7FFFFFFFu)
        fail("invalid image size");
    checkImageSize(h.width, h.height, "PNG");
    return h;
}

// --- unfiltering -----------------------------------------------------------------------

inline std::uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c;
    int pa = p - a, pb = p - b, pc = p - c;
    pa = pa < 0 ? -pa : pa;
    pb = pb < 0 ? -pb : pb;
    pc = pc < 0 ? -pc : pc;
    if (pa <= pb && pa <= pc)
        return static_cast<std::uint8_t>(a);
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

#if defined(__SSE2__)
// Loads/stores of 3 or 4 bytes as the low lanes of a vector.
inline __m128i load4(const std::uint8_t* p) {
    std::int32_t v;
    std::memcpy(&v, p, 4);
    return _mm_cvtsi32_si128(v);
}
inline void store4(std::uint8_t* p, __m128i v) {
    const std::int32_t x = _mm_cvtsi128_si32(v);
    std::memcpy(p, &x, 4);
}
inline void store3(std::uint8_t* p, __m128i v) {
    const std::int32_t x = _mm_cvtsi128_si32(v);
    p[0] = static_cast<std::uint8_t>(x);
    p[1] = static_cast<std::uint8_t>(x >> 8);
    p[2] = static_cast<std::uint8_t>(x >> 16);
}
inline __m128i abs16(__m128i x) {
    const __m128i sign = _mm_srai_epi16(x, 15);
    return _mm_sub_epi16(_mm_xor_si128(x, sign), sign);
}
inline __m128i if16(__m128i cond, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(cond, yes), _mm_andnot_si128(cond, no));
}

// Paeth for 3- and 4-byte pixels: all channels of one pixel at once in 16-bit lanes.
template <int Bpp>
void paethRowSimd(std::uint8_t* row, const std::uint8_t* prev, std::size_t length) {
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero, c = zero;
    std::size_t i = 0;
    // 3-byte pixels are loaded as 4 bytes: the row buffers have spare bytes at their end.
    for (; i + Bpp <= length; i += Bpp) {
        const __m128i b = _mm_unpacklo_epi8(load4(prev + i), zero);
        const __m128i x = _mm_unpacklo_epi8(load4(row + i), zero);
        const __m128i pa = abs16(_mm_sub_epi16(b, c));  // |p - a|
        const __m128i pb = abs16(_mm_sub_epi16(a, c));  // |p - b|
        const __m128i pc = abs16(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
        // pa <= pb && pa <= pc ? a : (pb <= pc ? b : c)
        const __m128i useA = _mm_andnot_si128(
            _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc)), _mm_set1_epi16(-1));
        const __m128i useB = _mm_andnot_si128(_mm_cmpgt_epi16(pb, pc), _mm_set1_epi16(-1));
        const __m128i predictor = if16(useA, a, if16(useB, b, c));
        const __m128i value = _mm_and_si128(_mm_add_epi16(x, predictor), _mm_set1_epi16(0xFF));
        const __m128i packed = _mm_packus_epi16(value, value);
        if (Bpp == 4)
            store4(row + i, packed);
        else
            store3(row + i, packed);
        a = value;
        c = b;
    }
}
#endif

void unfilterRow(int filter, std::uint8_t* row, const std::uint8_t* prev, std::size_t length,
                 std::size_t bpp, std::uint32_t rowIndex) {
    switch (filter) {
        case 0:
            return;
        case 1:
            for (std::size_t i = bpp; i < length; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
            return;
        case 2:
            for (std::size_t i = 0; i < length; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + prev[i]);
            return;
        case 3: {
            const std::size_t head = bpp < length ? bpp : length;
            for (std::size_t i = 0; i < head; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + (prev[i] >> 1));
            for (std::size_t i = bpp; i < length; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - bpp] + prev[i]) >> 1));
            return;
        }
        case 4: {
#if defined(__SSE2__)
            if (bpp == 4)
                return paethRowSimd<4>(row, prev, length);
            if (bpp == 3)
                return paethRowSimd<3>(row, prev, length);
#endif
            const std::size_t head = bpp < length ? bpp : length;
            for (std::size_t i = 0; i < head; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + prev[i]);
            for (std::size_t i = bpp; i < length; ++i)
                row[i] =
                    static_cast<std::uint8_t>(row[i] + paeth(row[i - bpp], prev[i], prev[i - bpp]));
            return;
        }
        default:
            fail("unknown filter type " + std::to_string(filter) + " in row " +
                 std::to_string(rowIndex));
    }
}

// --- expansion to BGRA ------------------------------------------------------------------

struct Palette {
    std::array<std::uint8_t, 256 * 4> bgra{};  // missing entries stay opaque black
    int size = 0;
};

struct Transparency {
    bool present = false;
    std::uint16_t gray = 0, red = 0, green = 0, blue = 0;
};

class RowExpander {
public:
    RowExpander(const Header& h, const Palette& palette, const Transparency& trns)
        : h_(h), palette_(palette), trns_(trns), expand_(expanderFor(h)) {}

    void expand(const std::uint8_t* raw, std::uint32_t width, std::uint8_t* out) const {
        (this->*expand_)(raw, width, out);
    }

private:
    using Expand = void (RowExpander::*)(const std::uint8_t*, std::uint32_t, std::uint8_t*) const;

    // Chosen once per image from the header (its colour type and depth are checked already).
    static Expand expanderFor(const Header& h) {
        const bool wide = h.depth == 16;
        switch (h.colourType) {
            case 0:
                if (h.depth < 8)
                    return &RowExpander::expandLowGray;
                return wide ? &RowExpander::expandGray<2> : &RowExpander::expandGray<1>;
            case 2:
                return wide ? &RowExpander::expandRgb<2> : &RowExpander::expandRgb<1>;
            case 3:
                return &RowExpander::expandPalette;
            case 4:
                return wide ? &RowExpander::expandGrayAlpha<2> : &RowExpander::expandGrayAlpha<1>;
            default:
                return wide ? &RowExpander::expandRgba<2> : &RowExpander::expandRgba<1>;
        }
    }

    void expandLowGray(const std::uint8_t* raw, std::uint32_t width, std::uint8_t* out) const {
        const int d = h_.depth;
        const int mask = (1 << d) - 1;
        const int scale = d == 1 ? 255 : d == 2 ? 85 : 17;
        const int key = trns_.present ? (trns_.gray & mask) : -1;
        const int perByte = 8 / d;
        for (std::uint32_t x = 0; x < width; ++x) {
            const int shift = 8 - d - static_cast<int>(x % perByte) * d;
            const int v = raw[x / perByte] >> shift & mask;
            const auto g = static_cast<std::uint8_t>(v * scale);
            out[0] = out[1] = out[2] = g;
            out[3] = v == key ? 0 : 255;
            out += 4;
        }
    }
    void expandPalette(const std::uint8_t* raw, std::uint32_t width, std::uint8_t* out) const {
        const int d = h_.depth;
        const std::uint8_t* table = palette_.bgra.data();
        if (d == 8) {
            for (std::uint32_t x = 0; x < width; ++x)
                std::memcpy(out + 4 * x, table + 4 * raw[x], 4);
            return;
        }
        const int mask = (1 << d) - 1;
        const int perByte = 8 / d;
        for (std::uint32_t x = 0; x < width; ++x) {
            const int shift = 8 - d - static_cast<int>(x % perByte) * d;
            std::memcpy(out + 4 * x, table + 4 * (raw[x / perByte] >> shift & mask), 4);
        }
    }
    // S is the bytes a sample: 1 or 2 (16-bit keeps its high byte; tRNS compares all 16).
    template <int S>
    static std::uint16_t sample(const std::uint8_t* p) {
        if constexpr (S == 1)
            return p[0];
        else
            return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
    }
    template <int S>
    void expandGray(const std::uint8_t* raw, std::uint32_t width, std::uint8_t* out) const {
        const std::uint16_t key = S == 1 ? (trns_.gray & 0xFF) : trns_.gray;
        const bool keyed = trns_.present;
        for (std::uint32_t x = 0; x < width; ++x, raw += S, out += 4) {
            out[0] = out[1] = out[2] = raw[0];
            out[3] = keyed && sample<S>(raw) == key ? 0 : 255;
        }
    }
    template <int S>
    void expandRgb(const std::uint8_t* raw, std::uint32_t width, std::uint8_t* out) const {
        if (!trns_.present) {
            for (std::uint32_t x = 0; x < width; ++x, raw += 3 * S, out += 4) {
                out[0] = raw[2 * S];
                out[1] = raw[S];
                out[2] = raw[0];
                out[3] = 255;
            }
            return;
        }
        const std::uint16_t mask = S == 1 ? 0xFF : 0xFFFF;
        const std::uint16_t r = trns_.red & mask, g = trns_.green & mask, b = trns_.blue & mask;
        for (std::uint32_t x = 0; x < width; ++x, raw += 3 * S, out += 4) {
            out[0] = raw[2 * S];
            out[1] = raw[S];
            out[2] = raw[0];
            const bool hit =
                sample<S>(raw) == r && sample<S>(raw + S) == g && sample<S>(raw + 2 * S) == b;
            out[3] = hit ? 0 : 255;
        }
    }
    template <int S>
    void expandGrayAlpha(const std::uint8_t* raw, std::uint32_t width, std::uint8_t* out) const {
        for (std::uint32_t x = 0; x < width; ++x, raw += 2 * S, out += 4) {
            out[0] = out[1] = out[2] = raw[0];
            out[3] = raw[S];
        }
    }
    template <int S>
    void expandRgba(const std::uint8_t* raw, std::uint32_t width, std::uint8_t* out) const {
        for (std::uint32_t x = 0; x < width; ++x, raw += 4 * S, out += 4) {
            out[0] = raw[2 * S];
            out[1] = raw[S];
            out[2] = raw[0];
            out[3] = raw[3 * S];
        }
    }

    const Header& h_;
    const Palette& palette_;
    const Transparency& trns_;
    Expand expand_;
};

// --- the image data stream ---------------------------------------------------------------

class IdatStream {
public:
    IdatStream(ChunkReader& chunks, const Chunk& first) : chunks_(chunks) {
        ChunkReader::checkCrc(first);  // before inflate holds memory that the destructor frees
        std::memset(&z_, 0, sizeof z_);
        const int status = inflateInit(&z_);
        if (status != Z_OK)
            throw DecodeError("PNG: out of memory", ErrorKind::Library, zlibCode(status));
        z_.next_in = const_cast<Bytef*>(first.data);
        z_.avail_in = first.length;
    }
    ~IdatStream() { inflateEnd(&z_); }
    IdatStream(const IdatStream&) = delete;
    IdatStream& operator=(const IdatStream&) = delete;

    // Fills exactly `length` bytes or throws.
    void read(std::uint8_t* out, std::size_t length) {
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(length);
        while (z_.avail_out > 0) {
            if (z_.avail_in == 0 && !moreInput())
                fail("truncated IDAT data", ErrorKind::Truncated);
            const int status = inflate(&z_, Z_NO_FLUSH);
            if (status == Z_STREAM_END) {
                if (z_.avail_out > 0)
                    fail("truncated IDAT data", ErrorKind::Truncated);
                break;
            }
            if (status == Z_NEED_DICT || status == Z_DATA_ERROR)
                fail(std::string("corrupt IDAT data") +
                         (z_.msg ? std::string(" (") + z_.msg + ")" : ""),
                     ErrorKind::Corrupt, zlibCode(status));
            if (status == Z_MEM_ERROR)
                throw DecodeError("PNG: out of memory", ErrorKind::Library, zlibCode(status));
            if (status == Z_BUF_ERROR && z_.avail_in > 0)
                fail("corrupt IDAT data", ErrorKind::Corrupt, zlibCode(status));
        }
    }

private:
    void feed(const Chunk& chunk) {
        ChunkReader::checkCrc(chunk);
        z_.next_in = const_cast<Bytef*>(chunk.data);
        z_.avail_in = chunk.length;
    }
    bool moreInput() {
        // Empty IDAT chunks are allowed; anything else ends the image data.
        while (!ended_) {
            Chunk chunk;
            if (!chunks_.next(chunk) || chunk.type != kIDAT) {
                ended_ = true;
                return false;
            }
            feed(chunk);
            if (chunk.length > 0)
                return true;
        }
        return false;
    }

    ChunkReader& chunks_;
    z_stream z_;
    bool ended_ = false;
};

struct Pass {
    std::uint32_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

}  // namespace

void checkPngDataCanHold(Bytes data, std::uint32_t width, std::uint32_t height, int bitsPerPixel,
                         bool interlaced) {
    checkImageSize(width, height, "PNG");
    // The bytes of every IDAT chunk that are in the file, a cut last one's too: damage is
    // for the decoder to report, in its own words, once it reads that far.
    std::uint64_t idat = 0;
    for (std::uint64_t at = 8; at + 8 <= data.size();) {
        const std::uint64_t length = be32(data.data() + at);
        if (be32(data.data() + at + 4) == kIDAT)
            idat += std::min<std::uint64_t>(length, data.size() - at - 8);
        at += 12 + length;
    }
    // What inflating must give: every row of every pass with its filter byte.
    std::uint64_t filtered = 0;
    for (int p = 0; p < (interlaced ? 7 : 1); ++p) {
        const Pass pass = interlaced ? kAdam7[p] : Pass{0, 0, 1, 1};
        if (pass.x0 >= width || pass.y0 >= height)
            continue;
        const std::uint64_t passWidth = (width - pass.x0 + pass.dx - 1) / pass.dx;
        const std::uint64_t passHeight = (height - pass.y0 + pass.dy - 1) / pass.dy;
        filtered += passHeight * (1 + (passWidth * std::uint64_t(bitsPerPixel) + 7) / 8);
    }
    checkDataCanHold(idat, filtered, kDeflateMaxRatio, width, height, "PNG");
}

DecodedImage decodePng(Bytes data) {
    if (!looksLikePng(data))
        fail("not a PNG file (bad signature)", ErrorKind::Unsupported);
    ChunkReader chunks(data);
    Chunk chunk;
    if (!chunks.next(chunk) || chunk.type != kIHDR)
        fail("IHDR chunk missing");
    ChunkReader::checkCrc(chunk);
    const Header h = parseHeader(chunk);

    Palette palette;
    Transparency trns;
    bool haveIdat = false;
    while (chunks.next(chunk)) {
        if (chunk.type == kIDAT) {
            haveIdat = true;
            break;
        }
        const bool critical = (chunk.type >> 29 & 1) == 0;  // upper-case first letter
        if (chunk.type == kIEND)
            break;
        if (chunk.type == kIHDR)
            fail("second IHDR chunk");
        if (chunk.type == kPLTE) {
            ChunkReader::checkCrc(chunk);
            if (chunk.length % 3 != 0 || chunk.length == 0 || chunk.length > 768)
                fail("invalid PLTE chunk length");
            if (h.colourType != 3)
                continue;  // a suggested palette only
            palette.size = static_cast<int>(chunk.length / 3);
            for (int i = 0; i < palette.size; ++i) {
                palette.bgra[4 * i + 0] = chunk.data[3 * i + 2];
                palette.bgra[4 * i + 1] = chunk.data[3 * i + 1];
                palette.bgra[4 * i + 2] = chunk.data[3 * i + 0];
            }
            for (int i = 0; i < 256; ++i)
                palette.bgra[4 * i + 3] = 255;
            continue;
        }
        if (chunk.type == ktRNS) {
            // A damaged or misplaced tRNS is dropped, as ancillary chunks are.
            if (!ChunkReader::crcMatches(chunk))
                continue;
            if (h.colourType == 3 && palette.size > 0 && chunk.length > 0 &&
                chunk.length <= static_cast<std::uint32_t>(palette.size)) {
                for (std::uint32_t i = 0; i < chunk.length; ++i)
                    palette.bgra[4 * i + 3] = chunk.data[i];
                trns.present = true;
            } else if (h.colourType == 0 && chunk.length == 2) {
                trns.gray = static_cast<std::uint16_t>(chunk.data[0] << 8 | chunk.data[1]);
                trns.present = true;
            } else if (h.colourType == 2 && chunk.length == 6) {
                trns.red = static_cast<std::uint16_t>(chunk.data[0] << 8 | chunk.data[1]);
                trns.green = static_cast<std::uint16_t>(chunk.data[2] << 8 | chunk.data[3]);
                trns.blue = static_cast<std::uint16_t>(chunk.data[4] << 8 | chunk.data[5]);
                trns.present = true;
            }
            continue;
        }
        if (critical)
            fail("unknown critical chunk " + chunkName(chunk.type), ErrorKind::Unsupported);
    }
    if (!haveIdat)
        fail("no IDAT chunk");
    if (h.colourType == 3 && palette.size == 0)
        fail("missing PLTE chunk for a palette image");
    if (h.colourType == 3 && !trns.present) {
        // Opaque palette: nothing to do; alpha is already 255 everywhere.
    }

    checkPngDataCanHold(data, h.width, h.height, h.channels * h.depth, h.interlaced);
    DecodedImage image = allocateImage(h.width, h.height, "PNG");
    image.hasAlpha = h.colourType == 4 || h.colourType == 6 || trns.present;

    const std::size_t bitsPerPixel = static_cast<std::size_t>(h.channels) * h.depth;
    const std::size_t bpp = bitsPerPixel < 8 ? 1 : bitsPerPixel / 8;
    const std::size_t maxRowBytes = (std::size_t{h.width} * bitsPerPixel + 7) / 8;
    // Row buffers: the filter byte, then the row; 16 spare bytes let SIMD loads run over.
    std::vector<std::uint8_t> buffers(2 * (maxRowBytes + 1 + 16), 0);
    std::uint8_t* cur = buffers.data();
    std::uint8_t* prev = buffers.data() + maxRowBytes + 1 + 16;
    std::vector<std::uint8_t> passRow;
    if (h.interlaced)
        passRow.resize(std::size_t{h.width} * 4);

    IdatStream stream(chunks, chunk);
    const RowExpander expander(h, palette, trns);
    const std::size_t outStride = std::size_t{h.width} * 4;

    const int passCount = h.interlaced ? 7 : 1;
    for (int p = 0; p < passCount; ++p) {
        const Pass pass = h.interlaced ? kAdam7[p] : Pass{0, 0, 1, 1};
        if (pass.x0 >= h.width || pass.y0 >= h.height)
            continue;
        const std::uint32_t passWidth = (h.width - pass.x0 + pass.dx - 1) / pass.dx;
        const std::uint32_t passHeight = (h.height - pass.y0 + pass.dy - 1) / pass.dy;
        const std::size_t rowBytes = (std::size_t{passWidth} * bitsPerPixel + 7) / 8;
        std::memset(prev, 0, rowBytes + 1);
        for (std::uint32_t r = 0; r < passHeight; ++r) {
            stream.read(cur, rowBytes + 1);
            unfilterRow(cur[0], cur + 1, prev + 1, rowBytes, bpp, r);
            const std::uint32_t y = pass.y0 + r * pass.dy;
            std::uint8_t* outRow = image.bgra.data() + y * outStride;
            if (!h.interlaced) {
                expander.expand(cur + 1, passWidth, outRow);
            } else {
                expander.expand(cur + 1, passWidth, passRow.data());
                for (std::uint32_t i = 0; i < passWidth; ++i)
                    std::memcpy(outRow + 4 * (pass.x0 + std::size_t{i} * pass.dx),
                                passRow.data() + 4 * i, 4);
            }
            std::swap(cur, prev);
        }
    }
    return image;
}

}  // namespace pixmorrow::formats

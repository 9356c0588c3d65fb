// GIF: the first image, decoded with our own LZW and placed on the logical screen. The
// screen outside the image, and the image's transparent colour, stay transparent.
#include "formats/readers.h"

#include "byte_reader.h"

#include <array>
#include <cstring>

namespace pixmorrow::formats {

namespace {

using detail::ByteReader;

[[noreturn]] void fail(const std::string& what, ErrorKind kind = ErrorKind::Corrupt) {
    throw DecodeError("GIF: " + what, kind);
}

struct ColourTable {
    std::array<std::uint8_t, 256 * 4> bgra{};  // entries beyond the table are opaque black
    int size = 0;
};

ColourTable readTable(const ByteReader& in, std::size_t at, int entries) {
    in.need(at, std::size_t(entries) * 3);
    ColourTable table;
    table.size = entries;
    for (int i = 0; i < 256; ++i)
        table.bgra[4 * i + 3] = 255;
    for (int i = 0; i < entries; ++i) {
        const std::uint8_t* p = in.ptr(at + 3 * std::size_t(i));
        table.bgra[4 * i] = p[2];
        table.bgra[4 * i + 1] = p[1];
        table.bgra[4 * i + 2] = p[0];
    }
    return table;
}

// Skips data sub-blocks starting at `at`; returns the offset after the terminator.
std::size_t skipSubBlocks(const ByteReader& in, std::size_t at) {
    for (;;) {
        const std::uint8_t length = in.u8(at);
        ++at;
        if (length == 0)
            return at;
        in.need(at, length);
        at += length;
    }
}

// The payload bytes of the data sub-blocks starting at `at`, up to their terminator or the
// end of the file.
std::uint64_t dataBytes(const ByteReader& in, std::size_t at) {
    std::uint64_t total = 0;
    while (in.has(at, 1) && in.u8(at) != 0) {
        total += in.u8(at);
        at += 1 + std::size_t{in.u8(at)};
    }
    return total;
}

// Writes the indices of one image, row by row in the order the interlace gives.
class IndexSink {
public:
    IndexSink(std::uint32_t width, std::uint32_t height, bool interlaced)
        : width_(width),
          height_(height),
          interlaced_(interlaced),
          indices_(std::size_t{width} * height),
          rowDone_(height, false) {}

    bool full() const { return done_; }
    void put(std::uint8_t index) {
        indices_[std::size_t{row_} * width_ + x_] = index;
        if (++x_ < width_)
            return;
        x_ = 0;
        rowDone_[row_] = true;
        nextRow();
    }
    const std::vector<std::uint8_t>& indices() const { return indices_; }
    // How many pixels of row y the data reached.
    std::uint32_t pixelsIn(std::uint32_t y) const {
        if (rowDone_[y])
            return width_;
        return !done_ && y == row_ ? x_ : 0;
    }

private:
    void nextRow() {
        if (++count_ >= height_) {
            done_ = true;
            return;
        }
        if (!interlaced_) {
            ++row_;
            return;
        }
        static constexpr std::uint32_t kStart[4] = {0, 4, 2, 1};
        static constexpr std::uint32_t kStep[4] = {8, 8, 4, 2};
        row_ += kStep[pass_];
        while (row_ >= height_) {
            // Four passes cover every row, so this ends before the count is reached.
            if (++pass_ >= 4) {
                done_ = true;
                return;
            }
            row_ = kStart[pass_];
        }
    }

    std::uint32_t width_, height_;
    bool interlaced_;
    std::vector<std::uint8_t> indices_;
    std::vector<bool> rowDone_;
    std::uint32_t x_ = 0, row_ = 0, count_ = 0;
    int pass_ = 0;
    bool done_ = false;
};

// LZW over the image's sub-blocks, with a code size of 2 to 8. Every code is checked against
// the table built so far.
// Returns the offset after the data's terminator.
std::size_t decodeLzw(const ByteReader& in, std::size_t at, int minCodeSize, IndexSink& sink) {
    constexpr int kMaxCodes = 4096;
    std::array<std::uint16_t, kMaxCodes> prefix{};
    std::array<std::uint8_t, kMaxCodes> suffix{};
    std::array<std::uint8_t, kMaxCodes> first{};
    std::array<std::uint8_t, kMaxCodes + 1> stack{};

    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    for (int i = 0; i < clear; ++i) {
        suffix[i] = static_cast<std::uint8_t>(i);
        first[i] = static_cast<std::uint8_t>(i);
    }
    int codeSize = minCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    std::uint32_t bits = 0;
    int bitCount = 0;
    bool ended = false;

    for (;;) {
        const std::uint8_t blockLength = in.u8(at);
        ++at;
        if (blockLength == 0)
            break;
        in.need(at, blockLength);
        const std::uint8_t* block = in.ptr(at);
        at += blockLength;
        if (ended || sink.full())
            continue;  // the rest of the data is not needed
        for (int i = 0; i < blockLength && !ended; ++i) {
            bits |= std::uint32_t{block[i]} << bitCount;
            bitCount += 8;
            while (bitCount >= codeSize && !ended) {
                const int code = static_cast<int>(bits & ((1u << codeSize) - 1));
                bits >>= codeSize;
                bitCount -= codeSize;
                if (code == clear) {
                    codeSize = minCodeSize + 1;
                    next = clear + 2;
                    previous = -1;
                    continue;
                }
                if (code == end) {
                    ended = true;
                    break;
                }
                if (previous < 0) {
                    if (code >= clear)
                        fail("invalid LZW code");
                    sink.put(static_cast<std::uint8_t>(code));
                    previous = code;
                    if (sink.full())
                        ended = true;
                    continue;
                }
                if (code > next || (code == next && next >= kMaxCodes))
                    fail("invalid LZW code");
                // The string of `code`, or for the code being defined, previous + its first.
                int depth = 0;
                int walk = code;
                std::uint8_t head;
                if (code == next) {
                    head = first[previous];
                    stack[depth++] = head;
                    walk = previous;
                }
                while (walk >= clear) {
                    stack[depth++] = suffix[walk];
                    walk = prefix[walk];
                }
                stack[depth++] = static_cast<std::uint8_t>(walk);
                head = static_cast<std::uint8_t>(walk);
                if (next < kMaxCodes) {
                    prefix[next] = static_cast<std::uint16_t>(previous);
                    suffix[next] = head;
                    first[next] = first[previous];
                    ++next;
                    if (next == (1 << codeSize) && codeSize < 12)
                        ++codeSize;
                }
                while (depth > 0 && !sink.full())
                    sink.put(stack[--depth]);
                if (sink.full())
                    ended = true;
                previous = code;
            }
        }
    }
    return at;
}

}  // namespace

DecodedImage decodeGif(Bytes data) {
    if (!looksLikeGif(data))
        fail("not a GIF file", ErrorKind::Unsupported);
    const ByteReader in(data, "GIF: truncated file");
    std::uint32_t screenWidth = in.le16(6), screenHeight = in.le16(8);
    const std::uint8_t screenFlags = in.u8(10);
    std::size_t at = 13;
    ColourTable global;
    bool haveGlobal = false;
    if (screenFlags & 0x80) {
        const int entries = 2 << (screenFlags & 7);
        global = readTable(in, at, entries);
        haveGlobal = true;
        at += std::size_t(entries) * 3;
    }

    int transparent = -1;
    for (;;) {
        const std::uint8_t introducer = in.u8(at++);
        if (introducer == 0x3B)
            fail("no image in the file");
        if (introducer == 0x21) {
            const std::uint8_t label = in.u8(at++);
            if (label == 0xF9 && in.u8(at) >= 4) {
                const std::uint8_t flags = in.u8(at + 1);
                transparent = (flags & 1) ? in.u8(at + 4) : -1;
            }
            at = skipSubBlocks(in, at);
            continue;
        }
        if (introducer != 0x2C)
            fail("unknown block type " + std::to_string(introducer));

        const std::uint32_t left = in.le16(at), top = in.le16(at + 2);
        const std::uint32_t width = in.le16(at + 4), height = in.le16(at + 6);
        const std::uint8_t flags = in.u8(at + 8);
        at += 9;
        checkImageSize(width, height, "GIF");
        ColourTable table;
        if (flags & 0x80) {
            const int entries = 2 << (flags & 7);
            table = readTable(in, at, entries);
            at += std::size_t(entries) * 3;
        } else if (haveGlobal) {
            table = global;
        } else {
            // No colour table at all: a gray ramp, as viewers do.
            for (int i = 0; i < 256; ++i) {
                table.bgra[4 * i] = table.bgra[4 * i + 1] = table.bgra[4 * i + 2] =
                    static_cast<std::uint8_t>(i);
                table.bgra[4 * i + 3] = 255;
            }
            table.size = 256;
        }
        if (transparent >= 0)
            table.bgra[4 * transparent + 3] = 0;

        // A screen of zero size, or smaller than the image at its place, grows to hold it.
        if (screenWidth < left + width)
            screenWidth = left + width;
        if (screenHeight < top + height)
            screenHeight = top + height;
        const int minCodeSize = in.u8(at++);
        if (minCodeSize < 2 || minCodeSize > 8)
            fail("invalid LZW code size " + std::to_string(minCodeSize));
        // The image's pixels must be in its data, and the screen around it in proportion to
        // the file, before either is made.
        checkImageSize(screenWidth, screenHeight, "GIF");
        checkDataCanHold(dataBytes(in, at), std::uint64_t{width} * height, kLzwMaxPixelsPerByte,
                         width, height, "GIF");
        checkDataCanHold(in.size(), std::uint64_t{screenWidth} * screenHeight, kLzwMaxPixelsPerByte,
                         screenWidth, screenHeight, "GIF");
        DecodedImage image = allocateImage(screenWidth, screenHeight, "GIF");

        IndexSink sink(width, height, (flags & 0x40) != 0);
        decodeLzw(in, at, minCodeSize, sink);

        // Pixels that data ending early did not reach stay transparent.
        const auto& indices = sink.indices();
        for (std::uint32_t y = 0; y < height; ++y) {
            std::uint8_t* out = image.bgra.data() + (std::size_t{top + y} * screenWidth + left) * 4;
            const std::uint8_t* row = indices.data() + std::size_t{y} * width;
            const std::uint32_t count = sink.pixelsIn(y);
            for (std::uint32_t x = 0; x < count; ++x)
                std::memcpy(out + 4 * x, table.bgra.data() + 4 * row[x], 4);
        }
        image.hasAlpha =
            transparent >= 0 || width < screenWidth || height < screenHeight || !sink.full();
        return image;
    }
}

}  // namespace pixmorrow::formats

#include "conversion/formats/tiff_codec.h"

#include "formats/decode_limits.h"
#include "formats/readers.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace pixmorrow {

namespace {

// A growable file in memory for libtiff's client procedures; reading is bounded by `size`.
struct MemoryFile {
    const std::uint8_t* readData = nullptr;
    std::vector<std::uint8_t>* writeData = nullptr;
    std::uint64_t size = 0;
    std::uint64_t pos = 0;
    std::string error;
};

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t length) {
    auto* f = static_cast<MemoryFile*>(handle);
    if (length <= 0 || f->pos >= f->size)
        return 0;
    const std::uint64_t n =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(length), f->size - f->pos);
    const std::uint8_t* source = f->readData ? f->readData : f->writeData->data();
    std::memcpy(buffer, source + f->pos, n);
    f->pos += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t writeProc(thandle_t handle, void* buffer, tmsize_t length) {
    auto* f = static_cast<MemoryFile*>(handle);
    if (!f->writeData || length < 0)
        return -1;
    const std::uint64_t end = f->pos + static_cast<std::uint64_t>(length);
    if (end > f->writeData->size())
        f->writeData->resize(end);
    std::memcpy(f->writeData->data() + f->pos, buffer, static_cast<std::size_t>(length));
    f->pos = end;
    f->size = std::max(f->size, end);
    return length;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence) {
    auto* f = static_cast<MemoryFile*>(handle);
    std::int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<std::int64_t>(f->pos);
    if (whence == SEEK_END)
        base = static_cast<std::int64_t>(f->size);
    const std::int64_t target = base + static_cast<std::int64_t>(offset);
    if (target < 0)
        return static_cast<toff_t>(-1);
    f->pos = static_cast<std::uint64_t>(target);
    return f->pos;
}

int closeProc(thandle_t) {
    return 0;
}
toff_t sizeProc(thandle_t handle) {
    return static_cast<MemoryFile*>(handle)->size;
}
int mapProc(thandle_t, void**, toff_t*) {
    return 0;
}
void unmapProc(thandle_t, void*, toff_t) {}

// libtiff's messages go to the file's record, not to stderr; the first error is kept.
int onError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* f = static_cast<MemoryFile*>(user);
    if (f->error.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        f->error = text;
    }
    return 1;
}
int onWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TiffHandle open(MemoryFile& file, const char* mode) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, onError, &file);
    TIFFOpenOptionsSetWarningHandlerExtR(options, onWarning, &file);
    // Bounds what one crafted tag or strip may make libtiff allocate.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(formats::kMaxImageBytes));
    TIFF* tif = TIFFClientOpenExt("memory", mode, &file, readProc, writeProc, seekProc, closeProc,
                                  sizeProc, mapProc, unmapProc, options);
    TIFFOpenOptionsFree(options);
    return TiffHandle(tif);
}

// Classic or BigTIFF, either byte order: what tells a damaged TIFF from another format.
bool hasTiffSignature(formats::Bytes data) {
    return data.size() >= 4 &&
           ((data[0] == 'I' && data[1] == 'I' && data[3] == 0 &&
             (data[2] == 42 || data[2] == 43)) ||
            (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && (data[3] == 42 || data[3] == 43)));
}

// libtiff's failures have a text but no number of their own.
[[noreturn]] void failDecode(const std::string& text, formats::ErrorKind kind) {
    throw formats::DecodeError("TIFF: " + text, kind);
}

// The most one byte of a strip can become, for the compressions with a sound bound: stored
// data 1:1; an LZW code has 9 bits or more and gives at most one string of libtiff's table
// of 5119 entries; deflate at most 1032 bytes a byte; a PackBits run gives 128 bytes for two.
// Nothing for the others (JPEG, fax, ...), whose best cases have no such bound.
std::optional<std::uint64_t> maxExpansion(std::uint16_t compression) {
    switch (compression) {
        case COMPRESSION_NONE:
            return 1;
        case COMPRESSION_LZW:
            return 5119 * 8 / 9 + 1;
        case COMPRESSION_ADOBE_DEFLATE:
        case COMPRESSION_DEFLATE:
            return formats::kDeflateMaxRatio;
        case COMPRESSION_PACKBITS:
            return 64;
        default:
            return std::nullopt;
    }
}

// Refuses a picture that the strips or tiles lying within the file cannot hold, before its
// raster is allocated: a small file claiming a huge picture costs nothing.
void checkDataCovers(TIFF* tif, std::uint64_t fileSize, std::uint32_t width, std::uint32_t height) {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const std::optional<std::uint64_t> ratio = maxExpansion(compression);
    if (!ratio)
        return;
    const bool tiled = TIFFIsTiled(tif) != 0;
    const std::uint32_t count = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    std::uint64_t data = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t offset = TIFFGetStrileOffset(tif, i);
        if (offset < fileSize)
            data += std::min(TIFFGetStrileByteCount(tif, i), fileSize - offset);
    }
    std::uint16_t planar = PLANARCONFIG_CONTIG, samples = 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    const std::uint64_t planes = planar == PLANARCONFIG_SEPARATE ? samples : 1;
    // Each tile decodes to a whole tile; strips to the picture's rows.
    const std::uint64_t needed =
        tiled ? TIFFTileSize64(tif) * count : planes * TIFFVStripSize64(tif, height);
    formats::checkDataCanHold(data, needed, *ratio, width, height, "TIFF");
}

}  // namespace

formats::DecodedImage decodeTiff(formats::Bytes data) {
    MemoryFile file;
    file.readData = data.data();
    file.size = data.size();
    if (data.size() < 8)
        failDecode("not a TIFF file", hasTiffSignature(data) ? formats::ErrorKind::Truncated
                                                             : formats::ErrorKind::Unsupported);
    TiffHandle tif = open(file, "rm");
    if (!tif)
        failDecode(
            file.error.empty() ? std::string("not a TIFF file") : file.error,
            hasTiffSignature(data) ? formats::ErrorKind::Library : formats::ErrorKind::Unsupported);
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    formats::checkImageSize(width, height, "TIFF");
    char message[1024] = "";
    if (!TIFFRGBAImageOK(tif.get(), message))
        failDecode(message[0] ? message : "unsupported image", formats::ErrorKind::Unsupported);
    checkDataCovers(tif.get(), data.size(), width, height);

    formats::DecodedImage image = formats::allocateImage(width, height, "TIFF");
    // The RGBA reader writes 32-bit words, R in the low byte, alpha premultiplied.
    auto* raster = reinterpret_cast<std::uint32_t*>(image.bgra.data());
    if (!TIFFReadRGBAImageOriented(tif.get(), width, height, raster, ORIENTATION_TOPLEFT, 0))
        failDecode(file.error.empty() ? std::string("cannot read the image") : file.error,
                   formats::ErrorKind::Library);
    std::uint16_t extraCount = 0;
    std::uint16_t* extraTypes = nullptr;
    TIFFGetField(tif.get(), TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    bool anyAlpha = false;
    for (std::size_t i = 0; i < image.bgra.size(); i += 4) {
        std::uint8_t* p = image.bgra.data() + i;
        std::uint32_t word;
        std::memcpy(&word, p, 4);
        const std::uint8_t r = word & 0xFF, g = word >> 8 & 0xFF, b = word >> 16 & 0xFF,
                           a = word >> 24;
        p[0] = b;
        p[1] = g;
        p[2] = r;
        p[3] = a;
        if (a != 255) {
            anyAlpha = true;
            if (a != 0) {
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<std::uint8_t>(std::min(255, (p[c] * 255 + a / 2) / a));
            }
        }
    }
    image.hasAlpha = anyAlpha && extraCount > 0;
    return image;
}

std::vector<std::uint8_t> encodeTiff(const std::uint8_t* bgra, std::uint32_t width,
                                     std::uint32_t height, std::size_t stride,
                                     TiffCompression compression,
                                     const formats::ImageMetadata& metadata) {
    std::vector<std::uint8_t> out;
    MemoryFile file;
    file.writeData = &out;
    {
        TiffHandle tif = open(file, "w");
        if (!tif)
            throw std::runtime_error("Cannot create the TIFF image: " + file.error);
        TIFF* t = tif.get();
        const std::uint32_t rowsPerStrip =
            std::max<std::uint32_t>(1, (256 * 1024) / (std::max<std::uint32_t>(width, 1) * 3));
        const bool ok =
            TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width) &&
            TIFFSetField(t, TIFFTAG_IMAGELENGTH, height) &&
            TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8) &&
            TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3) &&
            TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) &&
            TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
            TIFFSetField(t, TIFFTAG_COMPRESSION,
                         compression == TiffCompression::Lzw ? COMPRESSION_LZW
                                                             : COMPRESSION_ADOBE_DEFLATE) &&
            TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) &&
            TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, std::min(rowsPerStrip, height)) &&
            TIFFSetField(t, TIFFTAG_XRESOLUTION, 96.0) &&
            TIFFSetField(t, TIFFTAG_YRESOLUTION, 96.0) &&
            TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        const bool withBlocks =
            (metadata.icc.empty() ||
             TIFFSetField(t, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(metadata.icc.size()),
                          metadata.icc.data())) &&
            (metadata.xmp.empty() ||
             TIFFSetField(t, TIFFTAG_XMLPACKET, static_cast<std::uint32_t>(metadata.xmp.size()),
                          metadata.xmp.data()));
        if (!ok || !withBlocks)
            throw std::runtime_error("Cannot create the TIFF image: " + file.error);
        std::vector<std::uint8_t> row(std::size_t{width} * 3);
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint8_t* in = bgra + y * stride;
            for (std::uint32_t x = 0; x < width; ++x) {
                row[3 * x] = in[4 * x + 2];
                row[3 * x + 1] = in[4 * x + 1];
                row[3 * x + 2] = in[4 * x];
            }
            if (TIFFWriteScanline(t, row.data(), y, 0) < 0)
                throw std::runtime_error("Cannot create the TIFF image: " + file.error);
        }
        if (!TIFFWriteDirectory(t))
            throw std::runtime_error("Cannot create the TIFF image: " + file.error);
    }
    if (!file.error.empty())
        throw std::runtime_error("Cannot create the TIFF image: " + file.error);
    out.resize(file.size);
    return out;
}

}  // namespace pixmorrow

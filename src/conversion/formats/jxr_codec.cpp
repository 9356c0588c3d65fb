#include "conversion/formats/jxr_codec.h"

#include "formats/readers.h"

#include <JXRGlue.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace pixmorrow {

namespace {

// --- a growable memory stream for the encoder ------------------------------------------------

struct GrowingBuffer {
    std::vector<std::uint8_t>* bytes;
    std::size_t pos;
};

GrowingBuffer* bufferOf(WMPStream* stream) {
    return static_cast<GrowingBuffer*>(stream->state.pvObj);
}

ERR closeGrowing(WMPStream** stream) {
    if (stream && *stream) {
        delete bufferOf(*stream);
        std::free(*stream);
        *stream = nullptr;
    }
    return WMP_errSuccess;
}
Bool eosGrowing(WMPStream* stream) {
    return bufferOf(stream)->pos >= bufferOf(stream)->bytes->size();
}
ERR readGrowing(WMPStream* stream, void* out, size_t count) {
    GrowingBuffer* b = bufferOf(stream);
    if (b->pos > b->bytes->size() || count > b->bytes->size() - b->pos)
        return WMP_errFileIO;
    std::memcpy(out, b->bytes->data() + b->pos, count);
    b->pos += count;
    return WMP_errSuccess;
}
ERR writeGrowing(WMPStream* stream, const void* in, size_t count) {
    GrowingBuffer* b = bufferOf(stream);
    if (count == 0)
        return WMP_errSuccess;
    if (b->pos + count > b->bytes->size())
        b->bytes->resize(b->pos + count);
    std::memcpy(b->bytes->data() + b->pos, in, count);
    b->pos += count;
    return WMP_errSuccess;
}
ERR setPosGrowing(WMPStream* stream, size_t pos) {
    // The encoder seeks back to fill in offsets and may seek ahead of what is written.
    GrowingBuffer* b = bufferOf(stream);
    if (pos > b->bytes->size())
        b->bytes->resize(pos);
    b->pos = pos;
    return WMP_errSuccess;
}
ERR getPosGrowing(WMPStream* stream, size_t* pos) {
    *pos = bufferOf(stream)->pos;
    return WMP_errSuccess;
}

WMPStream* createGrowing(std::vector<std::uint8_t>& bytes) {
    auto* stream = static_cast<WMPStream*>(std::calloc(1, sizeof(WMPStream)));
    if (!stream)
        throw std::runtime_error("Cannot create the WMP image: out of memory");
    stream->state.pvObj = new GrowingBuffer{&bytes, 0};
    stream->fMem = TRUE;
    stream->Close = closeGrowing;
    stream->EOS = eosGrowing;
    stream->Read = readGrowing;
    stream->Write = writeGrowing;
    stream->SetPos = setPosGrowing;
    stream->GetPos = getPosGrowing;
    return stream;
}

[[noreturn]] void failDecode(const std::string& what,
                             formats::ErrorKind kind = formats::ErrorKind::Corrupt,
                             formats::LibraryCode code = {}) {
    throw formats::DecodeError("WMP: " + what, kind, code);
}

formats::ErrorKind kindOf(ERR err) {
    switch (err) {
        case WMP_errFileIO:  // the memory stream was read past its end
            return formats::ErrorKind::Truncated;
        case WMP_errNotYetImplemented:
        case WMP_errUnsupportedFormat:
        case WMP_errIncorrectCodecVersion:
        case WMP_errIncorrectCodecSubVersion:
            return formats::ErrorKind::Unsupported;
        default:
            return formats::ErrorKind::Library;
    }
}

void check(ERR err, const char* step) {
    if (err < 0)
        failDecode(std::string(step) + " failed (error " + std::to_string(err) + ")", kindOf(err),
                   {formats::CodeSource::Jxrlib, static_cast<int>(err)});
}

// The container is a TIFF-like header that jxrlib trusts: some of its values reach
// assert() (which ends the process) and its metadata readers are fragile. A copy is made
// whose directory keeps only the entries needed for the pixels, each checked here.
std::vector<std::uint8_t> sanitizedContainer(formats::Bytes data) {
    if (data.size() < 16 || data[0] != 'I' || data[1] != 'I' || data[2] != 0xBC)
        failDecode("not a JPEG XR file", formats::ErrorKind::Unsupported);
    auto le16 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(data[at] | data[at + 1] << 8);
    };
    auto le32 = [&](std::size_t at) {
        return std::uint32_t{data[at]} | std::uint32_t{data[at + 1]} << 8 |
               std::uint32_t{data[at + 2]} << 16 | std::uint32_t{data[at + 3]} << 24;
    };
    const std::uint32_t ifd = le32(4);
    if (ifd < 8 || ifd > data.size() - 2)
        failDecode("damaged file header");
    const std::uint32_t entries = le16(ifd);
    if (entries == 0 || entries == 0xFFFF || (data.size() - ifd - 2) / 12 < entries)
        failDecode("damaged file header");

    std::vector<std::uint8_t> copy(data.begin(), data.end());
    std::size_t kept = 0;
    bool havePixelFormat = false, haveImage = false;
    // A cut file must not reach jxrlib, which decodes past the end of the image plane into a
    // picture partly made up. (Its own writer puts the file's size in the alpha plane's byte
    // count, so only the image plane's can be held to the file.)
    std::uint64_t imageStart = 0, imageBytes = 0;
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t at = ifd + 2 + std::size_t{i} * 12;
        const std::uint32_t tag = le16(at), count = le32(at + 4), value = le32(at + 8);
        bool keep = false;
        switch (tag) {
            case 0xBC01:  // pixel format: a 16-byte GUID at `value`
                keep = value <= data.size() && data.size() - value >= 16;
                havePixelFormat = havePixelFormat || keep;
                break;
            case 0xBC02:  // transformation
                if (count != 1 || value >= 8)
                    failDecode("invalid orientation");
                keep = true;
                break;
            case 0xBC80:  // width
            case 0xBC81:  // height
                if (value == 0)
                    failDecode("invalid image size");
                keep = true;
                break;
            case 0xBCC0:  // image offset
            case 0xBCC2:  // alpha offset
                if (count != 1 || value >= data.size())
                    failDecode("image data outside the file");
                keep = true;
                haveImage = haveImage || tag == 0xBCC0;
                if (tag == 0xBCC0)
                    imageStart = value;
                break;
            case 0xBCC1:  // image byte count
            case 0xBCC3:  // alpha byte count
            case 0xBC82:  // resolutions
            case 0xBC83:
                if (count != 1)
                    failDecode("damaged file header");
                keep = true;
                if (tag == 0xBCC1)
                    imageBytes = value;
                break;
            case 0xBC00:  // compression, image type, data discard levels
            case 0xBC04:
            case 0xBCC4:
            case 0xBCC5:
                keep = true;
                break;
            default:  // metadata, colour profiles: not needed for the pixels
                break;
        }
        if (keep) {
            std::memcpy(copy.data() + ifd + 2 + kept * 12, data.data() + at, 12);
            ++kept;
        }
    }
    if (!havePixelFormat || !haveImage)
        failDecode("damaged file header");
    if (imageStart + imageBytes > data.size())
        failDecode("image data outside the file", formats::ErrorKind::Truncated);
    copy[ifd] = static_cast<std::uint8_t>(kept);
    copy[ifd + 1] = static_cast<std::uint8_t>(kept >> 8);
    return copy;
}

// A pixel format jxrlib hands over as it is, and where each sample sits in a pixel.
struct Native {
    const PKPixelFormatGUID* guid;
    std::size_t bytes;  // a pixel
    std::size_t blue, green, red;
    int alpha;  // -1: opaque
};

const Native kNatives[] = {
    {&GUID_PKPixelFormat8bppGray, 1, 0, 0, 0, -1},
    {&GUID_PKPixelFormat24bppBGR, 3, 0, 1, 2, -1},
    {&GUID_PKPixelFormat24bppRGB, 3, 2, 1, 0, -1},
    {&GUID_PKPixelFormat32bppBGR, 4, 0, 1, 2, -1},  // the padding byte carries nothing
    {&GUID_PKPixelFormat32bppBGRA, 4, 0, 1, 2, 3},
    {&GUID_PKPixelFormat32bppRGBA, 4, 2, 1, 0, 3},
    // 16-bit samples are little-endian; the high byte is kept.
    {&GUID_PKPixelFormat48bppRGB, 6, 5, 3, 1, -1},
    {&GUID_PKPixelFormat64bppRGBA, 8, 5, 3, 1, 7},
};

struct DecoderHolder {
    PKImageDecode* decoder = nullptr;
    WMPStream* stream = nullptr;
    ~DecoderHolder() {
        if (decoder)
            decoder->Release(&decoder);
        if (stream)
            CloseWS_Memory(&stream);
    }
};

struct EncoderHolder {
    PKImageEncode* encoder = nullptr;
    WMPStream* stream = nullptr;  // owned by the encoder once Initialize succeeded
    ~EncoderHolder() {
        if (encoder)
            encoder->Release(&encoder);  // closes the stream too
        else if (stream)
            closeGrowing(&stream);
    }
};

}  // namespace

formats::DecodedImage decodeJxrInProcess(formats::Bytes file) {
    std::vector<std::uint8_t> data = sanitizedContainer(file);
    DecoderHolder h;
    check(CreateWS_Memory(&h.stream, data.data(), data.size()), "opening");
    check(PKImageDecode_Create_WMP(&h.decoder), "creating the decoder");
    check(h.decoder->Initialize(h.decoder, h.stream), "reading the header");

    PKPixelFormatGUID format;
    check(h.decoder->GetPixelFormat(h.decoder, &format), "reading the pixel format");
    const Native* native = nullptr;
    for (const Native& n : kNatives)
        if (IsEqualGUID(format, *n.guid))
            native = &n;
    if (!native)
        failDecode("unsupported pixel format", formats::ErrorKind::Unsupported);

    I32 width = 0, height = 0;
    check(h.decoder->GetSize(h.decoder, &width, &height), "reading the size");
    if (width <= 0 || height <= 0)
        failDecode("invalid image size");
    formats::checkImageSize(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height),
                            "WMP");

    PKPixelInfo info;
    info.pGUIDPixFmt = native->guid;
    check(PixelFormatLookup(&info, LOOKUP_FORWARD), "looking up the pixel format");
    const bool alpha = (info.grBit & PK_pixfmtHasAlpha) != 0;
    h.decoder->WMP.wmiSCP.uAlphaMode = alpha ? 2 : 0;
    h.decoder->WMP.wmiSCP.sbSubband = SB_ALL;
    h.decoder->WMP.wmiI.cfColorFormat = info.cfColorFormat;
    h.decoder->WMP.wmiI.bdBitDepth = info.bdBitDepth;
    h.decoder->WMP.wmiI.cBitsPerUnit = info.cbitUnit;
    h.decoder->WMP.wmiI.cThumbnailWidth = h.decoder->WMP.wmiI.cWidth;
    h.decoder->WMP.wmiI.cThumbnailHeight = h.decoder->WMP.wmiI.cHeight;
    h.decoder->WMP.wmiI.bSkipFlexbits = FALSE;
    h.decoder->WMP.wmiI.cROILeftX = 0;
    h.decoder->WMP.wmiI.cROITopY = 0;
    h.decoder->WMP.wmiI.cROIWidth = h.decoder->WMP.wmiI.cThumbnailWidth;
    h.decoder->WMP.wmiI.cROIHeight = h.decoder->WMP.wmiI.cThumbnailHeight;
    h.decoder->WMP.wmiI.oOrientation = O_NONE;
    h.decoder->WMP.wmiI.cPostProcStrength = 0;
    h.decoder->WMP.wmiSCP.bVerbose = FALSE;
    if (h.decoder->WMP.wmiI.cROIWidth != static_cast<std::size_t>(width) ||
        h.decoder->WMP.wmiI.cROIHeight != static_cast<std::size_t>(height))
        failDecode("rotated images are not supported", formats::ErrorKind::Unsupported);

    // The decoder works in 16-line macroblock rows; give it whole ones and room to spare.
    const std::size_t stride =
        (static_cast<std::size_t>(width) * native->bytes + 15) / 16 * 16 + 64;
    const std::size_t rows = (static_cast<std::size_t>(height) + 15) / 16 * 16;
    std::vector<std::uint8_t> pixels(stride * rows);
    PKRect rect = {0, 0, width, height};
    const ERR copied = h.decoder->Copy(h.decoder, &rect, pixels.data(), static_cast<U32>(stride));
    if (copied < 0) {
        // A failed decode leaves its coding contexts behind; jxrlib frees them only on success.
        if (h.decoder->WMP.ctxSC)
            ImageStrDecTerm(h.decoder->WMP.ctxSC);
        h.decoder->WMP.ctxSC = nullptr;
        if (h.decoder->WMP.ctxSC_Alpha)
            ImageStrDecTerm(h.decoder->WMP.ctxSC_Alpha);
        h.decoder->WMP.ctxSC_Alpha = nullptr;
        check(copied, "decoding");
    }

    formats::DecodedImage image = formats::allocateImage(static_cast<std::uint64_t>(width),
                                                         static_cast<std::uint64_t>(height), "WMP");
    bool anyAlpha = false;
    for (I32 y = 0; y < height; ++y) {
        const std::uint8_t* in = pixels.data() + static_cast<std::size_t>(y) * stride;
        std::uint8_t* out = image.bgra.data() + static_cast<std::size_t>(y) * width * 4;
        for (I32 x = 0; x < width; ++x, in += native->bytes, out += 4) {
            out[0] = in[native->blue];
            out[1] = in[native->green];
            out[2] = in[native->red];
            out[3] = native->alpha < 0 ? 255 : in[native->alpha];
            anyAlpha = anyAlpha || out[3] != 255;
        }
    }
    image.hasAlpha = alpha && anyAlpha;
    return image;
}

std::vector<std::uint8_t> encodeJxr(const std::uint8_t* bgra, std::uint32_t width,
                                    std::uint32_t height, std::size_t stride) {
    auto fail = [](ERR err, const char* step) {
        if (err < 0)
            throw std::runtime_error(std::string("Cannot create the WMP image: ") + step +
                                     " failed (error " + std::to_string(err) + ")");
    };
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        throw std::runtime_error("Cannot create the WMP image: invalid size");
    std::vector<std::uint8_t> out;
    {
        EncoderHolder h;
        h.stream = createGrowing(out);
        fail(PKImageEncode_Create_WMP(&h.encoder), "creating the encoder");

        // Lossless: quantiser index 1, 4:4:4, no overlap filter.
        CWMIStrCodecParam params;
        std::memset(&params, 0, sizeof params);
        params.cfColorFormat = YUV_444;
        params.bdBitDepth = BD_LONG;
        params.bfBitstreamFormat = FREQUENCY;
        params.bProgressiveMode = TRUE;
        params.olOverlap = OL_NONE;
        params.sbSubband = SB_ALL;
        params.uAlphaMode = 0;
        params.uiDefaultQPIndex = 1;
        params.uiDefaultQPIndexAlpha = 1;
        WMPStream* stream = h.stream;
        fail(h.encoder->Initialize(h.encoder, stream, &params, sizeof params),
             "initialising the encoder");
        h.stream = nullptr;  // the encoder closes it on release
        fail(h.encoder->SetPixelFormat(h.encoder, GUID_PKPixelFormat24bppBGR),
             "setting the pixel format");
        fail(h.encoder->SetSize(h.encoder, static_cast<I32>(width), static_cast<I32>(height)),
             "setting the size");
        fail(h.encoder->SetResolution(h.encoder, 96.0f, 96.0f), "setting the resolution");

        const std::size_t rowBytes = std::size_t{width} * 3;
        std::vector<std::uint8_t> bgr(rowBytes * height);
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint8_t* in = bgra + y * stride;
            std::uint8_t* o = bgr.data() + y * rowBytes;
            for (std::uint32_t x = 0; x < width; ++x) {
                o[3 * x] = in[4 * x];
                o[3 * x + 1] = in[4 * x + 1];
                o[3 * x + 2] = in[4 * x + 2];
            }
        }
        fail(h.encoder->WritePixels(h.encoder, height, bgr.data(), static_cast<U32>(rowBytes)),
             "encoding");
    }
    return out;
}

}  // namespace pixmorrow

// Decoding by content through the codec library, and its behaviour on hostile bytes.
#include "codec_fixtures.h"
#include "support/peak_memory.h"

#include <QDir>

#include <random>

namespace pixmorrow::testing {
namespace {

// A 4 x 3 picture of distinct opaque colours.
const std::vector<Rgba> kPattern = {
    {255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},     {255, 255, 0, 255},
    {0, 255, 255, 255}, {255, 0, 255, 255}, {0, 0, 0, 255},       {255, 255, 255, 255},
    {128, 64, 32, 255}, {32, 64, 128, 255}, {200, 200, 200, 255}, {10, 20, 30, 255},
};

class CodecDecodeTest : public CodecTest {
protected:
    QString patternPng() {
        const QString pam = path("pattern.pam"), png = path("pattern.png");
        if (!QFile::exists(png)) {
            writePam(pam, 4, 3, kPattern);
            runTool("convert", {pam, png});
        }
        return png;
    }
};

struct LosslessCase {
    const char* name;
    const char* fileName;  // made from the pattern
    QStringList (*command)(const QString& png, const QString& out);
    const char* program;
};

const LosslessCase kLosslessCases[] = {
    {"PNG", "p.png",
     [](const QString& png, const QString& out) {
         return QStringList{png, out};
     },
     "convert"},
    {"GIF", "p.gif",
     [](const QString& png, const QString& out) {
         return QStringList{png, out};
     },
     "convert"},
    {"BMP", "p.bmp",
     [](const QString& png, const QString& out) {
         return QStringList{png, "-alpha", "off", out};
     },
     "convert"},
    {"ICO", "p.ico",
     [](const QString& png, const QString& out) {
         return QStringList{png, out};
     },
     "convert"},
    {"WebP", "p.webp",
     [](const QString& png, const QString& out) {
         return QStringList{"-quiet", "-lossless", png, "-o", out};
     },
     "cwebp"},
};

TEST_F(CodecDecodeTest, LosslessFormatsDecodeToTheSamePixels) {
    const QString png = patternPng();
    for (const LosslessCase& c : kLosslessCases) {
        SCOPED_TRACE(c.name);
        const QString out = path(c.fileName);
        runTool(c.program, c.command(png, out));
        CodecLibrary::Image image = codec().makeImageFromEncodedFile(out);
        ASSERT_TRUE(image) << codec().lastError().toStdString();
        EXPECT_EQ(image.width(), 4);
        EXPECT_EQ(image.height(), 3);
        EXPECT_EQ(pixelsOf(image), kPattern);
    }
}

TEST_F(CodecDecodeTest, ContentDecidesNotTheExtension) {
    const QString misnamed = path("really-a-png.jpg");
    QFile::copy(patternPng(), misnamed);
    CodecLibrary::Image image = codec().makeImageFromEncodedFile(misnamed);
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(image), kPattern);
}

TEST_F(CodecDecodeTest, JpegAndWbmpDecode) {
    // JPEG is lossy: a flat colour comes back close to itself.
    const QString jpg = path("flat.jpg");
    runTool("convert", {"-size", "16x8", "xc:rgb(200,100,50)", "-quality", "95", jpg});
    CodecLibrary::Image photo = codec().makeImageFromEncodedFile(jpg);
    ASSERT_TRUE(photo) << codec().lastError().toStdString();
    EXPECT_EQ(photo.width(), 16);
    EXPECT_EQ(photo.height(), 8);
    const Rgba centre = pixelsOf(photo)[4 * 16 + 8];
    EXPECT_NEAR(centre.r, 200, 3);
    EXPECT_NEAR(centre.g, 100, 3);
    EXPECT_NEAR(centre.b, 50, 3);
    EXPECT_EQ(centre.a, 255);

    // WBMP: black left half, white right half.
    const QString wbmp = path("half.wbmp");
    runTool("convert",
            {"-size", "8x2", "xc:black", "-fill", "white", "-draw", "rectangle 4,0 7,1", wbmp});
    CodecLibrary::Image bits = codec().makeImageFromEncodedFile(wbmp);
    ASSERT_TRUE(bits) << codec().lastError().toStdString();
    const auto px = pixelsOf(bits);
    ASSERT_EQ(px.size(), 16u);
    EXPECT_EQ(px[0], (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(px[7], (Rgba{255, 255, 255, 255}));
}

TEST_F(CodecDecodeTest, TransparencyIsKeptPremultiplied) {
    const QString pam = path("alpha.pam"), png = path("alpha.png");
    writePam(pam, 2, 1, {{255, 0, 0, 128}, {0, 0, 0, 0}});
    runTool("convert", {pam, png});
    CodecLibrary::Image image = codec().makeImageFromEncodedFile(png);
    ASSERT_TRUE(image);
    EXPECT_EQ(premultipliedAt(image, 0, 0), (std::vector<std::uint8_t>{0, 0, 128, 128}));
    EXPECT_EQ(premultipliedAt(image, 1, 0), (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

TEST_F(CodecDecodeTest, AnimatedWebpGivesItsFirstFrame) {
    const QString red = path("red.png"), blue = path("blue.png"), anim = path("anim.webp");
    runTool("convert", {"-size", "6x4", "xc:red", red});
    runTool("convert", {"-size", "6x4", "xc:blue", blue});
    runTool("img2webp", {"-lossless", "-d", "100", red, blue, "-o", anim});
    CodecLibrary::Image image = codec().makeImageFromEncodedFile(anim);
    ASSERT_TRUE(image) << codec().lastError().toStdString();
    EXPECT_EQ(image.width(), 6);
    EXPECT_EQ(image.height(), 4);
    for (const Rgba& p : pixelsOf(image))
        ASSERT_EQ(p, (Rgba{255, 0, 0, 255}));
}

QByteArray little(std::uint32_t value, int bytes) {
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char(value >> (8 * i)));
    return out;
}

QByteArray riffChunk(const char* tag, const QByteArray& payload) {
    QByteArray out = QByteArray(tag, 4) + little(std::uint32_t(payload.size()), 4) + payload;
    if (payload.size() % 2)
        out.append('\0');
    return out;
}

// A lossless image chunk whose header claims width x height, followed by 32 zero bytes.
QByteArray losslessClaim(std::uint32_t width, std::uint32_t height) {
    const std::uint32_t bits = (width - 1) | (height - 1) << 14 | 1u << 28;
    return riffChunk("VP8L", QByteArray(1, '\x2f') + little(bits, 4) + QByteArray(32, '\0'));
}

QByteArray webpFile(const QByteArray& chunks) {
    return "RIFF" + little(std::uint32_t(4 + chunks.size()), 4) + "WEBP" + chunks;
}

// An animation on a width x height canvas of one frame, `frame`, covering all of it.
QByteArray animatedWebp(std::uint32_t width, std::uint32_t height, const QByteArray& frame) {
    const QByteArray vp8x =
        QByteArray(1, '\x12') + QByteArray(3, '\0') + little(width - 1, 3) + little(height - 1, 3);
    const QByteArray anmf = little(0, 3) + little(0, 3) + little(width - 1, 3) +
                            little(height - 1, 3) + little(100, 3) + QByteArray(1, '\0') + frame;
    return webpFile(riffChunk("VP8X", vp8x) + riffChunk("ANIM", QByteArray(6, '\0')) +
                    riffChunk("ANMF", anmf));
}

TEST_F(CodecDecodeTest, ShortWebpFilesThatClaimHugePicturesCostOnlyTheirData) {
    // 16384 x 16384 is a gigabyte of pixels; the files are under a hundred bytes.
    const struct {
        const char* name;
        QByteArray bytes;
        const char* text;
    } cases[] = {
        {"still picture", webpFile(losslessClaim(16384, 16384)),
         "WebP data is damaged or truncated"},
        {"animation", animatedWebp(16384, 16384, losslessClaim(16384, 16384)),
         "WebP animation is damaged or truncated"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ChildWork run = peakOfWorkInChild([&] {
            return codec().makeImageFromEncodedData(c.bytes) ? std::string("decoded")
                                                             : codec().lastError().toStdString();
        });
        ASSERT_TRUE(run.finished);
        EXPECT_NE(run.result.find(c.text), std::string::npos) << run.result;
        // A reader that prepares the header's picture touches all of its gigabyte.
        EXPECT_LT(run.peakKb, 128u * 1024) << "KiB";
    }
}

TEST_F(CodecDecodeTest, HighlyCompressedWebpPicturesStillDecode) {
    // A flat 16000 x 1024 picture is a few hundred bytes as a lossless file and a few
    // kilobytes lossy, and as much as a one-frame animation.
    const QString png = path("flat.png"), lossless = path("flat.webp"),
                  lossy = path("flat-lossy.webp"), anim = path("flat-anim.webp");
    runTool("convert", {"-size", "16000x1024", "xc:#336699", png});
    runTool("cwebp", {"-quiet", "-lossless", png, "-o", lossless});
    runTool("cwebp", {"-quiet", "-q", "90", png, "-o", lossy});
    runTool("img2webp", {"-lossless", lossless, "-o", anim});
    ASSERT_LT(readBytes(lossless).size(), 4096);
    for (const QString& file : {lossless, lossy, anim}) {
        SCOPED_TRACE(file.toStdString());
        CodecLibrary::Image image = codec().makeImageFromEncodedFile(file);
        ASSERT_TRUE(image) << codec().lastError().toStdString();
        ASSERT_EQ(image.width(), 16000);
        ASSERT_EQ(image.height(), 1024);
        const formats::DecodedImage d = image.toDecodedImage();
        for (std::size_t at : {std::size_t{0}, d.bgra.size() / 2 + 4, d.bgra.size() - 4}) {
            EXPECT_NEAR(d.bgra[at], 153, 2) << at;
            EXPECT_NEAR(d.bgra[at + 1], 102, 2) << at;
            EXPECT_NEAR(d.bgra[at + 2], 51, 2) << at;
            EXPECT_EQ(d.bgra[at + 3], 255) << at;
        }
    }
}

TEST_F(CodecDecodeTest, AnAnimationsFirstFrameLiesWhereItIsPlacedOnAClearCanvas) {
    // A 2 x 2 red first frame at 2,4 on the 6 x 8 canvas of a blue second frame.
    const QString red = path("red.webp"), blue = path("blue.webp"), anim = path("placed.webp");
    const QString redPng = path("red.png"), bluePng = path("blue.png");
    runTool("convert", {"-size", "2x2", "xc:red", redPng});
    runTool("convert", {"-size", "6x8", "xc:blue", bluePng});
    runTool("cwebp", {"-quiet", "-lossless", redPng, "-o", red});
    runTool("cwebp", {"-quiet", "-lossless", bluePng, "-o", blue});
    runTool("webpmux",
            {"-frame", red, "+100+2+4", "-frame", blue, "+100+0+0", "-loop", "0", "-o", anim});
    CodecLibrary::Image image = codec().makeImageFromEncodedFile(anim);
    ASSERT_TRUE(image) << codec().lastError().toStdString();
    ASSERT_EQ(image.width(), 6);
    ASSERT_EQ(image.height(), 8);
    const auto px = pixelsOf(image);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inFrame = x >= 2 && x < 4 && y >= 4 && y < 6;
            const Rgba expected = inFrame ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 0, 0};
            EXPECT_EQ(px[std::size_t(y) * 6 + x], expected) << x << "," << y;
        }
    }
}

// A TIFF block saying "rotate 90 degrees clockwise to show" (orientation 6).
QByteArray exifOrientation6() {
    const unsigned char tiff[] = {'I', 'I', 0x2A, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3,
                                  0,   1,   0,    0, 0, 6, 0, 0, 0, 0, 0,    0,    0};
    return QByteArray(reinterpret_cast<const char*>(tiff), sizeof tiff);
}

TEST_F(CodecDecodeTest, ExifOrientationIsApplied) {
    // Red left half, blue right half, stored 16 x 8: shown upright it is 8 x 16, red on top.
    const QString plain = path("plain.png");
    runTool("convert",
            {"-size", "16x8", "xc:blue", "-fill", "red", "-draw", "rectangle 0,0 7,7", plain});

    const QString jpg = path("plain.jpg");
    runTool("convert", {plain, "-quality", "95", jpg});
    QByteArray jpeg = readBytes(jpg);
    QByteArray app1 = QByteArray("\xFF\xE1", 2);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + exifOrientation6();
    app1.append(char((payload.size() + 2) >> 8))
        .append(char((payload.size() + 2) & 0xFF))
        .append(payload);
    jpeg.insert(2, app1);
    const QString rotatedJpg = path("rotated.jpg");
    writeBytes(rotatedJpg, jpeg);

    const QString webp = path("plain.webp"), exif = path("exif.bin"),
                  rotatedWebp = path("rotated.webp");
    runTool("cwebp", {"-quiet", "-lossless", plain, "-o", webp});
    writeBytes(exif, exifOrientation6());
    runTool("webpmux", {"-set", "exif", exif, webp, "-o", rotatedWebp});

    for (const QString& file : {rotatedJpg, rotatedWebp}) {
        SCOPED_TRACE(file.toStdString());
        CodecLibrary::Image image = codec().makeImageFromEncodedFile(file);
        ASSERT_TRUE(image) << codec().lastError().toStdString();
        ASSERT_EQ(image.width(), 8);
        ASSERT_EQ(image.height(), 16);
        const auto px = pixelsOf(image);
        EXPECT_GT(px[2 * 8 + 4].r, 200);  // top
        EXPECT_LT(px[2 * 8 + 4].b, 60);
        EXPECT_GT(px[13 * 8 + 4].b, 200);  // bottom
        EXPECT_LT(px[13 * 8 + 4].r, 60);
    }
}

TEST_F(CodecDecodeTest, UndecodableContentGivesNoImage) {
    const QString garbage = path("garbage.png");
    writeBytes(garbage, QByteArray("this is not a picture at all"));
    const QString empty = path("empty.webp");
    writeBytes(empty, QByteArray());
    for (const QString& file : {garbage, empty, path("missing.png"), QDir::tempPath()}) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_FALSE(codec().makeImageFromEncodedFile(file));
        EXPECT_FALSE(codec().lastError().isEmpty());
    }
}

TEST_F(CodecDecodeTest, EmptyPathIsRefused) {
    EXPECT_EQ(codec().api().image_make_from_encoded_file(""), nullptr);
    EXPECT_STREQ(codec().api().last_error(), "File name cannot be empty");
    try {
        codec().makeImageFromEncodedFile(QString());
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "File name cannot be empty");
    }
}

std::uint32_t crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char ch : bytes) {
        crc ^= static_cast<std::uint8_t>(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

TEST_F(CodecDecodeTest, OversizedPicturesAreRefusedBeforeAllocating) {
    // A 1 x 1 PNG whose header claims 20000 x 20000 (over 2^28 pixels) or 70000 x 1.
    const QString small = path("one.png");
    runTool("convert", {"-size", "1x1", "xc:red", small});
    const QByteArray original = readBytes(small);
    for (auto [w, h] : {std::pair{20000u, 20000u}, std::pair{70000u, 1u}}) {
        QByteArray bytes = original;
        QByteArray ihdr = bytes.mid(12, 17);  // type + 13 data bytes
        for (int i = 0; i < 4; ++i) {
            ihdr[4 + i] = char(w >> (24 - 8 * i));
            ihdr[8 + i] = char(h >> (24 - 8 * i));
        }
        const std::uint32_t crc = crc32(ihdr);
        bytes.replace(12, 17, ihdr);
        for (int i = 0; i < 4; ++i)
            bytes[29 + i] = char(crc >> (24 - 8 * i));
        EXPECT_FALSE(codec().makeImageFromEncodedData(bytes)) << w << " x " << h;
        EXPECT_FALSE(codec().lastError().isEmpty());
    }
}

TEST_F(CodecDecodeTest, ShortPngFilesWhoseChunksClaimGigabytesCostOnlyTheirData) {
    // A 1 x 1 PNG cut after its header, then a chunk that claims 1.8 GB and holds a few
    // bytes: libpng would allocate the claimed length before finding the data missing.
    const QString small = path("one-claim.png");
    runTool("convert", {"-size", "1x1", "xc:red", small});
    const QByteArray header = readBytes(small).left(33);  // signature and IHDR
    for (const char* type : {"tEXt", "iCCP", "zTXt", "prVt"}) {
        SCOPED_TRACE(type);
        const QByteArray bytes =
            header + QByteArray("\x6E\xBA\x51\x25", 4) + type + QByteArray("date:2026-12-10");
        const ChildWork run = peakOfWorkInChild([&] {
            return codec().makeImageFromEncodedData(bytes) ? std::string("decoded")
                                                           : codec().lastError().toStdString();
        });
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.result, "PNG data is truncated");
        EXPECT_LT(run.peakKb, 128u * 1024) << "KiB";
    }
    // The whole file, its own ancillary chunks and all, still decodes.
    ASSERT_TRUE(codec().makeImageFromEncodedData(readBytes(small)));
}

TEST_F(CodecDecodeTest, HostileBytesNeverCrash) {
    const QString png = patternPng();
    std::vector<QByteArray> samples = {readBytes(png)};
    const QString jpg = path("h.jpg"), gif = path("h.gif"), webp = path("h.webp"),
                  lossy = path("h2.webp"), bmp = path("h.bmp"), ico = path("h.ico");
    runTool("convert", {png, jpg});
    runTool("convert", {png, gif});
    runTool("convert", {png, bmp});
    runTool("convert", {png, ico});
    runTool("cwebp", {"-quiet", "-lossless", png, "-o", webp});
    runTool("cwebp", {"-quiet", png, "-o", lossy});
    for (const QString& f : {jpg, gif, webp, lossy, bmp, ico})
        samples.push_back(readBytes(f));

    std::mt19937 random(12345);
    int decoded = 0;
    auto attempt = [&](const QByteArray& bytes) {
        CodecLibrary::Image image = codec().makeImageFromEncodedData(bytes);
        if (image) {
            ++decoded;
            EXPECT_GT(image.width(), 0);
            EXPECT_GT(image.height(), 0);
        }
    };
    for (const QByteArray& sample : samples) {
        ASSERT_FALSE(sample.isEmpty());
        for (int cut = 0; cut < sample.size(); cut += std::max<int>(1, sample.size() / 40))
            attempt(sample.left(cut));
        for (int round = 0; round < 150; ++round) {
            QByteArray bytes = sample;
            const int flips = 1 + int(random() % 8);
            for (int f = 0; f < flips; ++f)
                bytes[int(random() % bytes.size())] = char(random());
            attempt(bytes);
        }
    }
    for (int round = 0; round < 100; ++round) {
        QByteArray bytes(int(random() % 600), '\0');
        for (char& c : bytes)
            c = char(random());
        attempt(bytes);
    }
    EXPECT_GT(decoded, 0);
}

}  // namespace
}  // namespace pixmorrow::testing

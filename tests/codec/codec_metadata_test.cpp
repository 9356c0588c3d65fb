// The C interface's blocks: attached on decode, set and refused, written by every encoder,
// read back by an independent reader, and no change at all to an image without blocks.
#include "codec_fixtures.h"

#include <QStandardPaths>

namespace pixmorrow::testing {
namespace {

QByteArray toolBytes(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    return process.readAllStandardOutput();
}

const QByteArray kTinyExif("MM\0*\0\0\0\x08\0\0\0\0\0\0", 14);

class CodecMetadataTest : public CodecTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty())
            << "exiftool is not installed (scripts/install-deps)";
        runTool("python3",
                {QStringLiteral(PIXMORROW_TEST_SOURCE_DIR "/conversion/routes/make_icc_profile.py"),
                 path("wide.icc")});
        icc = readBytes(path("wide.icc"));
        ASSERT_GT(icc.size(), 6000);
        runTool("convert", {"-size", "24x16", "gradient:red-blue", path("plain.png")});
    }

    CodecLibrary::Image decode(const QString& file) const {
        CodecLibrary::Image image = codec().makeImageFromEncodedFile(file);
        EXPECT_TRUE(image) << codec().lastError().toStdString();
        return image;
    }
    static QByteArray block(const CodecLibrary::Image& image, pmc_metadata_kind kind) {
        std::size_t size = 0;
        const void* data = codec().api().image_get_metadata(image.get(), kind, &size);
        return data ? QByteArray(static_cast<const char*>(data), qsizetype(size)) : QByteArray();
    }
    static bool set(const CodecLibrary::Image& image, pmc_metadata_kind kind,
                    const QByteArray& bytes) {
        return codec().api().image_set_metadata(image.get(), kind, bytes.constData(),
                                                std::size_t(bytes.size()));
    }
    static const CodecLibrary& codec() { return CodecLibrary::instance(); }

    QByteArray icc;
};

const char kXmp[] =
    "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
    "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
    "xmlns:dc='http://purl.org/dc/elements/1.1/'><dc:title><rdf:Alt><rdf:li "
    "xml:lang='x-default'>Harbour</rdf:li></rdf:Alt></dc:title></rdf:Description>"
    "</rdf:RDF></x:xmpmeta>";

TEST_F(CodecMetadataTest, EveryEncoderWritesTheBlocksAndTheDecoderReadsThemBack) {
    // EXIF from exiftool, so the block is a real one with GPS.
    runTool("exiftool", {"-q", "-o", path("gps.exif"), "-GPSLatitude=12.25", "-GPSLatitudeRef=N",
                         "-Make=Pixmorrow"});
    const QByteArray exif = readBytes(path("gps.exif"));
    ASSERT_TRUE(exif.startsWith("MM") || exif.startsWith("II"))
        << exif.left(8).toHex().toStdString();

    CodecLibrary::Image image = decode(path("plain.png"));
    EXPECT_TRUE(block(image, PMC_METADATA_ICC).isEmpty());
    ASSERT_TRUE(set(image, PMC_METADATA_ICC, icc));
    ASSERT_TRUE(set(image, PMC_METADATA_EXIF, exif));
    ASSERT_TRUE(set(image, PMC_METADATA_XMP, QByteArray(kXmp)));
    for (const auto& [name, format] :
         {std::pair{"out.jpg", PMC_FORMAT_JPEG}, std::pair{"out.png", PMC_FORMAT_PNG},
          std::pair{"out.webp", PMC_FORMAT_WEBP}}) {
        SCOPED_TRACE(name);
        image.encodeToFile(path(name), format, 90);
        EXPECT_EQ(toolBytes("exiftool", {"-b", "-ICC_Profile", path(name)}), icc);
        EXPECT_EQ(toolOutput("exiftool", {"-s3", "-n", "-GPSLatitude", path(name)}), "12.25");
        EXPECT_EQ(toolOutput("exiftool", {"-s3", "-Make", path(name)}), "Pixmorrow");
        EXPECT_EQ(toolOutput("exiftool", {"-s3", "-XMP:Title", path(name)}), "Harbour");
        CodecLibrary::Image again = decode(path(name));
        EXPECT_EQ(block(again, PMC_METADATA_ICC), icc);
        EXPECT_EQ(block(again, PMC_METADATA_XMP), QByteArray(kXmp));
        EXPECT_EQ(block(again, PMC_METADATA_EXIF), exif);
    }
}

TEST_F(CodecMetadataTest, DamagedOrOversizedBlocksAreRefusedAndLeaveNone) {
    CodecLibrary::Image image = decode(path("plain.png"));
    QByteArray longer = icc;
    longer[3] = char(longer[3] + 1);  // the header claims a byte more
    QByteArray huge(5 << 20, '\0');
    huge[0] = 0;
    huge[1] = 0x50;  // 5 MiB, as the header says
    huge.replace(36, 4, "acsp");
    struct Case {
        const char* name;
        pmc_metadata_kind kind;
        QByteArray bytes;
    } cases[] = {
        {"profile longer than its data", PMC_METADATA_ICC, longer},
        {"profile cut short", PMC_METADATA_ICC, icc.left(icc.size() - 1)},
        {"profile over 4 MiB", PMC_METADATA_ICC, huge},
        {"EXIF that is no TIFF structure", PMC_METADATA_EXIF, QByteArray("Exif\0\0MM", 8)},
        {"XMP over 4 MiB", PMC_METADATA_XMP, QByteArray((4 << 20) + 1, 'x')},
    };
    for (const Case& c : cases) {
        const QByteArray good = c.kind == PMC_METADATA_ICC    ? icc
                                : c.kind == PMC_METADATA_EXIF ? kTinyExif
                                                              : QByteArray(kXmp);
        ASSERT_TRUE(set(image, c.kind, good)) << c.name;
        EXPECT_FALSE(set(image, c.kind, c.bytes)) << c.name;
        EXPECT_FALSE(codec().lastError().isEmpty()) << c.name;
        EXPECT_TRUE(block(image, c.kind).isEmpty()) << c.name << ": the old block stayed";
    }
    EXPECT_FALSE(codec().api().image_set_metadata(image.get(), pmc_metadata_kind(7), "x", 1));
    // A picture whose file holds a damaged profile still decodes, without it.
    ASSERT_TRUE(set(image, PMC_METADATA_ICC, icc));
    image.encodeToFile(path("tagged.jpg"), PMC_FORMAT_JPEG, 90);
    QByteArray bytes = readBytes(path("tagged.jpg"));
    const qsizetype at = bytes.indexOf(QByteArray("ICC_PROFILE\0", 12));
    ASSERT_GT(at, 0);
    bytes[at + 14 + 3] = char(bytes[at + 14 + 3] + 1);
    writeBytes(path("damaged.jpg"), bytes);
    CodecLibrary::Image damaged = decode(path("damaged.jpg"));
    EXPECT_EQ(damaged.width(), 24);
    EXPECT_TRUE(block(damaged, PMC_METADATA_ICC).isEmpty());
}

TEST_F(CodecMetadataTest, AnImageWithoutBlocksEncodesAsItAlwaysDid) {
    // An image given blocks and then rid of them writes what one never given any writes.
    CodecLibrary::Image plain = decode(path("plain.png"));
    CodecLibrary::Image cleared = decode(path("plain.png"));
    ASSERT_TRUE(set(cleared, PMC_METADATA_ICC, icc));
    ASSERT_TRUE(set(cleared, PMC_METADATA_XMP, QByteArray(kXmp)));
    ASSERT_TRUE(set(cleared, PMC_METADATA_ICC, {}));
    ASSERT_TRUE(set(cleared, PMC_METADATA_XMP, {}));
    for (const auto& [name, format] :
         {std::pair{"jpg", PMC_FORMAT_JPEG}, std::pair{"png", PMC_FORMAT_PNG},
          std::pair{"webp", PMC_FORMAT_WEBP}}) {
        plain.encodeToFile(path(QStringLiteral("a.") + name), format, 80);
        cleared.encodeToFile(path(QStringLiteral("b.") + name), format, 80);
        EXPECT_EQ(readBytes(path(QStringLiteral("a.") + name)),
                  readBytes(path(QStringLiteral("b.") + name)))
            << name;
        // The WebP file stays in the simple format, with no extended header.
        if (format == PMC_FORMAT_WEBP) {
            EXPECT_NE(readBytes(path("a.webp")).mid(12, 4), "VP8X");
        }
    }
}

// An opaque picture goes to PNG without its alpha channel, as gray when every pixel is gray
// and its profile (if any) is a gray one; every pixel and the profile read back the same.
TEST_F(CodecMetadataTest, OpaquePngsLeaveTheAlphaChannelOut) {
    QByteArray grayIcc = icc;
    grayIcc.replace(16, 4, "GRAY");
    constexpr int kWidth = 16, kHeight = 8;
    // 16 x 8, a gradient in colour or in gray; the last pixel has the alpha given.
    const auto picture = [&](bool colour, std::uint8_t lastAlpha) {
        std::vector<std::uint8_t> bgra;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const auto v = std::uint8_t(x * 15 + y);
                bgra.insert(bgra.end(), {colour ? std::uint8_t(y * 30) : v, v,
                                         colour ? std::uint8_t(255 - v) : v, 255});
            }
        }
        bgra.back() = lastAlpha;
        return codec().adoptPixels(std::move(bgra), kWidth, kHeight, PMC_ALPHATYPE_UNPREMUL);
    };
    const auto pixels = [](const CodecLibrary::Image& image) {
        const auto* p = static_cast<const std::uint8_t*>(image.peekPixels());
        return std::vector<std::uint8_t>(p, p + kWidth * kHeight * 4);
    };
    struct Case {
        const char* name;
        bool colour;
        std::uint8_t lastAlpha;
        QByteArray profile;
        int colourType;  // of the PNG header: 0 gray, 2 RGB, 6 RGB and alpha
        bool keepsProfile;
    };
    const Case cases[] = {
        {"opaque colour", true, 255, {}, 2, false},
        {"opaque gray", false, 255, {}, 0, false},
        {"colour, one pixel transparent", true, 0, {}, 6, false},
        {"gray, one pixel half transparent", false, 128, {}, 6, false},
        {"colour, one pixel nearly opaque", true, 254, {}, 6, false},
        {"opaque colour with an RGB profile", true, 255, icc, 2, true},
        {"opaque gray with an RGB profile", false, 255, icc, 2, true},
        {"opaque gray with a gray profile", false, 255, grayIcc, 0, true},
        {"opaque colour with a gray profile", true, 255, grayIcc, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CodecLibrary::Image image = picture(c.colour, c.lastAlpha);
        if (!c.profile.isEmpty()) {
            ASSERT_TRUE(set(image, PMC_METADATA_ICC, c.profile));
        }
        const QString file = path(QString::fromLatin1(c.name) + QStringLiteral(".png"));
        image.encodeToFile(file, PMC_FORMAT_PNG, 80);
        const QByteArray bytes = readBytes(file);
        ASSERT_GT(bytes.size(), 26);
        ASSERT_EQ(bytes.mid(12, 4), "IHDR");
        EXPECT_EQ(int(bytes[24]), 8) << "bit depth";
        EXPECT_EQ(int(bytes[25]), c.colourType);
        CodecLibrary::Image back = decode(file);
        ASSERT_TRUE(back);
        EXPECT_EQ(pixels(back), pixels(image));
        EXPECT_EQ(block(back, PMC_METADATA_ICC), c.keepsProfile ? c.profile : QByteArray());
    }
    // Leaving the channel out is what makes the file smaller.
    EXPECT_LT(readBytes(path("opaque colour.png")).size(),
              readBytes(path("colour, one pixel nearly opaque.png")).size());
}

}  // namespace
}  // namespace pixmorrow::testing

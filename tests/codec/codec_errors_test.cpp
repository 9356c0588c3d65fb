// The codec library's failures through its C interface: the text, the kind and the
// underlying library's code, and how the program's adapter passes them on.
#include "codec_fixtures.h"

#include <jerror.h>
#include <jpeglib.h>
#include <webp/decode.h>
#include <cstdio>  // jpeglib.h needs FILE

namespace pixmorrow::testing {
namespace {

struct Expected {
    std::string text;
    pmc_error_kind kind;
    pmc_code_source source = PMC_CODE_NONE;
    int code = 0;
};

void expectLastError(const CodecLibrary& codec, const Expected& expected) {
    EXPECT_EQ(codec.lastError().toStdString(), expected.text);
    const pmc_error_info info = codec.api().last_error_info();
    EXPECT_EQ(info.kind, expected.kind);
    EXPECT_EQ(info.code_source, expected.source);
    EXPECT_EQ(info.code, expected.code);
}

class CodecErrorsTest : public CodecTest {
protected:
    QByteArray made(const QString& name, const QString& program, const QStringList& arguments) {
        const QString out = path(name);
        runTool(program, arguments + QStringList{out});
        return readBytes(out);
    }
    QByteArray png() {
        return made(QStringLiteral("p.png"), QStringLiteral("convert"),
                    {QStringLiteral("-size"), QStringLiteral("40x30"), QStringLiteral("plasma:")});
    }
    QByteArray webp() {
        const QString source = path(QStringLiteral("w.png"));
        writeBytes(source, png());
        return made(QStringLiteral("w.webp"), QStringLiteral("cwebp"),
                    {QStringLiteral("-quiet"), source, QStringLiteral("-o")});
    }
    QString svg(const QString& name, const QByteArray& content) {
        const QString file = path(name);
        writeBytes(file, content);
        return file;
    }
};

// A PNG whose IHDR states another size, its CRC made to match.
QByteArray withSize(QByteArray png, std::uint32_t width, std::uint32_t height) {
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = char(width >> (24 - 8 * i));
        png[20 + i] = char(height >> (24 - 8 * i));
    }
    std::uint32_t crc = 0xFFFFFFFFu;
    for (int i = 12; i < 29; ++i) {
        crc ^= static_cast<std::uint8_t>(png[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc = ~crc;
    for (int i = 0; i < 4; ++i)
        png[29 + i] = char(crc >> (24 - 8 * i));
    return png;
}

TEST_F(CodecErrorsTest, DecodingFailuresCarryKindAndCode) {
    const QByteArray goodPng = png(), goodWebp = webp();
    const struct {
        const char* name;
        QByteArray bytes;
        Expected expected;
    } cases[] = {
        {"other content", "this is not a picture", {"Unknown file format", PMC_ERROR_UNSUPPORTED}},
        {"png cut (libpng)",
         goodPng.left(goodPng.size() / 2),
         {"PNG data is truncated", PMC_ERROR_TRUNCATED}},
        {"png over the pixel limit",
         withSize(goodPng, 20000, 20000),
         {"Image is too large (20000 x 20000)", PMC_ERROR_TOO_LARGE}},
        // libpng's own text for a side over its user limit; the header tells the kind.
        {"png over the side limit",
         withSize(goodPng, 70000, 1),
         {"PNG error: Invalid IHDR data", PMC_ERROR_TOO_LARGE}},
        {"webp cut in its header",
         goodWebp.left(20),
         {"WebP data is damaged or truncated", PMC_ERROR_TRUNCATED, PMC_CODE_LIBWEBP,
          VP8_STATUS_NOT_ENOUGH_DATA}},
        {"webp cut in its data",
         goodWebp.left(goodWebp.size() * 2 / 3),
         {"WebP data is damaged or truncated", PMC_ERROR_TRUNCATED, PMC_CODE_LIBWEBP,
          VP8_STATUS_NOT_ENOUGH_DATA}},
        {"jpeg cut after its signature",
         QByteArray("\xFF\xD8\xFF", 3),
         {"JPEG error #" + std::to_string(JWRN_JPEG_EOF), PMC_ERROR_TRUNCATED, PMC_CODE_LIBJPEG,
          JWRN_JPEG_EOF}},
        {"gif cut in its screen",
         QByteArray("GIF89a\1\0", 8),
         {"GIF: truncated file", PMC_ERROR_TRUNCATED}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(codec().makeImageFromEncodedData(c.bytes));
        expectLastError(codec(), c.expected);
    }
    // A call that succeeds leaves no kind behind.
    ASSERT_TRUE(codec().makeImageFromEncodedData(goodPng));
    expectLastError(codec(), {"", PMC_ERROR_NONE});
}

TEST_F(CodecErrorsTest, SvgAndSurfaceFailuresCarryKindAndCode) {
    const CodecLibrary::Api& api = codec().api();
    const struct {
        const char* name;
        QByteArray content;
        Expected expected;
    } documents[] = {
        {"no size",
         "<svg xmlns='http://www.w3.org/2000/svg'/>",
         {"SVG document has no size", PMC_ERROR_CORRUPT}},
        {"over the limits",
         "<svg xmlns='http://www.w3.org/2000/svg' width='70000' height='10'/>",
         {"Image is too large (70000 x 10)", PMC_ERROR_TOO_LARGE}},
    };
    for (const auto& d : documents) {
        SCOPED_TRACE(d.name);
        const QString file = svg(QStringLiteral("d.svg"), d.content);
        EXPECT_EQ(api.svgdom_make_from_file(file.toUtf8().constData()), nullptr);
        expectLastError(codec(), d.expected);
    }
    // Not XML at all: librsvg's own failure, with its code (RSVG_ERROR_FAILED, its only one).
    const QString broken = svg(QStringLiteral("broken.svg"), "<svg <<<");
    EXPECT_EQ(api.svgdom_make_from_file(broken.toUtf8().constData()), nullptr);
    const pmc_error_info info = api.last_error_info();
    EXPECT_EQ(info.kind, PMC_ERROR_LIBRARY);
    EXPECT_EQ(info.code_source, PMC_CODE_LIBRSVG);
    EXPECT_EQ(info.code, 0);  // RSVG_ERROR_FAILED
    EXPECT_TRUE(codec().lastError().startsWith(QStringLiteral("SVG error: XML parse error")));

    const pmc_image_info huge{70000, 1, PMC_COLORTYPE_BGRA_8888, PMC_ALPHATYPE_PREMUL, nullptr};
    EXPECT_EQ(api.surface_make_raster(&huge, 70000 * 4, nullptr), nullptr);
    expectLastError(codec(), {"Image is too large (70000 x 1)", PMC_ERROR_TOO_LARGE});
    // Not a decoding failure: a text without a kind.
    EXPECT_EQ(api.image_make_from_encoded_file(""), nullptr);
    expectLastError(codec(), {"File name cannot be empty", PMC_ERROR_NONE});
}

// The Error that `body` throws.
template <typename Body>
Error errorFrom(Body&& body) {
    try {
        body();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error";
    return Error(QString());
}

// The program's side keeps the library's text after its own, and its kind and code as they are.
TEST_F(CodecErrorsTest, TheAdapterPassesKindAndCodeOn) {
    const QString cut = path(QStringLiteral("cut.webp"));
    writeBytes(cut, webp().left(20));
    const Error undecodable = errorFrom([&] { decodeWithCodecLibrary(cut); });
    EXPECT_EQ(undecodable.message(),
              QStringLiteral("Cannot decode %1: WebP data is damaged or truncated")
                  .arg(QDir::toNativeSeparators(cut)));
    EXPECT_EQ(undecodable.cause(),
              (formats::ErrorCause{formats::ErrorKind::Truncated,
                                   {formats::CodeSource::Libwebp, VP8_STATUS_NOT_ENOUGH_DATA}}));

    const QString large =
        svg(QStringLiteral("large.svg"),
            "<svg xmlns='http://www.w3.org/2000/svg' width='70000' height='10'/>");
    const Error tooLarge = errorFrom([&] { renderSvg(large); });
    EXPECT_EQ(tooLarge.message(), QStringLiteral("Cannot read %1: Image is too large (70000 x 10)")
                                      .arg(QDir::toNativeSeparators(large)));
    EXPECT_EQ(tooLarge.cause().kind, formats::ErrorKind::TooLarge);
}

}  // namespace
}  // namespace pixmorrow::testing

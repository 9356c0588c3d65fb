#include "conversion/formats/imaging_component.h"
#include "conversion/formats/jxr_codec.h"
#include "conversion/formats/jxr_decoder_process.h"
#include "conversion/formats/tiff_codec.h"
#include "formats/readers.h"
#include "formats/test_support.h"
#include "platform/error.h"
#include "support/scoped_move_seam.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <tiffio.h>

namespace pixmorrow {
namespace {

using namespace formats::testing;

WorkBitmap sampleBitmap(std::uint32_t w, std::uint32_t h) {
    formats::DecodedImage image;
    image.width = w;
    image.height = h;
    image.bgra.resize(std::size_t{w} * h * 4);
    std::mt19937 random(9);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint8_t* p = image.bgra.data() + (std::size_t{y} * w + x) * 4;
            p[0] = static_cast<std::uint8_t>(x * 5 + (random() & 15));
            p[1] = static_cast<std::uint8_t>(y * 3);
            p[2] = static_cast<std::uint8_t>((x ^ y) * 9);
            p[3] = static_cast<std::uint8_t>(x % 3 ? 255 : 100);  // composed over white
        }
    WorkBitmap bitmap;
    bitmap.draw(image);
    return bitmap;
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// The helper as the build laid it out in the program folder.
QString jxrHelper() {
    return pixmorrow::testing::builtProgramFolder() + u'/' + kJxrHelperName;
}

std::vector<std::uint8_t> premultiplied(std::vector<std::uint8_t> bgra) {
    for (std::size_t i = 0; i + 3 < bgra.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            bgra[i + c] = static_cast<std::uint8_t>((bgra[i + c] * bgra[i + 3] + 127) / 255);
    return bgra;
}

TEST(ImagingComponent, TiffRoundTripsAndImageMagickAgrees) {
    TempFolder folder;
    const ImagingComponent imaging(pixmorrow::testing::builtProgramFolder());
    for (bool gray : {false, true}) {
        WorkBitmap bitmap = sampleBitmap(53, 31);
        if (gray)
            GrayscaleBitmap(bitmap);
        const std::string path = folder.file(gray ? "g.tif" : "c.tiff");
        imaging.writeTiff(bitmap, q(path));
        const auto expected = bitmap.toBgra();
        const formats::DecodedImage back = imaging.readTiff(q(path));
        EXPECT_EQ(back.width, 53u);
        EXPECT_EQ(back.height, 31u);
        EXPECT_FALSE(back.hasAlpha);
        EXPECT_EQ(back.bgra, expected);
        EXPECT_EQ(magickBgra(path), expected);
        const auto info =
            runCommand("identify -format '%[channels] %[compression] %z' " + quoted(path));
        EXPECT_EQ(std::string(info.begin(), info.end()), "srgb LZW 8");
    }
}

TEST(ImagingComponent, ReadsTiffVariantsLikeImageMagick) {
    TempFolder folder;
    const ImagingComponent imaging(pixmorrow::testing::builtProgramFolder());
    const std::string source = folder.file("src.png");
    runCommand(
        "convert -size 40x30 gradient:red-blue -alpha set -channel A -fx 'i/w' +channel -depth 8 " +
        quoted(source));
    struct Case {
        const char* name;
        const char* options;
        int tolerance;
    };
    const Case cases[] = {
        {"rgba.tif", "", 1},
        // libtiff keeps the high byte of 16-bit samples, ImageMagick rounds.
        {"rgb16.tif", "-alpha off -depth 16", 1},
        {"gray.tif", "-alpha off -colorspace Gray", 0},
        {"palette.tif", "-alpha off -colors 16 -type Palette", 1},  // 16-bit colour map
        {"mono.tif", "-alpha off -monochrome -compress Group4", 0},
        {"lzw.tif", "-alpha off -compress LZW", 0},
        {"jpeg.tif", "-alpha off -compress JPEG -quality 95", 3},
        {"tiled.tif", "-alpha off -define tiff:tile-geometry=16x16", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file(c.name);
        runCommand("convert " + quoted(source) + " " + c.options + " " + quoted(path));
        const formats::DecodedImage ours = imaging.readTiff(q(path));
        // Compared premultiplied: libtiff hands alpha over premultiplied, so colours of
        // nearly clear pixels cannot come back exactly.
        const auto reference = premultiplied(magickBgra(path));
        const auto got = premultiplied(ours.bgra);
        ASSERT_EQ(got.size(), reference.size());
        int worst = 0;
        for (std::size_t i = 0; i < got.size(); ++i)
            worst = std::max(worst, std::abs(got[i] - reference[i]));
        EXPECT_LE(worst, c.tolerance);
    }
}

TEST(ImagingComponent, WmpIsLosslessAndJxrDecAppAgrees) {
    TempFolder folder;
    const ImagingComponent imaging(pixmorrow::testing::builtProgramFolder());
    for (auto [w, h] : {std::pair{1u, 1u}, std::pair{17u, 9u}, std::pair{64u, 48u}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        WorkBitmap bitmap = sampleBitmap(w, h);
        const std::string path = folder.file("p" + std::to_string(w) + ".wmp");
        imaging.writeWmp(bitmap, q(path));
        const auto expected = bitmap.toBgra();
        EXPECT_EQ(imaging.readWmp(q(path)).bgra, expected);
        // The reference decoder knows its input by the extension .jxr, and writes a BMP,
        // which our BMP reader then reads.
        const std::string jxr = folder.file("p" + std::to_string(w) + ".jxr");
        std::filesystem::copy_file(path, jxr);
        const std::string bmp = folder.file("p" + std::to_string(w) + ".bmp");
        runCommand("JxrDecApp -i " + quoted(jxr) + " -o " + quoted(bmp) + " >/dev/null");
        EXPECT_EQ(formats::decodeBmp(readBytes(bmp)).bgra, expected);
    }
}

TEST(ImagingComponent, ReadsWmpFilesOfOtherWriters) {
    TempFolder folder;
    const ImagingComponent imaging(pixmorrow::testing::builtProgramFolder());
    const std::string bmp = folder.file("src.bmp");
    runCommand("convert -size 33x20 gradient:yellow-navy -type TrueColor BMP3:" + quoted(bmp));
    const auto source = formats::decodeBmp(readBytes(bmp));
    for (const char* quality : {"1", "0.9"}) {
        SCOPED_TRACE(quality);
        const std::string path = folder.file(std::string("q") + quality + ".jxr");
        runCommand("JxrEncApp -i " + quoted(bmp) + " -o " + quoted(path) + " -q " + quality +
                   " >/dev/null");
        const auto ours = imaging.readWmp(q(path));
        ASSERT_EQ(ours.bgra.size(), source.bgra.size());
        int worst = 0;
        for (std::size_t i = 0; i < ours.bgra.size(); ++i)
            worst = std::max(worst, std::abs(ours.bgra[i] - source.bgra[i]));
        EXPECT_LE(worst, std::string(quality) == "1" ? 0 : 12);
    }
    // An alpha plane of its own, whose byte count jxrlib's writer sets to the file's size.
    const std::string tif = folder.file("alpha.tif");
    runCommand(
        "convert -size 33x20 gradient:yellow-navy -alpha set -channel A -fx 'i/w' "
        "+channel -depth 8 -define tiff:alpha=unassociated " +
        quoted(tif));
    const std::string planar = folder.file("alpha.jxr");
    runCommand("JxrEncApp -i " + quoted(tif) + " -o " + quoted(planar) + " -q 1 -a 2 >/dev/null");
    const auto withAlpha = imaging.readWmp(q(planar));
    EXPECT_TRUE(withAlpha.hasAlpha);
    EXPECT_EQ(clearTransparent(withAlpha.bgra), clearTransparent(magickBgra(tif)));
}

TEST(ImagingComponent, OutputsNeverReplaceAndLeaveNothingOnFailure) {
    TempFolder folder;
    const ImagingComponent imaging(pixmorrow::testing::builtProgramFolder());
    const WorkBitmap bitmap = sampleBitmap(5, 5);
    const std::string taken = folder.file("taken.tif");
    writeBytes(taken, {7});
    EXPECT_THROW(imaging.writeTiff(bitmap, q(taken)), Error);
    EXPECT_THROW(imaging.writeWmp(bitmap, q(folder.file("missing/x.wmp"))), Error);
    EXPECT_EQ(readBytes(taken), std::vector<std::uint8_t>{7});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

    // A file that takes the name after the output was written but before it is moved there.
    const pixmorrow::testing::ScopedMoveSeam seam(
        pixmorrow::testing::MoveRoad::Renameat2,
        [](const std::string&, const std::string& to) { writeBytes(to, {8}); });
    for (const char* name : {"late.tif", "late.wmp"}) {
        SCOPED_TRACE(name);
        const std::string late = folder.file(name);
        try {
            if (std::string(name).ends_with(".tif"))
                imaging.writeTiff(bitmap, q(late));
            else
                imaging.writeWmp(bitmap, q(late));
            ADD_FAILURE() << "written";
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), q("Cannot write " + late + ": File exists"));
        }
        EXPECT_EQ(readBytes(late), std::vector<std::uint8_t>{8});
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 3);
}

TEST(ImagingComponent, DamagedInputsGiveErrors) {
    TempFolder folder;
    const ImagingComponent imaging(pixmorrow::testing::builtProgramFolder());
    const std::string tif = folder.file("good.tif"), wmp = folder.file("good.wmp");
    const WorkBitmap bitmap = sampleBitmap(20, 20);
    imaging.writeTiff(bitmap, q(tif));
    imaging.writeWmp(bitmap, q(wmp));
    for (const std::string& good : {tif, wmp}) {
        const auto bytes = readBytes(good);
        for (std::size_t length : {std::size_t{0}, std::size_t{4}, std::size_t{20},
                                   bytes.size() / 2, bytes.size() - 1}) {
            const std::string cut =
                good + ".cut" + std::to_string(length) + (good == tif ? ".tif" : ".wmp");
            writeBytes(cut, std::vector<std::uint8_t>(bytes.begin(),
                                                      bytes.begin() + static_cast<long>(length)));
            SCOPED_TRACE(cut);
            try {
                if (good == tif)
                    imaging.readTiff(q(cut));
                else
                    imaging.readWmp(q(cut));
                ADD_FAILURE() << "a damaged file was read";
            } catch (const Error& e) {
                EXPECT_FALSE(e.message().isEmpty());
            }
        }
    }
    // The fuzzers' finds stay fixed, in this process and through the helper, each with its
    // own error: an alpha plane that starts past the end of the file, and an orientation
    // out of range.
    const struct {
        const char* name;
        const char* error;
    } finds[] = {{"wmp-failed-decode-leak.wmp", "WMP: image data outside the file"},
                 {"wmp-orientation-assert.wmp", "WMP: invalid orientation"}};
    for (const auto& find : finds) {
        SCOPED_TRACE(find.name);
        const auto bytes = readBytes(std::string(PIXMORROW_FUZZ_CRASHES) + "/wmp/" + find.name);
        for (const bool helper : {false, true}) {
            try {
                helper ? decodeJxr(bytes, jxrHelper()) : decodeJxrInProcess(bytes);
                ADD_FAILURE() << "decoded";
            } catch (const formats::DecodeError& e) {
                EXPECT_STREQ(e.what(), find.error) << (helper ? "helper" : "in process");
                EXPECT_EQ(e.kind(), formats::ErrorKind::Corrupt);
            }
        }
    }
    // A division by zero and a wild read deep inside jxrlib: only the helper dies.
    for (const char* name : {"wmp-tile-division-by-zero.wmp", "wmp-significant-run-segv.wmp",
                             "wmp-significant-run-segv-2.wmp", "wmp-significant-run-segv-3.wmp"}) {
        SCOPED_TRACE(name);
        const auto fatal = readBytes(std::string(PIXMORROW_FUZZ_CRASHES) + "/wmp-helper/" + name);
        try {
            decodeJxr(fatal, jxrHelper());
            ADD_FAILURE() << "decoded";
        } catch (const formats::DecodeError& e) {
            EXPECT_STREQ(e.what(), "WMP: the decoder failed on damaged data");
        }
    }
}

TEST(JxrHelper, MissingHungOrBrokenHelpersGiveTheDecodersErrors) {
    TempFolder folder;
    const WorkBitmap bitmap = sampleBitmap(8, 8);
    const std::vector<std::uint8_t> bgra = bitmap.toBgra();
    const std::vector<std::uint8_t> good = encodeJxr(bgra.data(), 8, 8, 8 * 4);
    EXPECT_EQ(decodeJxr(good, jxrHelper()).width, 8u);

    const std::string damaged = "WMP: the decoder failed on damaged data";
    struct Case {
        const char* what;
        const char* script;  // null: no helper at all
        std::string error;
    } cases[] = {
        {"missing", nullptr, "WMP: cannot start the decoder"},
        {"hangs", "sleep 30", damaged},
        {"crashes", "cat > /dev/null; kill -SEGV $$", damaged},
        {"answers something else", "printf 'not a reply at all, but long enough'", damaged},
        {"fails without answering", "exit 3", damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string helper = folder.file(std::string("helper-") + c.what);
        if (c.script != nullptr) {
            const std::string text = std::string("#!/bin/sh\n") + c.script + "\n";
            writeBytes(helper, std::vector<std::uint8_t>(text.begin(), text.end()));
            ASSERT_TRUE(QFile::setPermissions(q(helper), QFile::ReadOwner | QFile::ExeOwner));
        }
        QElapsedTimer timer;
        timer.start();
        try {
            decodeJxr(good, q(helper), std::chrono::milliseconds(500));
            ADD_FAILURE() << "decoded";
        } catch (const formats::DecodeError& e) {
            EXPECT_EQ(e.what(), c.error);
        }
        EXPECT_LT(timer.elapsed(), 10000);
    }
}

// A 2 x 2 gray TIFF with 12-bit samples, which libtiff's RGBA reader does not take.
std::vector<std::uint8_t> twelveBitTiff(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 2);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 2);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 12);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    std::uint8_t row[3] = {0x12, 0x34, 0x56};
    for (std::uint32_t y = 0; y < 2; ++y)
        TIFFWriteScanline(tif, row, y, 0);
    TIFFClose(tif);
    return readBytes(path);
}

struct ErrorCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::string text;
    formats::ErrorKind kind;
    formats::LibraryCode code = {};
};

// Each case fails with its text, its kind and its code.
void expectFailures(formats::DecodedImage (*decode)(formats::Bytes),
                    const std::vector<ErrorCase>& cases) {
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            decode(c.bytes);
            ADD_FAILURE() << "decoded";
        } catch (const formats::DecodeError& e) {
            EXPECT_EQ(e.what(), c.text);
            EXPECT_EQ(e.kind(), c.kind);
            EXPECT_EQ(e.code(), c.code);
        }
    }
}

std::vector<std::uint8_t> bytesOf(const std::string& s) {
    return {s.begin(), s.end()};
}

// libtiff has no error numbers: its failures carry their text and a kind only.
TEST(ImagingComponent, TiffFailuresCarryTheirKind) {
    TempFolder folder;
    const ImagingComponent imaging(pixmorrow::testing::builtProgramFolder());
    const std::string good = folder.file("good.tif");
    imaging.writeTiff(sampleBitmap(20, 20), q(good));
    const auto bytes = readBytes(good);
    using formats::ErrorKind;
    expectFailures(decodeTiff, {
                                   {"other content", bytesOf("hello, world"),
                                    "TIFF: Not a TIFF or MDI file, bad magic number 25960 (0x6568)",
                                    ErrorKind::Unsupported},
                                   {"signature only", bytesOf(std::string("II*\0", 4)),
                                    "TIFF: not a TIFF file", ErrorKind::Truncated},
                                   {"cut in its directory",
                                    {bytes.begin(), bytes.begin() + 12},
                                    "TIFF: memory: Can not read TIFF directory count",
                                    ErrorKind::Library},
                                   {"12-bit samples", twelveBitTiff(folder.file("12.tif")),
                                    "TIFF: Sorry, can not handle images with 12-bit samples",
                                    ErrorKind::Unsupported},
                               });
    // The imaging component passes the kind on with the text.
    const std::string other = folder.file("other.tif");
    writeBytes(other, bytesOf("hello, world"));
    try {
        imaging.readTiff(q(other));
        FAIL() << "decoded";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("TIFF: Not a TIFF or MDI file, bad magic number 25960 (0x6568)"));
        EXPECT_EQ(e.cause().kind, ErrorKind::Unsupported);
    }
}

TEST(ImagingComponent, WmpFailuresCarryTheirKindAndJxrlibCode) {
    TempFolder folder;
    const std::string good = folder.file("good.wmp");
    ImagingComponent(pixmorrow::testing::builtProgramFolder())
        .writeWmp(sampleBitmap(16, 16), q(good));
    // The image's own header, which jxrlib reads, begins with "WMPHOTO".
    std::vector<std::uint8_t> badImageHeader = readBytes(good);
    const std::string goodBytes(badImageHeader.begin(), badImageHeader.end());
    ASSERT_NE(goodBytes.find("WMPHOTO"), std::string::npos);
    badImageHeader[goodBytes.find("WMPHOTO")] = 0;
    std::vector<std::uint8_t> header = {'I', 'I', 0xBC, 1, 0xF0, 0xFF, 0, 0};
    header.resize(32, 0);
    using formats::ErrorKind;
    const std::vector<ErrorCase> cases = {
        {"other content", bytesOf("hello, world, hello, world"), "WMP: not a JPEG XR file",
         ErrorKind::Unsupported},
        {"directory outside the file", header, "WMP: damaged file header", ErrorKind::Corrupt},
        {"jxrlib refuses the image header",
         badImageHeader,
         "WMP: reading the header failed (error -1)",
         ErrorKind::Library,
         {formats::CodeSource::Jxrlib, -1}},  // WMP_errFail
    };
    expectFailures(decodeJxrInProcess, cases);
    // Through the helper program text, kind and code stay the same.
    expectFailures([](formats::Bytes bytes) { return decodeJxr(bytes, jxrHelper()); }, cases);
}

}  // namespace
}  // namespace pixmorrow

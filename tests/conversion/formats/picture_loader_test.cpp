#include "conversion/formats/picture_loader.h"
#include "formats/readers.h"
#include "formats/test_support.h"
#include "platform/error.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <QString>

namespace pixmorrow {
namespace {

using namespace formats::testing;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

class PictureLoaderTest : public ::testing::Test {
protected:
    PictureLoaderTest()
        : loader_(
              [this](const QString& path) {
                  codecCalls_.push_back(path);
                  return marker(3);
              },
              [this](const QString& path) {
                  svgCalls_.push_back(path);
                  return marker(5);
              },
              imaging_) {}

    static formats::DecodedImage marker(std::uint32_t side) {
        formats::DecodedImage image;
        image.width = image.height = side;
        image.bgra.assign(std::size_t{side} * side * 4, 9);
        return image;
    }

    std::string make(const std::string& name, const std::string& options = "",
                     const std::string& size = "6x4") {
        const std::string path = folder_.file(name);
        runCommand("convert -size " + size + " gradient:red-green " + options + " " + quoted(path));
        return path;
    }

    std::string errorOf(const std::string& path) {
        try {
            loader_.load(q(path));
            return "loaded";
        } catch (const Error& e) {
            return e.message().toStdString();
        }
    }

    TempFolder folder_;
    ImagingComponent imaging_{pixmorrow::testing::builtProgramFolder()};
    std::vector<QString> codecCalls_, svgCalls_;
    PictureLoader loader_;
};

TEST_F(PictureLoaderTest, ChoosesTheDecoderByExtensionIgnoringCase) {
    // Our own readers and the imaging component, one file each, under mixed-case names.
    for (const std::string name :
         {"a.BMP", "b.Png", "c.gif", "d.jpg", "e.JPEG", "f.ico", "g.tif", "h.TIFF"}) {
        SCOPED_TRACE(name);
        std::string format = name.substr(name.find('.') + 1);
        for (auto& c : format)
            c = static_cast<char>(std::tolower(c));
        const std::string path = make(name, "-define icon:auto-resize=16");
        const std::string typed = folder_.file("typed." + format);
        std::filesystem::rename(path, typed);
        std::filesystem::rename(typed, path);
        const formats::DecodedImage image = loader_.load(q(path));
        if (format == "ico")
            EXPECT_EQ(image.width, 16u);
        else
            EXPECT_EQ(image.width, 6u);
    }
    EXPECT_TRUE(codecCalls_.empty());
    EXPECT_TRUE(svgCalls_.empty());

    EXPECT_EQ(loader_.load(q(folder_.file("x.WebP"))).width, 3u);
    EXPECT_EQ(loader_.load(q(folder_.file("x.wbmp"))).width, 3u);
    EXPECT_EQ(loader_.load(q(folder_.file("x.SVG"))).width, 5u);
    EXPECT_EQ(codecCalls_,
              (std::vector<QString>{q(folder_.file("x.WebP")), q(folder_.file("x.wbmp"))}));
    EXPECT_EQ(svgCalls_, (std::vector<QString>{q(folder_.file("x.SVG"))}));
}

TEST_F(PictureLoaderTest, ReadsWmpSourcesThroughTheImagingComponent) {
    WorkBitmap bitmap;
    bitmap.draw(marker(4));
    const std::string path = folder_.file("photo.WMP");
    imaging_.writeWmp(bitmap, q(path));
    EXPECT_EQ(loader_.load(q(path)).width, 4u);
}

TEST_F(PictureLoaderTest, OtherExtensionsAreUnknown) {
    EXPECT_EQ(errorOf(folder_.file("x.psd")), "Unknown picture file extension (.psd)");
    EXPECT_EQ(errorOf(folder_.file("x.JFIF")), "Unknown picture file extension (.jfif)");
    EXPECT_EQ(errorOf(folder_.file("noextension")), "Unknown picture file extension (.)");
}

TEST_F(PictureLoaderTest, MissingFilesAndDecoderFailuresCarryTheirText) {
    const std::string missing = folder_.file("gone.png");
    EXPECT_EQ(errorOf(missing), "Cannot read " + missing + ": No such file or directory");
    std::filesystem::create_directory(folder_.file("dir.png"));
    EXPECT_EQ(errorOf(folder_.file("dir.png")),
              "Cannot read " + folder_.file("dir.png") + ": Is a directory");
    const std::string notJpeg = folder_.file("text.jpg");
    writeBytes(notJpeg, {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(errorOf(notJpeg), "JPEG error #53");
}

// Every extension the loader decodes itself: empty, cut and random files are refused with an
// error that has a text, never a crash (the sanitizer build runs this too).
TEST_F(PictureLoaderTest, EmptyTruncatedAndRandomFilesFailCleanly) {
    // Large enough that half a file ends inside the pixels, not in the header.
    const std::string size = "160x120";
    WorkBitmap bitmap;
    bitmap.draw(loader_.load(q(make("source.png", "", size))));
    imaging_.writeWmp(bitmap, q(folder_.file("good.wmp")));
    const std::vector<std::pair<std::string, std::string>> goods = {
        {"bmp", make("good.bmp", "", size)},
        {"ico", make("good.ico", "-define icon:auto-resize=48", size)},
        {"gif", make("good.gif", "", size)},
        {"png", make("good.png", "", size)},
        {"jpg", make("good.jpg", "", size)},
        {"jpeg", make("good.jpeg", "", size)},
        {"tif", make("good.tif", "", size)},
        {"tiff", make("good.tiff", "", size)},
        {"wmp", folder_.file("good.wmp")}};
    std::mt19937 random(11);
    for (const auto& [extension, good] : goods) {
        SCOPED_TRACE(extension);
        const auto bytes = readBytes(good);
        ASSERT_GT(bytes.size(), 16u);
        std::vector<std::vector<std::uint8_t>> bad = {
            {},
            {bytes.begin(), bytes.begin() + 8},
            {bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2)}};
        std::vector<std::uint8_t> noise(1000);
        for (auto& b : noise)
            b = static_cast<std::uint8_t>(random());
        bad.push_back(noise);
        // The right signature followed by noise.
        std::vector<std::uint8_t> headed(bytes.begin(), bytes.begin() + 16);
        headed.insert(headed.end(), noise.begin(), noise.end());
        bad.push_back(headed);
        for (std::size_t i = 0; i < bad.size(); ++i) {
            const std::string path = folder_.file("bad" + std::to_string(i) + "." + extension);
            writeBytes(path, bad[i]);
            const std::string error = errorOf(path);
            EXPECT_FALSE(error.empty()) << i;
            EXPECT_NE(error, "loaded") << i;
        }
    }
}

// A decoder's failure keeps its kind and code through the loader; a file that cannot be read
// and an unknown extension have none.
TEST_F(PictureLoaderTest, DecoderFailuresKeepTheirKindAndCode) {
    const auto causeOf = [this](const std::string& path) {
        try {
            loader_.load(q(path));
            ADD_FAILURE() << "loaded " << path;
        } catch (const Error& e) {
            return e.cause();
        }
        return formats::ErrorCause{};
    };
    using formats::ErrorKind;
    const std::string notJpeg = folder_.file("text.jpg");
    writeBytes(notJpeg, {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(causeOf(notJpeg),
              (formats::ErrorCause{ErrorKind::Unsupported, formats::kNotAJpegFile}));
    const std::string cut = folder_.file("cut.png");
    auto whole = readBytes(make("whole.png"));
    whole.resize(40);
    writeBytes(cut, whole);
    EXPECT_EQ(causeOf(cut).kind, ErrorKind::Truncated);
    const std::string notTiff = folder_.file("text.tif");
    writeBytes(notTiff, std::vector<std::uint8_t>(12, 'x'));
    EXPECT_EQ(causeOf(notTiff).kind, ErrorKind::Unsupported);
    EXPECT_EQ(causeOf(folder_.file("gone.png")), formats::ErrorCause{});
    EXPECT_EQ(causeOf(folder_.file("x.psd")), formats::ErrorCause{});
}

}  // namespace
}  // namespace pixmorrow

#include "conversion/routes/format_routes.h"

#include "conversion/external/bridge_test_files.h"
#include "conversion/routes/route_backend.h"
#include "platform/error.h"
#include "support/recording_dialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace pixmorrow {
namespace {

using testing::RecordingDialogs;
using testing::writeBytes;

bool exists(const QString& path) {
    return QFile::exists(path);
}

// Records each call with the intermediate files present at that moment, and writes a small
// file wherever a real backend would write one.
struct RecordingBackend final : RouteBackend {
    explicit RecordingBackend(QString settings) : settings(std::move(settings)) {}

    QString name(const QString& path) const {
        return path.startsWith(settings) ? path.mid(settings.size()) : path;
    }
    void touch(const QString& path) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("x");
    }
    void loadWorkBitmap(const QString& path) override {
        calls << QStringLiteral("load ") + name(path);
        if (failLoad)
            throw Error(QStringLiteral("Unknown picture file extension (.wmp)"));
    }
    QSize pictureSize() const override { return picture; }
    void grayscaleWorkBitmap() override { calls << QStringLiteral("gray"); }
    void writeWorkBitmapBmp(const QString& path) override {
        calls << QStringLiteral("bmp ") + name(path);
        touch(path);
    }
    bool holdsExifOrXmp() const override { return exifOrXmp; }
    void profileFromTool(const QString& source, const QString& iccFile) override {
        calls << QStringLiteral("profile %1 %2").arg(name(source), name(iccFile));
    }
    void writeWorkBitmapTiff(const QString& path, bool keepMetadata) override {
        calls << QStringLiteral("tiff ") + name(path) +
                     (keepMetadata ? QStringLiteral(" keep") : QString());
        touch(path);
    }
    void writeWorkBitmapWmp(const QString& path) override {
        calls << QStringLiteral("wmp ") + name(path);
        touch(path);
    }
    void codecEncode(const QString& source, const QString& output, CodecFormat format, int quality,
                     bool grayscale, bool keepMetadata) override {
        static const char* formats[] = {"jpeg", "png", "webp"};
        calls << QStringLiteral("codec %1 %2 %3 q%4%5%6")
                     .arg(name(source), name(output),
                          QLatin1String(formats[static_cast<int>(format)]))
                     .arg(quality)
                     .arg(grayscale ? QStringLiteral(" gray") : QString(),
                          keepMetadata ? QStringLiteral(" keep") : QString());
        if (failEncode)
            throw Error(QStringLiteral("Cannot encode"));
        touch(output);
    }
    void codecEncodeWorkBitmap(const QString& output, CodecFormat format, int quality,
                               bool grayscale, bool keepMetadata) override {
        codecEncode(QStringLiteral("bitmap"), output, format, quality, grayscale, keepMetadata);
    }
    void externalConvert(const QString& input, const QString& output, bool grayscale) override {
        calls << QStringLiteral("magick %1 %2%3")
                     .arg(name(input), name(output),
                          grayscale ? QStringLiteral(" gray") : QString());
        if (!toolMissing)
            touch(output);
    }
    void externalQualityConvert(const QString& input, const QString& output, int quality,
                                bool grayscale, const IconSizes& icon) override {
        QString sizes;
        for (const int side : icon.squares)
            sizes += QStringLiteral(" %1").arg(side);
        if (icon.replaceSource)
            sizes += QStringLiteral(" instead");
        calls << QStringLiteral("magick-q %1 %2 q%3%4%5")
                     .arg(name(input), name(output))
                     .arg(quality)
                     .arg(grayscale ? QStringLiteral(" gray") : QString(), sizes);
        if (!toolMissing)
            touch(output);
    }

    QString settings;
    QStringList calls;
    QSize picture{8, 6};
    bool toolMissing = false;
    bool failLoad = false;
    bool failEncode = false;
    bool exifOrXmp = false;
};

class FormatRoutesTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings = settingsDir.path() + u'/';
        source = sourceDir.path() + QStringLiteral("/src");
    }
    // Runs both stages for one source extension and output type; returns the calls.
    QStringList convert(const QString& extension, const QString& type, bool grayscale = false,
                        int quality = 42, bool keepMetadata = false) {
        const QString path = source + extension;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("source");
        file.close();
        backend.calls.clear();
        FormatRoutes routes(backend, dialogs, settings);
        routes.decodingStage(path, extension, grayscale);
        const QString output = sourceDir.path() + QStringLiteral("/OUT");
        routes.writingStage(path, extension, output, type, quality, grayscale, keepMetadata);
        EXPECT_EQ(QDir(settingsDir.path()).entryList(QDir::Files | QDir::Hidden), QStringList())
            << "intermediate files left behind";
        QFile::remove(output);
        QStringList calls = backend.calls;
        calls.replaceInStrings(output, QStringLiteral("OUT"));
        calls.replaceInStrings(path, QStringLiteral("S"));
        return calls;
    }

    QTemporaryDir settingsDir;
    QTemporaryDir sourceDir;
    QString settings;
    QString source;
    RecordingBackend backend{QString()};
    RecordingDialogs dialogs;

    void useSettings() { backend.settings = settings; }
};

TEST_F(FormatRoutesTest, TheWritingStagePicksTheFirstMatchingRow) {
    const struct {
        const char* type;
        const char* extension;
        WritingRoute route;
    } cases[] = {
        {"BMP", ".gif", WritingRoute::Bmp},
        {"TIF", ".png", WritingRoute::Tiff},
        {"TIFF", ".jpg", WritingRoute::Tiff},
        {"WMP", ".gif", WritingRoute::Wmp},
        {"WEBP", ".gif", WritingRoute::ExternalWhole},
        {"PNG", ".gif", WritingRoute::CodecLibrary},
        {"GIF", ".png", WritingRoute::ExternalQuality},
        {"ICO", ".jpg", WritingRoute::ExternalQuality},
        {"APNG", ".jpg", WritingRoute::ExternalWhole},
        {"APNG", ".gif", WritingRoute::ExternalWhole},
        {"WEBP", ".png", WritingRoute::ExternalWhole},
        {"JFIF", ".apng", WritingRoute::ExternalWhole},
        {"JPG", ".webp", WritingRoute::CodecLibrary},
        {"WEBP", ".tif", WritingRoute::CodecLibrary},
        {"JPEG", ".psd", WritingRoute::CodecLibrary},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(writingRouteFor(QString::fromLatin1(c.type), QString::fromLatin1(c.extension)),
                  c.route)
            << c.type << " " << c.extension;
    }
}

// The tool drops EXIF and XMP: a still picture it would take whole goes the codec library's
// way when they are to be kept, and only then; frames still go to the tool.
TEST_F(FormatRoutesTest, AStillPictureWhoseMetadataIsKeptAvoidsTheTool) {
    useSettings();
    struct Case {
        const char* extension;
        const char* type;
        bool exifOrXmp;
        bool keep;
        QStringList calls;
    } cases[] = {
        {".png", "WEBP", true, true, {"load S", "codec bitmap OUT webp q42 keep"}},
        {".png", "JPG", true, true, {"load S", "codec bitmap OUT jpeg q42 keep"}},
        {".png", "WEBP", true, false, {"load S", "magick S OUT"}},
        {".png", "WEBP", false, true, {"load S", "magick S OUT"}},
        {".png", "APNG", true, true, {"load S", "magick S OUT"}},
        {".apng", "PNG", true, true, {"load temp.png", "magick S OUT"}},
        {".png", "TIF", true, true, {"load S", "tiff OUT keep"}},
        {".jpg", "WEBP", true, true, {"load S", "codec S OUT webp q42 keep"}},
        {".jpg", "BMP", true, true, {"load S", "bmp OUT"}},
    };
    for (const Case& c : cases) {
        backend.exifOrXmp = c.exifOrXmp;
        EXPECT_EQ(convert(c.extension, c.type, false, 42, c.keep), c.calls)
            << c.extension << " " << c.type << (c.keep ? " keep" : "");
    }
}

// The writing stage's table written out: one letter per source extension, in this order, for
// every output type. B bitmap as BMP, T TIFF, W JPEG XR, E the tool with all frames, Q the tool
// with the quality, C the codec library.
TEST_F(FormatRoutesTest, EveryOutputTypeHasOneRouteFromEverySourceKind) {
    const char* extensions[] = {".png",  ".apng", ".webp", ".jpg", ".jpeg", ".jfif", ".tif",
                                ".tiff", ".gif",  ".ico",  ".bmp", ".wmp",  ".avif", ".psd",
                                ".heic", ".heif", ".svg",  ".tga", ".jxl",  ".jp2",  ".txt"};
    const struct {
        const char* type;
        const char* routes;
    } rows[] = {
        // clang-format off
        {"WEBP", "EECCCCCCECCCCCCCCCCCC"},
        {"PNG",  "EECCCCCCCCCCCCCCCCCCC"},
        {"APNG", "EEEEEEEEEEEEEEEEEEEEE"},
        {"JPG",  "EECCCCCCCCCCCCCCCCCCC"},
        {"JPEG", "EECCCCCCCCCCCCCCCCCCC"},
        {"JFIF", "EECCCCCCCCCCCCCCCCCCC"},
        {"TIF",  "TTTTTTTTTTTTTTTTTTTTT"},
        {"TIFF", "TTTTTTTTTTTTTTTTTTTTT"},
        {"GIF",  "QQQQQQQQQQQQQQQQQQQQQ"},
        {"BMP",  "BBBBBBBBBBBBBBBBBBBBB"},
        {"ICO",  "QQQQQQQQQQQQQQQQQQQQQ"},
        {"WMP",  "WWWWWWWWWWWWWWWWWWWWW"},
        // clang-format on
    };
    const auto letter = [](WritingRoute route) {
        switch (route) {
            case WritingRoute::Bmp:
                return 'B';
            case WritingRoute::Tiff:
                return 'T';
            case WritingRoute::Wmp:
                return 'W';
            case WritingRoute::ExternalWhole:
                return 'E';
            case WritingRoute::ExternalQuality:
                return 'Q';
            case WritingRoute::CodecLibrary:
                return 'C';
        }
        return '?';
    };
    for (const auto& row : rows) {
        std::string routes;
        for (const char* extension : extensions)
            routes += letter(
                writingRouteFor(QString::fromLatin1(row.type), QString::fromLatin1(extension)));
        EXPECT_EQ(routes, row.routes) << row.type;
    }
    // Type names are compared exactly.
    for (const char* type : {"webp", "Png", "JPG ", "", "JPE"}) {
        try {
            writingRouteFor(QString::fromLatin1(type), QStringLiteral(".png"));
            ADD_FAILURE() << "no error for " << type;
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Unknown output type ") + QLatin1String(type));
        }
    }
}

// What the decoding stage does with each accepted source extension and with one it does not
// know (which the picture loader then refuses).
TEST_F(FormatRoutesTest, TheDecodingStageReadsEachSourceKindItsOwnWay) {
    useSettings();
    const QStringList loadSource = {QStringLiteral("load S")};
    const QStringList byTheTool = {QStringLiteral("magick S temp.png"),
                                   QStringLiteral("load temp.png")};
    const struct {
        const char* extension;
        QStringList calls;
    } cases[] = {
        {".png", loadSource},  {".apng", {"load temp.png"}}, {".webp", loadSource},
        {".jpg", loadSource},  {".jpeg", loadSource},        {".jfif", {"load temp.jpg"}},
        {".tif", loadSource},  {".tiff", loadSource},        {".gif", loadSource},
        {".ico", loadSource},  {".bmp", loadSource},         {".wmp", loadSource},
        {".avif", byTheTool},  {".psd", byTheTool},          {".heic", byTheTool},
        {".heif", byTheTool},  {".svg", loadSource},         {".tga", byTheTool},
        {".jxl", byTheTool},   {".jp2", byTheTool},          {".txt", loadSource},
        {".wbmp", loadSource},
    };
    for (const auto& c : cases) {
        const QString extension = QString::fromLatin1(c.extension);
        const QString path = source + extension;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("source");
        file.close();
        backend.calls.clear();
        FormatRoutes routes(backend, dialogs, settings);
        routes.decodingStage(path, extension, false);
        QStringList calls = backend.calls;
        calls.replaceInStrings(path, QStringLiteral("S"));
        EXPECT_EQ(calls, c.calls) << c.extension;
        EXPECT_EQ(QDir(settingsDir.path()).entryList(QDir::Files | QDir::Hidden), QStringList())
            << c.extension << ": intermediate files left behind";
    }
}

TEST_F(FormatRoutesTest, EachSourceKindMeetsItsDecoderAndWriter) {
    useSettings();
    const struct {
        const char* extension;
        const char* type;
        bool gray;
        QStringList calls;
    } cases[] = {
        {".jpg", "WEBP", false, {"load S", "codec S OUT webp q42"}},
        {".jfif", "JPG", true, {"load temp.jpg", "gray", "codec S OUT jpeg q42 gray"}},
        {".png", "PNG", false, {"load S", "magick S OUT"}},
        {".apng", "APNG", true, {"load temp.png", "gray", "magick S OUT gray"}},
        {".gif", "WEBP", false, {"load S", "magick S OUT"}},
        {".gif", "PNG", false, {"load S", "codec S OUT png q80"}},
        {".webp", "BMP", true, {"load S", "gray", "bmp OUT"}},
        {".ico", "GIF", true, {"load S", "gray", "magick-q S OUT q42 gray"}},
        {".tif", "WEBP", false, {"load S", "codec bitmap OUT webp q42"}},
        {".svg", "JFIF", false, {"load S", "codec bitmap OUT jpeg q42"}},
        {".psd", "TIFF", false, {"magick S temp.png", "load temp.png", "tiff OUT"}},
        {".psd",
         "GIF",
         true,
         {"magick S temp.png gray", "load temp.png", "profile S temp.icc", "gray",
          "magick-q S OUT q42 gray"}},
        // The tool's gray intermediate cannot hold the source's RGB profile: the tool gives
        // it apart.
        {".heic",
         "TIF",
         true,
         {"magick S temp.png gray", "load temp.png", "profile S temp.icc", "gray", "tiff OUT"}},
        {".heic", "PNG", false, {"magick S temp.png", "load temp.png", "codec bitmap OUT png q80"}},
        {".wmp", "WMP", false, {"load S", "wmp OUT"}},
        {".wmp", "JPEG", false, {"load S", "codec bitmap OUT jpeg q42"}},
        {".bmp", "ICO", false, {"load S", "magick-q S OUT q42"}},
        {".wmp", "ICO", false, {"load S", "bmp temp.bmp", "magick-q temp.bmp OUT q42"}},
        {".svg", "APNG", true, {"load S", "gray", "bmp temp.bmp", "magick temp.bmp OUT gray"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(convert(QString::fromLatin1(c.extension), QString::fromLatin1(c.type), c.gray),
                  c.calls)
            << c.extension << " to " << c.type;
    }
    // PNG ignores the quality field.
    EXPECT_EQ(convert(QStringLiteral(".jpg"), QStringLiteral("PNG"), false, 10),
              convert(QStringLiteral(".jpg"), QStringLiteral("PNG"), false, 100));
}

// The icon's sizes follow the picture the decoding stage loaded, whichever file the tool reads;
// other types get none however large the picture.
TEST_F(FormatRoutesTest, AnIconGetsTheSizesOfTheLoadedPicture) {
    useSettings();
    const struct {
        int width, height;
        const char* extension;
        const char* type;
        const char* call;
    } cases[] = {
        {2560, 1600, ".jpg", "ICO", "magick-q S OUT q42 256 128 64 48 32 16 instead"},
        {300, 40, ".png", "ICO", "magick-q S OUT q42 256 128 64 48 32 16 instead"},
        {256, 256, ".gif", "ICO", "magick-q S OUT q42 128 64 48 32 16"},
        {40, 20, ".ico", "ICO", "magick-q S OUT q42 32 16"},
        {10, 10, ".bmp", "ICO", "magick-q S OUT q42"},
        {1000, 800, ".svg", "ICO", "magick-q temp.bmp OUT q42 256 128 64 48 32 16 instead"},
        {2560, 1600, ".jpg", "GIF", "magick-q S OUT q42"},
    };
    for (const auto& c : cases) {
        backend.picture = QSize(c.width, c.height);
        const QStringList calls =
            convert(QString::fromLatin1(c.extension), QString::fromLatin1(c.type));
        ASSERT_FALSE(calls.isEmpty());
        EXPECT_EQ(calls.back(), QString::fromLatin1(c.call))
            << c.width << "x" << c.height << " " << c.extension << " to " << c.type;
    }
}

// An icon source of several images keeps them as they are: the tool's first image need not be
// the one the program decoded (the largest), so nothing is made from it.
TEST_F(FormatRoutesTest, AnIconOfSeveralImagesGetsNoSizesAdded) {
    useSettings();
    backend.picture = QSize(256, 256);
    const QString path = source + QStringLiteral(".ico");
    for (const bool several : {true, false}) {
        writeBytes(path, QByteArray::fromHex(several ? "000001000300" : "000001000100"));
        FormatRoutes routes(backend, dialogs, settings);
        backend.calls.clear();
        routes.decodingStage(path, QStringLiteral(".ico"), false);
        routes.writingStage(path, QStringLiteral(".ico"), sourceDir.path() + QStringLiteral("/OUT"),
                            QStringLiteral("ICO"), 42, false, false);
        QStringList calls = backend.calls;
        calls.replaceInStrings(path, QStringLiteral("S"));
        calls.replaceInStrings(sourceDir.path() + QStringLiteral("/OUT"), QStringLiteral("OUT"));
        EXPECT_EQ(calls.back(), several ? QStringLiteral("magick-q S OUT q42")
                                        : QStringLiteral("magick-q S OUT q42 128 64 48 32 16"));
    }
}

TEST_F(FormatRoutesTest, AMissingToolOutputFailsTheFileWithItsMessageAndWritesNothing) {
    useSettings();
    backend.toolMissing = true;
    EXPECT_THROW(convert(QStringLiteral(".psd"), QStringLiteral("TIFF")), ReportedFailure);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("File cannot be created: ") + settings + QStringLiteral("temp.png"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::None);
    // Nothing may be written from the previous file's picture.
    ASSERT_EQ(backend.calls.size(), 1);
    EXPECT_TRUE(backend.calls[0].startsWith(QStringLiteral("magick ")))
        << backend.calls[0].toStdString();
}

// After a file that loaded, one whose copy or load fails leaves no picture behind: the
// writing stage refuses rather than write the earlier file's picture under this file's name,
// and the copy in the settings folder is gone.
// A named pipe, a folder or a device with a picture's name fails at once, on every road of
// the decoding stage (own reader, copy, the tool), before anything reads it.
TEST_F(FormatRoutesTest, OnlyARegularFileIsDecoded) {
    const QString pipe = sourceDir.path() + QStringLiteral("/pipe");
    const QString folder = sourceDir.path() + QStringLiteral("/folder.jpg");
    const QString link = sourceDir.path() + QStringLiteral("/link.gif");
    ASSERT_TRUE(QDir().mkpath(folder));
    const struct {
        const char* extension;
        QString path;
    } cases[] = {
        {".png", pipe + QStringLiteral(".png")},    // the program's own reader
        {".heic", pipe + QStringLiteral(".heic")},  // the external tool
        {".apng", pipe + QStringLiteral(".apng")},  // copied to an intermediate
        {".jpg", folder},
        {".gif", link},  // a link to a device
    };
    ASSERT_EQ(::symlink("/dev/zero", link.toLocal8Bit().constData()), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extension);
        if (c.path.startsWith(pipe)) {
            ASSERT_EQ(::mkfifo(c.path.toLocal8Bit().constData(), 0600), 0);
        }
        backend.calls.clear();
        FormatRoutes routes(backend, dialogs, settings);
        try {
            routes.decodingStage(c.path, QString::fromLatin1(c.extension), false);
            ADD_FAILURE() << "decoded";
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), c.path + QStringLiteral(" is not a regular file"));
        }
        EXPECT_EQ(backend.calls, QStringList());
    }
}

TEST_F(FormatRoutesTest, AFailedCopyOrLoadLeavesNoPictureToWrite) {
    useSettings();
    const auto write = [](const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("source");
    };
    const QString loads = source + QStringLiteral("-good.jfif");
    write(loads);
    const struct {
        const char* what;
        const char* name;
        bool exists;  // false: the copy fails
        const char* extension;
    } cases[] = {
        {"copy fails", "-missing.jfif", false, ".jfif"},
        {"load of the copy fails", "-bad.jfif", true, ".jfif"},
        {"load fails", "-bad.jpg", true, ".jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = source + QLatin1String(c.name);
        const QString extension = QLatin1String(c.extension);
        if (c.exists)
            write(path);
        FormatRoutes routes(backend, dialogs, settings);
        backend.failLoad = false;
        routes.decodingStage(loads, QStringLiteral(".jfif"), false);

        backend.failLoad = c.exists;
        backend.calls.clear();
        EXPECT_THROW(routes.decodingStage(path, extension, false), Error);
        EXPECT_EQ(QDir(settingsDir.path()).entryList(QDir::Files | QDir::Hidden), QStringList())
            << "intermediate files left behind";
        try {
            routes.writingStage(path, extension, sourceDir.path() + QStringLiteral("/OUT"),
                                QStringLiteral("BMP"), 80, false, false);
            ADD_FAILURE() << "the earlier file's picture was written";
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QStringLiteral("No picture was loaded from ") + path);
        }
        EXPECT_TRUE(backend.calls.filter(QStringLiteral("bmp ")).isEmpty())
            << backend.calls.join(u',').toStdString();
        EXPECT_FALSE(exists(sourceDir.path() + QStringLiteral("/OUT")));
    }
}

TEST_F(FormatRoutesTest, IntermediatesAreRemovedWhenTheEncoderFails) {
    useSettings();
    backend.failEncode = true;
    EXPECT_THROW(convert(QStringLiteral(".tiff"), QStringLiteral("WEBP")), Error);
    EXPECT_FALSE(exists(settings + QStringLiteral("temp.bmp")));
}

}  // namespace
}  // namespace pixmorrow

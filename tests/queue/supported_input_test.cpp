#include "queue/supported_input.h"

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

struct Case {
    const char* name;
    bool supported;
};

TEST(Destekleniyormu, AnswersByTheLastExtensionOfTheName) {
    const Case cases[] = {
        {"C:\\Pics\\A.JPEG", true},
        {"C:\\Pics\\b.Webp", true},
        {"C:\\Pics\\scan.jp2", true},
        {"C:\\Pics.png\\readme", false},
        {"C:\\Pics\\image.jpe", false},
        {"/home/ann/Pics.png/readme", false},
        {"/home/ann/photo.PNG", true},
        {"archive.png.zip", false},
        {"noextension", false},
        {"endsindot.", false},
        {".png", true},
        {"D:.png", true},
        {"C:x", false},
        {"movie.apng", true},
        {"a.tif", true},
        {"a.tiff", true},
        {"a.bmp", true},
        {"a.gif", true},
        {"a.ico", true},
        {"a.wmp", true},
        {"a.jpg", true},
        {"a.jfif", true},
        {"a.avif", true},
        {"a.psd", true},
        {"a.heic", true},
        {"a.heif", true},
        {"a.svg", true},
        {"a.tga", true},
        {"a.jxl", true},
        {"a.wbmp", false},
        {"a.txt", false},
        // Only A to Z are lowered: a dotless capital I is no "i".
        {"a.T\u0130F", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Destekleniyormu(QString::fromUtf8(c.name)), c.supported) << c.name;
    }
    EXPECT_EQ(supportedExtensions().size(), 20);
}

TEST(LowerExtension, KeepsTheDotAndStopsAtEveryPathBoundary) {
    EXPECT_EQ(lowerExtension(QStringLiteral("x.tar.JPG")), QStringLiteral(".jpg"));
    EXPECT_EQ(lowerExtension(QStringLiteral("dir.d/file")), QString());
    EXPECT_EQ(lowerExtension(QStringLiteral("dir.d\\file")), QString());
    EXPECT_EQ(lowerExtension(QStringLiteral("c.d:file")), QString());
}

}  // namespace
}  // namespace pixmorrow

#include "conversion/run/run_texts.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

// Expected texts are written with "." and read in the user's decimal separator.
QString local(QString text) {
    return text.replace(u'.', QLocale::system().decimalPoint());
}

TEST(FormatByteSize, FollowsTheThresholdsAndThePattern) {
    const struct {
        std::int64_t bytes;
        const char* text;
    } cases[] = {
        {0, " bytes"},        {1, "1 bytes"},         {1024, "1024 bytes"},
        {1025, "1 KB"},       {1536, "1.5 KB"},       {2048, "2 KB"},
        {1048576, "1024 KB"}, {1500000, "1.43 MB"},   {1073741824, "1024 MB"},
        {1073741825, "1 GB"}, {5368709120LL, "5 GB"}, {1099511627776LL, "1024 GB"},
        {-5, "-5 bytes"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatByteSize(c.bytes), local(QString::fromLatin1(c.text))) << c.bytes;
    }
}

TEST(SavedPercentage, RoundsHalfToEven) {
    const struct {
        std::int64_t difference, input, percent;
    } cases[] = {
        {1500000, 2000000, 75}, {-500, 1000, -50},   {0, 0, 0},  {5, 0, 0},  {125, 1000, 12},
        {135, 1000, 14},        {-2000, 1000, -200}, {1, 3, 33}, {2, 3, 67}, {0, 500, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(savedPercentage(c.difference, c.input), c.percent)
            << c.difference << "/" << c.input;
    }
}

TEST(ElapsedText, HasThreeDecimalsAndAnIntegerDigit) {
    EXPECT_EQ(elapsedText(2406), local(QStringLiteral("2.406 seconds")));
    EXPECT_EQ(elapsedText(0), local(QStringLiteral("0.000 seconds")));
    EXPECT_EQ(elapsedText(50), local(QStringLiteral("0.050 seconds")));
    EXPECT_EQ(elapsedText(4294967295u), local(QStringLiteral("4294967.295 seconds")));
}

TEST(PathParts, SplitAtTheLastFullStopOfTheFileName) {
    EXPECT_EQ(extensionOfPath(QStringLiteral("/d/x.tar.JPG")), QStringLiteral(".jpg"));
    EXPECT_EQ(extensionOfPath(QStringLiteral("/d.e/readme")), QString());
    EXPECT_EQ(extensionOfPath(QStringLiteral("/d/\u00C7.PnG")), QStringLiteral(".png"));
    EXPECT_EQ(baseNameWithoutLastExtension(QStringLiteral("/d/x.tar.jpg")),
              QStringLiteral("x.tar"));
    EXPECT_EQ(baseNameWithoutLastExtension(QStringLiteral("/d.e/readme")),
              QStringLiteral("readme"));
    EXPECT_EQ(folderWithSeparator(QStringLiteral("/d/e/f.png")), QStringLiteral("/d/e/"));
}

TEST(MakeUniqueFileName, NumbersBeforeTheLastExtension) {
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/photo.webp");
    EXPECT_EQ(MakeUniqueFileName(base), base);
    QFile(base).open(QIODevice::WriteOnly);
    EXPECT_EQ(MakeUniqueFileName(base), dir.path() + QStringLiteral("/photo (2).webp"));
    QFile(dir.path() + QStringLiteral("/photo (2).webp")).open(QIODevice::WriteOnly);
    EXPECT_EQ(MakeUniqueFileName(base), dir.path() + QStringLiteral("/photo (3).webp"));
    // A folder of that name is taken as well.
    QDir(dir.path()).mkdir(QStringLiteral("noext"));
    EXPECT_EQ(MakeUniqueFileName(dir.path() + QStringLiteral("/noext")),
              dir.path() + QStringLiteral("/noext (2)"));
}

}  // namespace
}  // namespace pixmorrow

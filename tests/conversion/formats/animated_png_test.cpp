#include "conversion/formats/animated_png.h"
#include "conversion/external/bridge_test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

using testing::pngChunks;
using testing::writeBytes;

const QByteArray kIhdr(13, '\x01');

struct PngCase {
    const char* name;
    QByteArray bytes;
    bool animated;
};

TEST(IsAnimatedPng, WalksEveryChunkAndRejectsMalformedFiles) {
    QByteArray lengthPastEnd = pngChunks({{"IHDR", kIhdr}});
    lengthPastEnd[8] = '\x7F';  // IHDR claims ~2 GB
    lengthPastEnd += pngChunks({{"acTL", QByteArray(8, '\0')}}, false);

    QByteArray hugeLength = pngChunks({{"IHDR", kIhdr}});
    hugeLength[8] = hugeLength[9] = hugeLength[10] = hugeLength[11] = '\xFF';

    const PngCase cases[] = {
        {"empty", QByteArray(), false},
        {"shorter than the signature", QByteArray::fromHex("89504E47"), false},
        {"wrong signature",
         QByteArray::fromHex("89504E470D0A1A0B") +
             pngChunks({{"acTL", QByteArray(8, '\0')}}, false),
         false},
        {"plain PNG", pngChunks({{"IHDR", kIhdr}, {"IDAT", "xyz"}, {"IEND", {}}}), false},
        {"acTL before IDAT",
         pngChunks({{"IHDR", kIhdr}, {"acTL", QByteArray(8, '\0')}, {"IDAT", "x"}, {"IEND", {}}}),
         true},
        {"acTL after IDAT",
         pngChunks({{"IHDR", kIhdr},
                    {"IDAT", QByteArray(5000, 'x')},
                    {"acTL", QByteArray(8, '\0')},
                    {"IEND", {}}}),
         true},
        {"acTL header at the very end",
         pngChunks({{"IHDR", kIhdr}}) + QByteArray::fromHex("00000008") + "acTL", true},
        {"chunk walk runs past the end", lengthPastEnd, false},
        {"length near 4 GB", hugeLength, false},
        {"truncated chunk header", pngChunks({{"IHDR", kIhdr}}) + QByteArray::fromHex("000000"),
         false},
        {"signature only", QByteArray::fromHex("89504E470D0A1A0A"), false},
    };

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const PngCase& c : cases) {
        const QString path = folder.filePath(QStringLiteral("case.png"));
        writeBytes(path, c.bytes);
        EXPECT_EQ(IsAnimatedPng(path), c.animated) << c.name;
    }
}

TEST(IsAnimatedPng, MissingFileOrFolderIsNotAnimated) {
    QTemporaryDir folder;
    EXPECT_FALSE(IsAnimatedPng(folder.filePath(QStringLiteral("none.png"))));
    EXPECT_FALSE(IsAnimatedPng(folder.path()));
}

}  // namespace
}  // namespace pixmorrow

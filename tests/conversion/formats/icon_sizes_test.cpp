#include "conversion/formats/icon_sizes.h"
#include "conversion/external/bridge_test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

using testing::writeBytes;

TEST(IconSizesFor, EveryDesktopSizeBelowTheLongestSideAndTheSourceOnlyWhenItFits) {
    const std::vector<int> all = {256, 128, 64, 48, 32, 16};
    const struct {
        int width, height;
        bool severalIcons;
        IconSizes sizes;
    } cases[] = {
        {2560, 1600, false, {all, true}},
        {300, 40, false, {all, true}},
        {40, 300, false, {all, true}},
        {257, 1, false, {all, true}},
        {256, 256, false, {{128, 64, 48, 32, 16}, false}},
        {200, 50, false, {{128, 64, 48, 32, 16}, false}},
        {128, 128, false, {{64, 48, 32, 16}, false}},
        {129, 3, false, {{128, 64, 48, 32, 16}, false}},
        {17, 17, false, {{16}, false}},
        {16, 16, false, {}},
        {10, 10, false, {}},
        {1, 1, false, {}},
        // An icon that already holds several sizes is left as it is.
        {256, 256, true, {}},
        {48, 48, true, {}},
        {0, 0, false, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(iconSizesFor(c.width, c.height, c.severalIcons), c.sizes)
            << c.width << "x" << c.height << (c.severalIcons ? " several" : "");
    }
}

TEST(HoldsSeveralIcons, ReadsTheCountOfAnIconOrCursorHeaderOnly) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const struct {
        const char* name;
        QByteArray bytes;
        bool several;
    } cases[] = {
        {"two icons", QByteArray::fromHex("000001000200"), true},
        {"two cursors", QByteArray::fromHex("000002000200"), true},
        {"300 icons", QByteArray::fromHex("000001002C01") + QByteArray(32, '\0'), true},
        {"one icon", QByteArray::fromHex("000001000100") + QByteArray(16, '\0'), false},
        {"no icon", QByteArray::fromHex("000001000000"), false},
        {"type 3", QByteArray::fromHex("000003000200"), false},
        {"reserved set", QByteArray::fromHex("010001000200"), false},
        {"type high byte set", QByteArray::fromHex("000001010200"), false},
        {"cut short", QByteArray::fromHex("0000010002"), false},
        {"empty", QByteArray(), false},
        {"a PNG", QByteArray::fromHex("89504E470D0A1A0A0000000D"), false},
    };
    for (const auto& c : cases) {
        const QString path = folder.filePath(QString::fromLatin1(c.name));
        writeBytes(path, c.bytes);
        EXPECT_EQ(holdsSeveralIcons(path), c.several) << c.name;
    }
    EXPECT_FALSE(holdsSeveralIcons(folder.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(holdsSeveralIcons(folder.path()));
}

}  // namespace
}  // namespace pixmorrow

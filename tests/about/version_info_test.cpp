#include "about/version_info.h"
#include "about/elf_fixture.h"
#include "about/version_block.h"
#include "platform/error.h"
#include "support/test_paths.h"
#include "version_block_writer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pixmorrow {
namespace {

using versionres::VersionDescription;

VersionDescription description(std::uint16_t codePage, bool withTrademarks) {
    VersionDescription d;
    d.fileVersion = {3, 7, 1, 9};
    d.productVersion = {3, 7, 0, 0};
    d.translations = {{0x0409, codePage}, {0x0407, 0x04E4}};
    d.strings = {{"CompanyName", "Acme"},
                 {"FileDescription", "Tool"},
                 {"FileVersion", "3.7.1.9"},
                 {"InternalName", "tool"},
                 {"LegalCopyright", "(C) Acme \xC3\xA9"},
                 {"OriginalFileName", "tool.exe"},
                 {"ProductName", "Tool Suite"},
                 {"ProductVersion", "3.7"},
                 {"Comments", "none"},
                 {"PrivateBuild", "pb"},
                 {"SpecialBuild", "sb"}};
    if (withTrademarks)
        d.strings.insert(d.strings.begin() + 5, {"LegalTrademarks", "TM"});
    return d;
}

QByteArray blockBytes(const VersionDescription& d) {
    auto v = versionres::buildVersionInfo(d);
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

class VersionFiles : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        QString path = dir.filePath(name);
        testing::writeFile(path, bytes);
        return path;
    }
    QString elfWithBlock(const QString& name, const QByteArray& block) {
        return write(name, testing::makeElf(
                               {{".text", QByteArray(32, '\x90')}, {kVersionSectionName, block}}));
    }
    QTemporaryDir dir;
};

TEST_F(VersionFiles, TheRealExecutableNamesItself) {
    const QString exe = testing::builtExecutable();
    const TEXEVersionData data = GetEXEVersionData(exe);
    EXPECT_EQ(data.CompanyName, QStringLiteral("TARNWICK"));
    EXPECT_EQ(data.ProductName, QStringLiteral("Pixmorrow"));
    EXPECT_EQ(data.FileVersion, QStringLiteral("2.0.0.0"));
    EXPECT_FALSE(data.LegalCopyright.isEmpty());
    EXPECT_EQ(formatFixedVersion(GetEXEFixedFileVersion(exe)), QStringLiteral("2.0"));
}

TEST_F(VersionFiles, StringsComeFromTheFirstTranslationsTable) {
    for (std::uint16_t codePage : {std::uint16_t{0x04E4}, std::uint16_t{0x04B0}}) {
        const QString path =
            elfWithBlock(QStringLiteral("cp.bin"), blockBytes(description(codePage, true)));
        const TEXEVersionData data = GetEXEVersionData(path);
        EXPECT_EQ(data.CompanyName, QStringLiteral("Acme")) << codePage;
        EXPECT_EQ(data.LegalTrademarks, QStringLiteral("TM"));
        EXPECT_EQ(data.LegalCopyright, QStringLiteral("(C) Acme \u00e9"));
        EXPECT_EQ(data.SpecialBuild, QStringLiteral("sb"));
        EXPECT_EQ(GetEXEFixedFileVersion(path), (3u << 16) | 7u);
    }
    // The table is named after the first translation: a reader that looked elsewhere fails.
    auto block = VersionBlock::parse(blockBytes(description(0x04B0, true)));
    ASSERT_TRUE(block);
    EXPECT_TRUE(block->text(QStringLiteral("\\StringFileInfo\\040904B0\\ProductName")));
    EXPECT_TRUE(block->text(QStringLiteral("\\stringfileinfo\\040904b0\\productname")));
    EXPECT_FALSE(block->text(QStringLiteral("\\StringFileInfo\\040904E4\\ProductName")));
}

TEST_F(VersionFiles, AMissingStringLeavesOnlyItsFieldEmpty) {
    const QString path =
        elfWithBlock(QStringLiteral("notm.bin"), blockBytes(description(0x04E4, false)));
    const TEXEVersionData data = GetEXEVersionData(path);
    EXPECT_TRUE(data.LegalTrademarks.isEmpty());
    for (const QString* field :
         {&data.CompanyName, &data.FileDescription, &data.FileVersion, &data.InternalName,
          &data.LegalCopyright, &data.OriginalFileName, &data.ProductName, &data.ProductVersion,
          &data.Comments, &data.PrivateBuild, &data.SpecialBuild}) {
        EXPECT_FALSE(field->isEmpty());
    }
}

TEST_F(VersionFiles, AFileWithoutTheSectionHasNoVersion) {
    const QString plain =
        write(QStringLiteral("plain.bin"), testing::makeElf({{".text", QByteArray(8, '\0')}}));
    const QString text = write(QStringLiteral("text.txt"), QByteArray("hello"));
    const QString empty = write(QStringLiteral("empty"), QByteArray());
    for (const QString& path : {plain, text, empty, dir.filePath(QStringLiteral("missing"))}) {
        try {
            GetEXEVersionData(path);
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const Error& e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
        }
        EXPECT_EQ(formatFixedVersion(GetEXEFixedFileVersion(path)), QStringLiteral("65535.65535"));
    }
}

// A version block written out by hand from the format's definition, laid out as a Windows
// resource compiler lays it out: every node's length, value length and type, its UTF-16LE
// key, padding to 32 bits. Neither our writer nor our reader made it.
const QByteArray kHandMadeBlock = QByteArray::fromHex(
    // VS_VERSIONINFO: 308 bytes, a 52-byte binary value; "VS_VERSION_INFO"; padding
    "3401 3400 0000"
    "5600 5300 5f00 5600 4500 5200 5300 4900 4f00 4e00 5f00 4900 4e00 4600 4f00 0000"
    "0000"
    // VS_FIXEDFILEINFO: signature, structure version 1.0, file version 1.2.3.4, product
    // version 1.2.0.0, flags mask 0x3F, flags, VOS_NT_WINDOWS32, VFT_APP, subtype, date
    "bd04effe 00000100 02000100 04000300 02000100 00000000"
    "3f000000 00000000 04000400 01000000 00000000 00000000 00000000"
    // StringFileInfo: 146 bytes, no value, text; "StringFileInfo"
    "9200 0000 0100"
    "5300 7400 7200 6900 6e00 6700 4600 6900 6c00 6500 4900 6e00 6600 6f00 0000"
    // StringTable: 110 bytes; "040904E4"
    "6e00 0000 0100"
    "3000 3400 3000 3900 3000 3400 4500 3400 0000"
    // String: 42 bytes, a value of 5 characters; "CompanyName"; padding; "Acme"; padding
    "2a00 0500 0100"
    "4300 6f00 6d00 7000 6100 6e00 7900 4e00 6100 6d00 6500 0000"
    "0000"
    "4100 6300 6d00 6500 0000"
    "0000"
    // String: "ProductName" = "Tool"; padding up to the next node
    "2a00 0500 0100"
    "5000 7200 6f00 6400 7500 6300 7400 4e00 6100 6d00 6500 0000"
    "0000"
    "5400 6f00 6f00 6c00 0000"
    "0000"
    // VarFileInfo: 68 bytes, no value, text; "VarFileInfo"; padding
    "4400 0000 0100"
    "5600 6100 7200 4600 6900 6c00 6500 4900 6e00 6600 6f00 0000"
    "0000"
    // Var: 36 bytes, a 4-byte binary value; "Translation"; padding; 0x0409, 0x04E4
    "2400 0400 0000"
    "5400 7200 6100 6e00 7300 6c00 6100 7400 6900 6f00 6e00 0000"
    "0000"
    "0904 e404");

TEST_F(VersionFiles, AHandMadeBlockReadsAsTheFormatSaysAndOurWriterMakesTheSameBytes) {
    ASSERT_EQ(kHandMadeBlock.size(), 308);
    const QString path = elfWithBlock(QStringLiteral("hand.bin"), kHandMadeBlock);
    const TEXEVersionData data = GetEXEVersionData(path);
    EXPECT_EQ(data.CompanyName, QStringLiteral("Acme"));
    EXPECT_EQ(data.ProductName, QStringLiteral("Tool"));
    EXPECT_TRUE(data.FileVersion.isEmpty());
    EXPECT_TRUE(data.LegalTrademarks.isEmpty());
    EXPECT_EQ(GetEXEFixedFileVersion(path), 0x00010002u);
    EXPECT_EQ(formatFixedVersion(GetEXEFixedFileVersion(path)), QStringLiteral("1.2"));

    VersionDescription d;
    d.fileVersion = {1, 2, 3, 4};
    d.productVersion = {1, 2, 0, 0};
    d.translations = {{0x0409, 0x04E4}};
    d.strings = {{"CompanyName", "Acme"}, {"ProductName", "Tool"}};
    EXPECT_EQ(blockBytes(d).toHex(' '), kHandMadeBlock.toHex(' '));
}

TEST_F(VersionFiles, DamagedBlocksAreErrorsNeverOutOfBoundsReads) {
    const QByteArray good = blockBytes(description(0x04E4, true));
    std::vector<QByteArray> damaged;
    for (qsizetype cut : {qsizetype{0}, qsizetype{3}, qsizetype{6}, qsizetype{40}, good.size() / 2,
                          good.size() - 1}) {
        damaged.push_back(good.left(cut));
    }
    QByteArray longer = good;
    longer[0] = '\xFF';
    longer[1] = '\x7F';  // claims more than there is
    damaged.push_back(longer);
    QByteArray nokey = good;
    for (qsizetype i = 6; i < nokey.size(); ++i)
        if (nokey[i] == 0)
            nokey[i] = 'A';  // no terminator
    damaged.push_back(nokey);
    int n = 0;
    for (const QByteArray& block : damaged) {
        const QString path = elfWithBlock(QStringLiteral("bad%1.bin").arg(n++), block);
        EXPECT_THROW(GetEXEVersionData(path), Error) << n;
        EXPECT_EQ(GetEXEFixedFileVersion(path), 0xFFFFFFFFu) << n;
    }
    // A section header pointing past the end of the file.
    QByteArray elf = testing::makeElf({{kVersionSectionName, good}});
    const QString truncated = write(QStringLiteral("trunc.bin"), elf.left(elf.size() - 80));
    EXPECT_THROW(GetEXEVersionData(truncated), Error);
}

}  // namespace
}  // namespace pixmorrow

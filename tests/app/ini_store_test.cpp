#include "app/ini_store.h"
#include "platform/error.h"
#include "support/permissions_enforced.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace pixmorrow {
namespace {

QByteArray bom(const QByteArray& text) {
    return QByteArray("\xEF\xBB\xBF") + text;
}

QByteArray roundTrip(const QByteArray& input) {
    IniStore store;
    store.parse(input);
    return store.serialize();
}

TEST(IniStoreTest, ReadsAndRewritesTheFileFormat) {
    struct Case {
        const char* what;
        QByteArray input;
        QByteArray written;
    } cases[] = {
        {"empty file", "", bom("")},
        {"byte-order mark skipped, LF ends", bom("[S]\nk=v\n"), bom("[S]\r\nk=v\r\n\r\n")},
        {"CR alone ends lines", "[S]\rk=v\rj=w", bom("[S]\r\nk=v\r\nj=w\r\n\r\n")},
        {"blanks trimmed around lines, keys and values", "  [ S ]  \r\n  k  =  v w  \r\n",
         bom("[S]\r\nk=v w\r\n\r\n")},
        {"split at the first =", "[S]\nurl=a=b\n", bom("[S]\r\nurl=a=b\r\n\r\n")},
        {"comments and lines before the first section dropped",
         "top=1\n; note\n[S]\n;k=old\nk=v\n\n", bom("[S]\r\nk=v\r\n\r\n")},
        {"a repeated section continues the first", "[A]\na=1\n[b]\nb=1\n[a]\nc=2\n",
         bom("[A]\r\na=1\r\nc=2\r\n\r\n[b]\r\nb=1\r\n\r\n")},
        {"a line without = survives", "[S]\njust words\n", bom("[S]\r\njust words\r\n\r\n")},
        {"non-ASCII text kept", "[S]\nDestination=/home/jörg/Bilder\n",
         bom("[S]\r\nDestination=/home/jörg/Bilder\r\n\r\n")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(roundTrip(c.input), c.written) << c.what;
}

TEST(IniStoreTest, MatchesSectionsAndKeysWithoutCaseAndKeepsTheFirstSpelling) {
    IniStore store;
    store.parse("[settings]\noutputquality=70\nOutputQuality=20\n");
    EXPECT_EQ(store.value("Settings", "OUTPUTQUALITY"), QStringLiteral("70"));
    EXPECT_TRUE(store.contains("SETTINGS", "outputQuality"));
    EXPECT_EQ(store.value("Settings", "Destination", "none"), QStringLiteral("none"));
    store.setValue("Settings", "OutputQuality", "55");
    store.setValue("SETTINGS", "Destination", "/tmp");
    store.setValue("New", "k", "v");
    EXPECT_EQ(store.serialize(),
              bom("[settings]\r\noutputquality=55\r\nOutputQuality=20\r\nDestination=/tmp\r\n\r\n"
                  "[New]\r\nk=v\r\n\r\n"));
}

TEST(IniStoreTest, SaveReplacesTheFileWholeAndLeavesNoTemporaryFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(
            "[Settings]\nOutputQuality=10\nAVeryLongLineThatMakesTheOldFileLongerThanTheNewOne="
            "x\n");
    }
    ::chmod(QFile::encodeName(path).constData(), 0640);
    IniStore store;
    store.setValue("Settings", "OutputQuality", "80");
    store.save(path);

    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), bom("[Settings]\r\nOutputQuality=80\r\n\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.ini"});
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "a hand-set mode is kept";
}

TEST(IniStoreTest, AFailedSaveThrowsAndKeepsTheOldFile) {
    QTemporaryDir dir;
    IniStore store;
    store.setValue("Settings", "OutputQuality", "80");
    EXPECT_THROW(store.save(dir.filePath("missing/settings.ini")), Error);

    // The target is a folder: the rename fails, nothing half-written stays behind.
    ASSERT_TRUE(QDir(dir.path()).mkdir("settings.ini"));
    try {
        store.save(dir.filePath("settings.ini"));
        FAIL() << "saving over a folder succeeded";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains("settings.ini")) << e.message().toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"settings.ini"});
}

// A line break would split a value into lines of its own, one of them maybe a key or a
// section: refused, and nothing changes.
TEST(IniStoreTest, ALineBreakInANameOrValueIsRefused) {
    IniStore store;
    store.setValue("Settings", "OutputQuality", "80");
    const QByteArray before = store.serialize();
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"Settings", "Destination", "/tmp/x\r\nOutputQuality=1"},
        {"Settings", "Destination", "/tmp/x\n[Other]"},
        {"Settings", "Destination", "/tmp/x\r"},
        {"Settings", "Dest\nination", "/tmp"},
        {"Sett\r\nings", "Destination", "/tmp"},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(store.setValue(c.section, c.key, c.value), Error) << c.value;
    }
    EXPECT_EQ(store.serialize(), before);
}

// The file is there but cannot be read: saving would replace what it holds with the little
// this store knows, so the file is left as it is.
TEST(IniStoreTest, NothingIsSavedOverAFileThatCouldNotBeRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini");
    const QByteArray held = bom("[Settings]\r\nOutputQuality=42\r\nMine=keep\r\n\r\n");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(held);
    }
    ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0), 0);
    IniStore store;
    {
        const testing::PermissionsEnforced enforced;
        ASSERT_TRUE(enforced.ok());
        store.load(path);
    }
    EXPECT_TRUE(store.readFailed());
    store.setValue("Settings", "OutputQuality", "80");
    EXPECT_THROW(store.save(path), Error);
    ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0644), 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), held);

    // A missing file is a fresh start, not a failure.
    store.load(dir.filePath("other.ini"));
    EXPECT_FALSE(store.readFailed());
}

// A settings.ini that is a link (to a file kept elsewhere) stays a link; the file it leads to
// gets the new contents.
TEST(IniStoreTest, ALinkStaysALink) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("kept"));
    const QString real = dir.filePath("kept/real.ini");
    const QString link = dir.filePath("settings.ini");
    {
        QFile file(real);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bom("[Settings]\r\nOutputQuality=42\r\n\r\n"));
    }
    ASSERT_EQ(::symlink("kept/real.ini", link.toLocal8Bit().constData()), 0);
    IniStore store;
    store.load(link);
    store.setValue("Settings", "OutputQuality", "70");
    store.save(link);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    QFile file(real);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bom("[Settings]\r\nOutputQuality=70\r\n\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"kept", "settings.ini"}));
}

TEST(IniStoreTest, AMissingFileReadsAsAnEmptyStore) {
    IniStore store;
    store.parse("[x]\na=b\n");
    store.load("/nonexistent/settings.ini");
    EXPECT_TRUE(store.sections().empty());
}

}  // namespace
}  // namespace pixmorrow

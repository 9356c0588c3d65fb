// The write test of a folder: a probe that neither trips over what the folder holds nor over
// other processes probing it at the same moment.
#include "platform/writable_folder.h"

#include "support/permissions_enforced.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace pixmorrow {
namespace {

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(WritableFolderTest, AnswersForTheFolderAndLeavesWhatItHoldsAsItWas) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plain = dir.filePath("plain");
    const QString leftovers = dir.filePath("leftovers");
    const QString readOnly = dir.filePath("read-only");
    for (const QString& folder : {plain, leftovers, readOnly})
        ASSERT_TRUE(QDir().mkpath(folder));
    // Probe files an earlier version or a crashed run left behind.
    writeFile(leftovers + "/chk.tmp", "left over");
    writeFile(leftovers + "/.chk-AAAAAA", "left over too");
    ASSERT_TRUE(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));

    struct Case {
        QString folder;
        bool writable;
        QStringList after;
    } cases[] = {
        {plain, true, {}},
        {plain + "/", true, {}},
        {leftovers, true, {".chk-AAAAAA", "chk.tmp"}},
        {readOnly, false, {}},
        {dir.filePath("missing"), false, {}},
        {leftovers + "/chk.tmp", false, {".chk-AAAAAA", "chk.tmp"}},
    };
    // Root, as on CI, would write into the read-only folder anyway.
    const testing::PermissionsEnforced enforced;
    ASSERT_TRUE(enforced.ok());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        EXPECT_EQ(isFolderWritable(c.folder), c.writable);
        const QString folder = c.folder.endsWith("chk.tmp") ? leftovers : c.folder;
        if (QFileInfo(folder).isDir())
            EXPECT_EQ(entries(folder), c.after);
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(WritableFolderTest, ManyProbesOfOneFolderAtOnceAllSucceed) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    constexpr int kThreads = 8;
    constexpr int kRounds = 200;
    std::atomic<int> refused{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            while (!go.load())
                std::this_thread::yield();
            for (int i = 0; i < kRounds; ++i) {
                if (!isFolderWritable(dir.path()))
                    ++refused;
            }
        });
    }
    go = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(refused.load(), 0);
    EXPECT_TRUE(entries(dir.path()).isEmpty()) << entries(dir.path()).join(", ").toStdString();
}

}  // namespace
}  // namespace pixmorrow

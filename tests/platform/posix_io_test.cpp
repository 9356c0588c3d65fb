#include "platform/posix_io.h"
#include "support/scoped_move_seam.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <thread>

namespace pixmorrow::posix {
namespace {

std::string contentOf(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

mode_t modeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

TEST(AtomicWrite, ReplacesOrRefusesAndLeavesOnlyTheFile) {
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("settings.ini")).toStdString();
    auto write = [&path](const std::string& text, ExistingFile existing, mode_t mode) {
        return writeFileAtomically(path, text.data(), text.size(), existing, mode);
    };
    EXPECT_EQ(write("first", ExistingFile::Refuse, 0640), 0);
    EXPECT_EQ(write("second", ExistingFile::Refuse, 0600), EEXIST);
    EXPECT_EQ(contentOf(path), "first");
    EXPECT_EQ(modeOf(path), 0640u);
    EXPECT_EQ(write("third, longer than the first", ExistingFile::Replace, 0604), 0);
    EXPECT_EQ(contentOf(path), "third, longer than the first");
    EXPECT_EQ(modeOf(path), 0604u);
    // A folder in the way: the move fails, and the temporary file goes again.
    const std::string folder = dir.filePath(QStringLiteral("taken")).toStdString();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken")));
    EXPECT_NE(writeFileAtomically(folder, "x", 1, ExistingFile::Replace, 0644), 0);
    EXPECT_EQ(writeFileAtomically(folder, "x", 1, ExistingFile::Refuse, 0644), EEXIST);
    EXPECT_EQ(writeFileAtomically(dir.filePath(QStringLiteral("none/x")).toStdString(), "x", 1,
                                  ExistingFile::Refuse, 0644),
              ENOENT);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"settings.ini", "taken"}));
}

QStringList entries(const QTemporaryDir& dir) {
    return QDir(dir.path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The name is checked before the temporary file is written, but only the move itself can
// refuse a file that took the name meanwhile; on both roads of the move.
TEST(AtomicWrite, ANameTakenAfterTheTemporaryWasWrittenIsNeverReplaced) {
    using testing::MoveRoad;
    for (const MoveRoad road : {MoveRoad::Renameat2, MoveRoad::LinkAndUnlink}) {
        SCOPED_TRACE(testing::roadName(road));
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("out.png")).toStdString();
        const testing::ScopedMoveSeam seam(
            road, [&](const std::string& from, const std::string& to) {
                EXPECT_EQ(contentOf(from), "ours") << "the temporary is written before the move";
                QFile other(QString::fromStdString(to));
                ASSERT_TRUE(other.open(QIODevice::NewOnly));
                other.write("someone else's");
            });
        EXPECT_EQ(writeFileAtomically(path, "ours", 4, ExistingFile::Refuse, 0644), EEXIST);
        EXPECT_EQ(contentOf(path), "someone else's");
        EXPECT_EQ(entries(dir), QStringList{"out.png"}) << "the temporary stays behind";
    }
}

TEST(AtomicWrite, BothRoadsOfTheMoveLeaveOnlyTheFile) {
    using testing::MoveRoad;
    for (const MoveRoad road : {MoveRoad::Renameat2, MoveRoad::LinkAndUnlink}) {
        SCOPED_TRACE(testing::roadName(road));
        QTemporaryDir dir;
        const testing::ScopedMoveSeam seam(road);
        const std::string path = dir.filePath(QStringLiteral("out.png")).toStdString();
        EXPECT_EQ(writeFileAtomically(path, "ours", 4, ExistingFile::Refuse, 0640), 0);
        EXPECT_EQ(contentOf(path), "ours");
        EXPECT_EQ(modeOf(path), 0640u);
        EXPECT_EQ(entries(dir), QStringList{"out.png"});
        // A move straight into a taken name, and into a missing folder.
        const std::string other = dir.filePath(QStringLiteral("other")).toStdString();
        ASSERT_EQ(writeFileAtomically(other, "x", 1, ExistingFile::Refuse, 0644), 0);
        EXPECT_EQ(moveNoReplace(other, path), EEXIST);
        EXPECT_EQ(moveNoReplace(other, dir.filePath(QStringLiteral("none/x")).toStdString()),
                  ENOENT);
        EXPECT_EQ(contentOf(path), "ours");
        EXPECT_EQ(contentOf(other), "x");
    }
}

TEST(PosixIo, ReadAllAndWriteAllTakeEveryByteUpToTheEnd) {
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    FileDescriptor readEnd(ends[0]);
    FileDescriptor writeEnd(ends[1]);
    EXPECT_EQ(writeAll(writeEnd.get(), "abc", 3), 0);
    EXPECT_EQ(writeAll(writeEnd.get(), "de", 2), 0);
    EXPECT_EQ(writeEnd.close(), 0);
    EXPECT_FALSE(writeEnd.valid());

    char buffer[8] = {};
    std::size_t done = 0;
    EXPECT_EQ(readAll(readEnd.get(), buffer, 4, done), 0);
    EXPECT_EQ(std::string(buffer, done), "abcd");
    EXPECT_EQ(readAll(readEnd.get(), buffer, sizeof buffer, done), 0);
    EXPECT_EQ(std::string(buffer, done), "e") << "the end of the file ends the read";

    const int taken = readEnd.release();
    EXPECT_FALSE(readEnd.valid());
    EXPECT_EQ(readAll(taken, buffer, 1, done), 0) << "release() left it open";
    ::close(taken);
    EXPECT_EQ(readAll(-1, buffer, 1, done), EBADF);
    EXPECT_EQ(writeAll(-1, "x", 1), EBADF);
}

}  // namespace
}  // namespace pixmorrow::posix

namespace pixmorrow {
namespace {

// The mask is read, never set: setting it even for a moment (to 0, as reading it through
// umask() needs) would let files another thread creates meanwhile be made writable by all.
TEST(ProcessUmask, IsReadOnceWithoutChangingIt) {
    const mode_t original = ::umask(027);
    // Another thread watching the mask sees it change at no point.
    std::atomic<bool> stop{false};
    std::atomic<bool> changed{false};
    std::thread watcher([&] {
        while (!stop.load()) {
            QFile status(QStringLiteral("/proc/self/status"));
            if (status.open(QIODevice::ReadOnly) && !status.readAll().contains("\nUmask:\t0027\n"))
                changed = true;
        }
    });
    EXPECT_EQ(posix::processUmask(), mode_t(027));
    EXPECT_EQ(posix::processUmask(), mode_t(027));
    stop = true;
    watcher.join();
    EXPECT_FALSE(changed.load());
    EXPECT_EQ(::umask(original), mode_t(027));
}

}  // namespace
}  // namespace pixmorrow

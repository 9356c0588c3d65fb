#include "queue/intake.h"
#include "queue/image_queue.h"
#include "support/permissions_enforced.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace pixmorrow {
namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

std::vector<QString> names(const ImageQueue& q, const QString& root) {
    std::vector<QString> out;
    for (const TMyRecord& r : q.items())
        out.push_back(QDir(root).relativeFilePath(r.FName));
    return out;
}

// The entries of a folder in the order the file system lists them.
QStringList listingOrder(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext())
        out << it.next().section(u'/', -1);
    return out;
}

class IntakeTest : public ::testing::Test {
protected:
    Intake intake() {
        return Intake(queue, {[this] { return includeSubfolders; },
                              [this] {
                                  ++added;
                                  if (afterAdd)
                                      afterAdd();
                              }});
    }
    QTemporaryDir dir;
    ImageQueue queue;
    bool includeSubfolders = true;
    int added = 0;
    std::function<void()> afterAdd;
};

TEST_F(IntakeTest, ScansDepthFirstInListingOrderAndHonoursIncludeSubfolders) {
    touch(dir.filePath("a.png"));
    touch(dir.filePath("sub/b.png"));
    touch(dir.filePath("c.txt"));
    std::vector<QString> expected;
    for (const QString& entry : listingOrder(dir.path())) {
        if (entry == "a.png")
            expected.push_back("a.png");
        if (entry == "sub")
            expected.push_back("sub/b.png");
    }
    intake().AddAllFilesInDir(dir.path());
    EXPECT_EQ(names(queue, dir.path()), expected);
    EXPECT_EQ(added, 2);

    queue.clear();
    includeSubfolders = false;
    intake().AddAllFilesInDir(dir.path() + "/");  // a trailing separator is not doubled
    ASSERT_EQ(queue.size(), 1u);
    EXPECT_EQ(queue.at(0).FName, dir.filePath("a.png"));
}

TEST_F(IntakeTest, HiddenFilesAndFoldersAreScannedToo) {
    touch(dir.filePath(".hidden.jpg"));
    touch(dir.filePath(".cache/x.webp"));
    intake().AddAllFilesInDir(dir.path());
    std::vector<QString> got = names(queue, dir.path());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<QString>{".cache/x.webp", ".hidden.jpg"}));
}

TEST_F(IntakeTest, AFolderLinkBackIntoTheScanIsNotFollowedAgain) {
    touch(dir.filePath("top/a.png"));
    touch(dir.filePath("top/inner/b.png"));
    ASSERT_EQ(::symlink(dir.filePath("top").toLocal8Bit().constData(),
                        dir.filePath("top/inner/loop").toLocal8Bit().constData()),
              0);
    // A link to a folder elsewhere still counts as a folder.
    touch(dir.filePath("other/c.png"));
    ASSERT_EQ(::symlink(dir.filePath("other").toLocal8Bit().constData(),
                        dir.filePath("top/elsewhere").toLocal8Bit().constData()),
              0);
    intake().AddAllFilesInDir(dir.filePath("top"));
    std::vector<QString> got = names(queue, dir.filePath("top"));
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<QString>{"a.png", "elsewhere/c.png", "inner/b.png"}));
}

// Thirty folders, each with one picture and two links to the next: entered once per path,
// the last would be scanned 2^29 times (ctest's time-out catches that); entered once per
// scan, every picture is queued once.
TEST_F(IntakeTest, CrossingLinksEnterEachFolderOnce) {
    constexpr int kLevels = 30;
    for (int i = 0; i < kLevels; ++i) {
        touch(dir.filePath(QStringLiteral("level%1/p%1.png").arg(i)));
        if (i == 0)
            continue;
        for (const char* name : {"left", "right"}) {
            const QString link = dir.filePath(QStringLiteral("level%1/%2").arg(i - 1).arg(name));
            ASSERT_EQ(
                ::symlink(dir.filePath(QStringLiteral("level%1").arg(i)).toLocal8Bit().constData(),
                          link.toLocal8Bit().constData()),
                0);
        }
    }
    intake().AddAllFilesInDir(dir.filePath("level0"));
    std::vector<QString> got;
    for (const TMyRecord& r : queue.items())
        got.push_back(QFileInfo(r.FName).fileName());
    std::sort(got.begin(), got.end());
    std::vector<QString> expected;
    for (int i = 0; i < kLevels; ++i)
        expected.push_back(QStringLiteral("p%1.png").arg(i));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);
}

TEST_F(IntakeTest, UnreadableAndMissingFoldersAreSkippedSilently) {
    intake().AddAllFilesInDir(dir.filePath("missing"));
    touch(dir.filePath("locked/a.png"));
    touch(dir.filePath("open/b.png"));
    ::chmod(dir.filePath("locked").toLocal8Bit().constData(), 0);
    {
        // Root, as on CI, would read it anyway.
        const testing::PermissionsEnforced enforced;
        ASSERT_TRUE(enforced.ok());
        intake().AddAllFilesInDir(dir.path());
    }
    ::chmod(dir.filePath("locked").toLocal8Bit().constData(), 0755);
    bool sawOpen = false, sawLocked = false;
    for (const TMyRecord& r : queue.items()) {
        sawOpen |= r.FName.endsWith("open/b.png");
        sawLocked |= r.FName.endsWith("locked/a.png");
    }
    EXPECT_TRUE(sawOpen);
    EXPECT_FALSE(sawLocked);
}

TEST_F(IntakeTest, CommandsDuringTheEventPassesLeaveTheScanCorrect) {
    for (int i = 0; i < 20; ++i)
        touch(dir.filePath(QStringLiteral("f%1.png").arg(i)));
    touch(dir.filePath("second/s.png"));
    // Clear after the third file, then a nested scan of another folder and a delete.
    afterAdd = [this] {
        if (added == 3)
            queue.clear();
        if (added == 5) {
            afterAdd = nullptr;
            intake().AddAllFilesInDir(dir.filePath("second"));
            queue.removeAt(0);
        }
    };
    includeSubfolders = false;
    intake().AddAllFilesInDir(dir.path());
    // 20 files found; 3 cleared; the nested scan added one and one entry was removed.
    EXPECT_EQ(queue.size(), 17u + 1u - 1u);
    for (const TMyRecord& r : queue.items())
        EXPECT_TRUE(QFileInfo::exists(r.FName));
}

TEST_F(IntakeTest, DroppedAndCommandLinePathsAreTestedOrScanned) {
    touch(dir.filePath("shots/one.jpg"));
    touch(dir.filePath("real.png"));
    intake().addPaths({dir.filePath("My Pictures/x.webp"), dir.filePath("shots"), "readme.txt",
                       dir.filePath("real.png"), dir.filePath("real.png")});
    EXPECT_EQ(names(queue, dir.path()), (std::vector<QString>{"My Pictures/x.webp", "shots/one.jpg",
                                                              "real.png", "real.png"}));

    queue.clear();
    intake().addChosenFiles({"notes.txt", "/missing/a.png"});
    EXPECT_EQ(queue.size(), 2u);
}

// Relative paths (a command line, a drop, a folder) enter the queue absolute, against the
// working folder of the moment: the external tool later runs in a folder of its own.
TEST_F(IntakeTest, RelativePathsEnterTheQueueAbsolute) {
    touch(dir.filePath("photo.heic"));
    touch(dir.filePath("-dash.png"));
    touch(dir.filePath("sub/inner.gif"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QString here = QDir::currentPath();
    Intake roads = intake();
    roads.addPaths({"photo.heic", "./-dash.png", "sub"});
    roads.addChosenFiles({"photo.heic"});
    roads.AddMyFolder(QStringLiteral("./sub"));
    QDir::setCurrent(previous);
    std::vector<QString> queued;
    for (const TMyRecord& r : queue.items())
        queued.push_back(r.FName);
    EXPECT_EQ(queued, (std::vector<QString>{here + "/photo.heic", here + "/-dash.png",
                                            here + "/sub/inner.gif", here + "/photo.heic",
                                            here + "/sub/inner.gif"}));
}

// Every file a scan adds remembers the folder the scan started at, however deep it lies;
// files added by themselves have none. A relative folder is remembered absolute.
TEST_F(IntakeTest, ScannedFilesRememberTheFolderTheScanStartedAt) {
    touch(dir.filePath("album/a.png"));
    touch(dir.filePath("album/2020/deep/b.jpg"));
    touch(dir.filePath("loose.png"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QString here = QDir::currentPath();
    Intake roads = intake();
    roads.addPaths({"album", "loose.png"});
    roads.addChosenFiles({"loose.png"});
    roads.AddMyFolder(QStringLiteral("album/2020"));
    QDir::setCurrent(previous);
    std::vector<std::pair<QString, QString>> found;
    for (const TMyRecord& r : queue.items())
        found.emplace_back(QDir(here).relativeFilePath(r.FName), r.scanRoot);
    std::sort(found.begin(), found.begin() + 2);  // the scan's listing order
    const QString album = here + "/album";
    EXPECT_EQ(found, (std::vector<std::pair<QString, QString>>{
                         {"album/2020/deep/b.jpg", album},
                         {"album/a.png", album},
                         {"loose.png", QString()},
                         {"loose.png", QString()},
                         {"album/2020/deep/b.jpg", album + "/2020"},
                     }));
}

}  // namespace
}  // namespace pixmorrow

#include "formats/file_io.h"
#include "formats/readers.h"
#include "formats/test_support.h"
#include "support/permissions_enforced.h"
#include "support/scoped_move_seam.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace pixmorrow::formats {
namespace {

using testing::TempFolder;

std::size_t entries(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(WriteFileNoReplace, WritesANewFileWithNothingElseLeft) {
    TempFolder folder;
    const std::string path = folder.file("out.bin");
    const std::vector<std::uint8_t> data = {1, 2, 3, 4, 5};
    writeFileNoReplace(path, data);
    EXPECT_EQ(testing::readBytes(path), data);
    EXPECT_EQ(entries(folder.path()), 1u);
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);

    // An empty file is a file too.
    writeFileNoReplace(folder.file("empty"), {});
    EXPECT_TRUE(std::filesystem::exists(folder.file("empty")));
}

TEST(WriteFileNoReplace, RefusesAnExistingNameAndKeepsItsContent) {
    TempFolder folder;
    const std::string path = folder.file("taken");
    testing::writeBytes(path, {9});
    try {
        writeFileNoReplace(path, std::vector<std::uint8_t>{1});
        FAIL() << "replaced";
    } catch (const FileExistsError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write " + path + ": File exists");
    }
    EXPECT_EQ(testing::readBytes(path), std::vector<std::uint8_t>{9});
    // A dangling symbolic link also holds the name.
    std::filesystem::create_symlink(folder.file("nowhere"), folder.file("link"));
    EXPECT_THROW(writeFileNoReplace(folder.file("link"), std::vector<std::uint8_t>{1}),
                 FileExistsError);
    EXPECT_FALSE(std::filesystem::exists(folder.file("nowhere")));
    EXPECT_EQ(entries(folder.path()), 2u);
    // A file that takes the name while the temporary is written.
    const std::string late = folder.file("late");
    const pixmorrow::testing::ScopedMoveSeam seam(
        pixmorrow::testing::MoveRoad::Renameat2,
        [](const std::string&, const std::string& to) { testing::writeBytes(to, {8}); });
    try {
        writeFileNoReplace(late, std::vector<std::uint8_t>{1});
        FAIL() << "replaced";
    } catch (const FileExistsError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write " + late + ": File exists");
    }
    EXPECT_EQ(testing::readBytes(late), std::vector<std::uint8_t>{8});
    EXPECT_EQ(entries(folder.path()), 3u);
}

TEST(WriteFileNoReplace, OtherFailuresNameThePathAndReason) {
    TempFolder folder;
    const std::string missing = folder.file("no/such/folder/x.png");
    try {
        writeFileNoReplace(missing, std::vector<std::uint8_t>{1});
        FAIL();
    } catch (const FileExistsError&) {
        FAIL() << "wrong type";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write " + missing + ": No such file or directory");
    }
    // A folder without write permission.
    const std::string locked = folder.file("locked");
    std::filesystem::create_directory(locked);
    chmod(locked.c_str(), 0500);
    {
        // Root, as on CI, would write anyway.
        const pixmorrow::testing::PermissionsEnforced enforced;
        ASSERT_TRUE(enforced.ok());
        try {
            writeFileNoReplace(locked + "/x", std::vector<std::uint8_t>{1});
            ADD_FAILURE() << "written";
        } catch (const FileExistsError&) {
            ADD_FAILURE() << "wrong type";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot write " + locked + "/x: Permission denied");
        }
    }
    chmod(locked.c_str(), 0700);
    EXPECT_EQ(entries(locked), 0u);
}

TEST(ReadWholeFile, ReadsAndRefusesClearly) {
    TempFolder folder;
    const std::string path = folder.file("in");
    testing::writeBytes(path, {4, 5, 6});
    EXPECT_EQ(readWholeFile(path), (std::vector<std::uint8_t>{4, 5, 6}));
    try {
        readWholeFile(path, 2);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "File is too large: " + path);
    }
    try {
        readWholeFile(folder.file("none"));
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot read " + folder.file("none") + ": No such file or directory");
    }
    // A file nobody may read.
    const std::string locked = folder.file("locked");
    testing::writeBytes(locked, {1});
    chmod(locked.c_str(), 0);
    {
        // Root, as on CI, would read it anyway.
        const pixmorrow::testing::PermissionsEnforced enforced;
        ASSERT_TRUE(enforced.ok());
        try {
            readWholeFile(locked);
            ADD_FAILURE() << "read";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot read " + locked + ": Permission denied");
        }
    }
}

// A named pipe nobody writes to, a device and a socket are refused at once instead of
// blocking the reader (ctest's time-out bounds this test) or reading without end.
TEST(ReadWholeFile, OnlyARegularFileIsRead) {
    TempFolder folder;
    const std::string pipe = folder.file("pipe.png");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string socketPath = folder.file("socket.png");
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (const std::string& path : {pipe, std::string("/dev/zero"), socketPath}) {
        SCOPED_TRACE(path);
        try {
            readWholeFile(path);
            ADD_FAILURE() << "read";
        } catch (const std::runtime_error& e) {
            // A socket cannot even be opened; what matters is the prompt, clear refusal.
            const std::string expected = path == socketPath
                                             ? "Cannot read " + path + ": No such device or address"
                                             : path + " is not a regular file";
            EXPECT_EQ(std::string(e.what()), expected);
        }
    }
    ::close(listener);
}

// Inputs the fuzzers once tripped over, kept in fuzz/crashes/<target>/ (ctest's
// fuzz_replay_<target> replays them too, and the sanitizer build checks them for leaks): each
// fails with its own error, checked here. Every kept input of the readers is named here, so
// a new one comes with the error it must give.
TEST(FuzzRegressions, StayFixed) {
    const std::filesystem::path crashes(PIXMORROW_FUZZ_CRASHES);
    const struct {
        const char* target;
        const char* name;
        DecodedImage (*decode)(Bytes);
        const char* error;
        ErrorKind kind;
    } cases[] = {
        // Both carry an IDAT chunk whose CRC does not match its data.
        {"png", "png-idat-crc-leak.png", decodePng, "PNG: CRC error in IDAT chunk",
         ErrorKind::Corrupt},
        {"ico", "ico-png-entry-leak.ico", decodeIco, "PNG: CRC error in IDAT chunk",
         ErrorKind::Corrupt},
    };
    std::vector<std::string> named;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        named.push_back(std::string(c.target) + "/" + c.name);
        try {
            c.decode(testing::readBytes((crashes / c.target / c.name).string()));
            ADD_FAILURE() << "decoded";
        } catch (const DecodeError& e) {
            EXPECT_STREQ(e.what(), c.error);
            EXPECT_EQ(e.kind(), c.kind);
        }
    }
    for (const char* target : {"png", "gif", "bmp", "ico", "wbmp"}) {
        if (!std::filesystem::is_directory(crashes / target))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(crashes / target)) {
            const std::string name = target + ("/" + entry.path().filename().string());
            EXPECT_NE(std::find(named.begin(), named.end(), name), named.end())
                << name << " is kept without the error it must give";
        }
    }
}

}  // namespace
}  // namespace pixmorrow::formats

#include "formats/file_io.h"
#include "formats/readers.h"
#include "formats/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

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
    // A folder without write permission (root may write anyway, so only checked otherwise).
    if (geteuid() != 0) {
        const std::string locked = folder.file("locked");
        std::filesystem::create_directory(locked);
        chmod(locked.c_str(), 0500);
        EXPECT_THROW(writeFileNoReplace(locked + "/x", std::vector<std::uint8_t>{1}),
                     std::runtime_error);
        chmod(locked.c_str(), 0700);
        EXPECT_EQ(entries(locked), 0u);
    }
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
}

// Inputs the fuzzers once tripped over; each must keep failing cleanly.
TEST(FuzzRegressions, StayFixed) {
    const std::filesystem::path fixtures =
        std::filesystem::path(PIXMORROW_FORMATS_FIXTURES) / "fuzz";
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(fixtures)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".wmp")
            continue;  // read by the imaging component's tests
        SCOPED_TRACE(entry.path().filename().string());
        const auto bytes = testing::readBytes(entry.path().string());
        try {
            if (extension == ".png")
                decodePng(bytes);
            if (extension == ".gif")
                decodeGif(bytes);
            if (extension == ".bmp")
                decodeBmp(bytes);
            if (extension == ".ico")
                decodeIco(bytes);
            if (extension == ".jpg") {
                readExifOrientation(bytes);
                decodeJpeg(bytes);
            }
        } catch (const DecodeError& e) {
            EXPECT_GT(std::strlen(e.what()), 0u);
        }
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace pixmorrow::formats

#include "formats/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace pixmorrow::formats {

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

[[noreturn]] void fail(const std::string& path, int error) {
    const std::string text = "Cannot write " + path + ": " + std::strerror(error);
    if (error == EEXIST)
        throw FileExistsError(text);
    throw std::runtime_error(text);
}

// Moves `from` to `to` only when `to` is free. renameat2 does it in one step; file systems
// without it get link() (which also refuses an existing name) and unlink().
int moveNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
    if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
#endif
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    ::unlink(from.c_str());
    return 0;
}

}  // namespace

void writeFileNoReplace(const std::string& path, Bytes data) {
    if (path.empty())
        throw std::runtime_error("Cannot write a file without a name");
    struct stat existing;
    if (::lstat(path.c_str(), &existing) == 0)
        fail(path, EEXIST);

    std::string temp = folderOf(path) + "/.pixmorrow-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        fail(path, errno);
    auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        fail(path, error);
    };
    // mkostemp makes the file 0600; outputs get the usual permissions under the umask.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0)
        abandon(errno);

    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            abandon(errno);
        }
        if (n == 0)
            abandon(ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        abandon(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        fail(path, error);
    }
    if (const int error = moveNoReplace(temp, path); error != 0) {
        ::unlink(temp.c_str());
        fail(path, error);
    }
}

std::vector<std::uint8_t> readWholeFile(const std::string& path, std::uint64_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("Cannot read " + path + ": " + std::strerror(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info;
    if (::fstat(fd, &info) != 0)
        throw std::runtime_error("Cannot read " + path + ": " + std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        throw std::runtime_error("Cannot read " + path + ": " + std::strerror(EISDIR));
    if (!S_ISREG(info.st_mode))
        throw std::runtime_error("Cannot read " + path + ": not a regular file");
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes)
        throw std::runtime_error("File is too large: " + path);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("Cannot read " + path + ": " + std::strerror(errno));
        }
        if (n == 0)
            break;  // the file shrank while we read it
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

}  // namespace pixmorrow::formats

#include "platform/posix_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace pixmorrow::posix {

namespace {

mode_t readUmask() noexcept {
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        char text[4096];
        std::size_t done = 0;
        const int error = readAll(fd, text, sizeof text - 1, done);
        ::close(fd);
        text[done] = '\0';
        const char* line = error == 0 ? std::strstr(text, "\nUmask:") : nullptr;
        if (line != nullptr) {
            char* end = nullptr;
            const unsigned long mask = std::strtoul(line + 7, &end, 8);
            if (end != line + 7 && mask <= 0777)
                return static_cast<mode_t>(mask);
        }
    }
    const mode_t mask = ::umask(077);
    ::umask(mask);
    return mask;
}

}  // namespace

mode_t processUmask() noexcept {
    static const mode_t mask = readUmask();
    return mask;
}

void FileDescriptor::reset(int fd) noexcept {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

int FileDescriptor::release() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

int FileDescriptor::close() noexcept {
    // The descriptor is gone after close() even when it fails, so it is never closed twice.
    const int fd = release();
    return fd >= 0 && ::close(fd) != 0 ? errno : 0;
}

int writeAll(int fd, const void* data, std::size_t size) noexcept {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

int readAll(int fd, void* data, std::size_t size, std::size_t& done) noexcept {
    auto* p = static_cast<std::uint8_t*>(data);
    done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, p + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

NoReplaceMoveSeam noReplaceMoveSeam;

int moveNoReplace(const std::string& from, const std::string& to) {
    if (noReplaceMoveSeam.beforeMove)
        noReplaceMoveSeam.beforeMove(from, to);
#ifdef SYS_renameat2
    if (!noReplaceMoveSeam.linkAndUnlink) {
        if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                      RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
            return errno;
    }
#endif
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    ::unlink(from.c_str());
    return 0;
}

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

int move(const std::string& from, const std::string& to, ExistingFile existing) {
    if (existing == ExistingFile::Refuse)
        return moveNoReplace(from, to);
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int writeAndClose(FileDescriptor& file, const void* data, std::size_t size, mode_t permissions) {
    // mkostemp makes the file 0600; the caller says what it should be.
    if (::fchmod(file.get(), permissions) != 0)
        return errno;
    if (const int error = writeAll(file.get(), data, size); error != 0)
        return error;
    if (::fsync(file.get()) != 0)
        return errno;
    return file.close();
}

}  // namespace

int writeFileAtomically(const std::string& path, const void* data, std::size_t size,
                        ExistingFile existing, mode_t permissions) {
    if (path.empty())
        return ENOENT;
    struct stat taken;
    if (existing == ExistingFile::Refuse && ::lstat(path.c_str(), &taken) == 0)
        return EEXIST;

    const std::string folder = folderOf(path);
    std::string temp = folder + "/.pixmorrow-XXXXXX";
    FileDescriptor file(::mkostemp(temp.data(), O_CLOEXEC));
    if (!file.valid())
        return errno;
    int error = writeAndClose(file, data, size, permissions);
    if (error == 0)
        error = move(temp, path, existing);
    if (error != 0) {
        file.reset();
        ::unlink(temp.c_str());
        return error;
    }
    if (existing == ExistingFile::Replace) {
        // Makes the rename itself durable; a failure here leaves a complete file either way.
        FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.valid())
            ::fsync(dir.get());
    }
    return 0;
}

}  // namespace pixmorrow::posix

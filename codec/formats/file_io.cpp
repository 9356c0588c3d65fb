#include "formats/file_io.h"

#include "platform/posix_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstring>
#include <string>

namespace pixmorrow::formats {

namespace {

[[noreturn]] void failWrite(const std::string& path, int error) {
    const std::string text = "Cannot write " + path + ": " + std::strerror(error);
    if (error == EEXIST)
        throw FileExistsError(text);
    throw std::runtime_error(text);
}

[[noreturn]] void failRead(const std::string& path, const char* reason) {
    throw std::runtime_error("Cannot read " + path + ": " + reason);
}

}  // namespace

void writeFileNoReplace(const std::string& path, Bytes data) {
    if (path.empty())
        throw std::runtime_error("Cannot write a file without a name");
    // Outputs get the usual permissions under the umask.
    const mode_t mask = posix::processUmask();
    const int error = posix::writeFileAtomically(path, data.data(), data.size(),
                                                 posix::ExistingFile::Refuse, 0666 & ~mask);
    if (error != 0)
        failWrite(path, error);
}

std::vector<std::uint8_t> readWholeFile(const std::string& path, std::uint64_t maxBytes) {
    const posix::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid())
        failRead(path, std::strerror(errno));
    struct stat info;
    if (::fstat(file.get(), &info) != 0)
        failRead(path, std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        failRead(path, std::strerror(EISDIR));
    if (!S_ISREG(info.st_mode))
        failRead(path, "not a regular file");
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes)
        throw std::runtime_error("File is too large: " + path);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    // A file that shrank while it was read gives what it still had.
    if (const int error = posix::readAll(file.get(), bytes.data(), bytes.size(), done); error != 0)
        failRead(path, std::strerror(error));
    bytes.resize(done);
    return bytes;
}

}  // namespace pixmorrow::formats

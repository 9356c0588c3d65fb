#pragma once

// Plain POSIX file helpers. No Qt here: the codec library and the JPEG XR helper link them
// too. Failures are errno values for the caller to word.

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>

namespace pixmorrow::posix {

// Owns one open file descriptor and closes it when it goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) noexcept : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        reset(other.release());
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }

    int get() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }
    // Closes the descriptor held and holds `fd` instead.
    void reset(int fd = -1) noexcept;
    // Lets go of the descriptor without closing it.
    int release() noexcept;
    // Closes it now: 0, or the errno value of a failed close (which may mean lost data).
    int close() noexcept;

private:
    int fd_;
};

// The process's file-creation mask, learnt once and kept: read from /proc/self/status, which
// leaves it as it is (setting it, even for a moment, would change it for every other thread).
// Only a system without that line has it set and set back, at the first call, which the
// program makes at start before any thread runs.
mode_t processUmask() noexcept;

// Writes all `size` bytes, again after a signal: 0, or an errno value (ENOSPC when the
// system takes nothing).
int writeAll(int fd, const void* data, std::size_t size) noexcept;

// Reads until `size` bytes are in or the end of the file, again after a signal; `done` says
// how many came. 0, or an errno value.
int readAll(int fd, void* data, std::size_t size, std::size_t& done) noexcept;

// Moves `from` to `to` only when nothing has the name `to`, in one step (renameat2 with
// RENAME_NOREPLACE); file systems without that flag get link(), which refuses an existing name
// too, and unlink(). 0, or an errno value (EEXIST when the name is taken).
int moveNoReplace(const std::string& from, const std::string& to);

// For tests only; unset in the program. `beforeMove` runs at the start of every
// moveNoReplace, where a test makes the target appear after the file to move was written;
// `linkAndUnlink` takes the road of file systems without RENAME_NOREPLACE.
struct NoReplaceMoveSeam {
    std::function<void(const std::string& from, const std::string& to)> beforeMove;
    bool linkAndUnlink = false;
};
extern NoReplaceMoveSeam noReplaceMoveSeam;

// What an atomic write does with a file that already has the name.
enum class ExistingFile {
    Replace,  // replaced in one step; the folder is flushed too, so the new file stays
    Refuse,   // left alone, the write fails with EEXIST (also for a dangling link)
};

// Writes `data` into `path` through a temporary file in the same folder, flushed to disk and
// then moved to `path`: nobody sees a half-written file, and a failure leaves nothing behind.
// The new file gets `permissions`. 0, or an errno value.
int writeFileAtomically(const std::string& path, const void* data, std::size_t size,
                        ExistingFile existing, mode_t permissions);

}  // namespace pixmorrow::posix

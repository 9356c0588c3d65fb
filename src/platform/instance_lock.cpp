#include "platform/instance_lock.h"

#include "platform/program_paths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pixmorrow {

InstanceLock::InstanceLock(const QString& name)
    : path_(withTrailingSeparator(runtimeFolder()) + name) {
    fd_ = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) {
        // A shared lock: the file says an instance runs, and a second one may run too.
        (void)::flock(fd_, LOCK_SH | LOCK_NB);
    }
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

}  // namespace pixmorrow

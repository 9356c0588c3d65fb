#pragma once

#include <QString>

namespace pixmorrow {

// Marks a running instance with a per-user lock file named after the instance name, held
// open for the process's life. It never refuses a second copy: both run side by side.
class InstanceLock {
public:
    explicit InstanceLock(const QString& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    const QString& path() const { return path_; }
    bool held() const { return fd_ >= 0; }

private:
    QString path_;
    int fd_ = -1;
};

}  // namespace pixmorrow

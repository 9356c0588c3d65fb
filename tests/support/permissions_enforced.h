#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pixmorrow::testing {

// While it lives, file permissions bind the calling thread even when it runs as root (as CI
// does): the capabilities that override them leave the thread's effective set and come back
// afterwards. So a test of a folder nobody may write or read runs everywhere instead of
// being skipped for root. Capabilities belong to a thread: the code under test must run on
// the thread that made this.
class PermissionsEnforced {
public:
    PermissionsEnforced() {
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
            reduced[capability / 32].effective &= ~(1u << (capability % 32));
        ok_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~PermissionsEnforced() {
        if (ok_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    PermissionsEnforced(const PermissionsEnforced&) = delete;
    PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;

    // False when the capabilities could not be read or dropped.
    bool ok() const { return ok_; }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool ok_ = false;
};

}  // namespace pixmorrow::testing

#pragma once

#include <atomic>

namespace pixmorrow {

// Asked for on one thread (a Cancel button, a signal handler), seen by every worker of a run
// and by the external tool's runner, which stops the tool.
class CancelToken {
public:
    void cancel() noexcept { cancelled_.store(true, std::memory_order_release); }
    bool cancelled() const noexcept { return cancelled_.load(std::memory_order_acquire); }
    void reset() noexcept { cancelled_.store(false, std::memory_order_release); }

private:
    std::atomic<bool> cancelled_{false};
};

}  // namespace pixmorrow

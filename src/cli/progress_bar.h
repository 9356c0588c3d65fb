#pragma once

#include <QString>

#include <cstdint>

namespace pixmorrow::cli {

// The progress line for `done` of `total` files after `elapsedMs`, within `width` columns:
// "[#####-----]  12/100  3.4 photos/s  0:25 left". Rate and time left wait for the first
// finished file.
QString progressText(std::int64_t done, std::int64_t total, std::uint32_t elapsedMs, int width);

// "m:ss", or "h:mm:ss" from an hour on.
QString clockText(std::uint64_t seconds);

// The progress line on a terminal's standard error, redrawn in place. It draws nothing when
// standard error is not a terminal, so logs and pipes get none of it.
class TerminalProgress {
public:
    // `enabled` false: never draws (--quiet).
    explicit TerminalProgress(bool enabled);

    bool active() const { return active_; }
    void show(std::int64_t done, std::int64_t total, std::uint32_t elapsedMs);
    // Wipes the line, so that other output starts on a clean one.
    void clear();

private:
    bool active_;
    bool shown_ = false;
};

}  // namespace pixmorrow::cli

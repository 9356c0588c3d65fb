#pragma once

#include <QString>

#include <cstdint>

namespace pixmorrow {

// What a run reserves for one file in flight: the decoded picture and the copies the stages
// make of it, per pixel of the header's width x height.
inline constexpr std::int64_t kReservedBytesPerPixel = 16;
// For a file whose header gives no size (a kind read only by the external tool, a damaged
// header).
inline constexpr std::int64_t kUnknownPictureBytes = std::int64_t{128} << 20;

// A quarter of the physical memory; 1 GiB when the system does not tell.
std::int64_t defaultMemoryBudget();

// The bytes reserved for converting `path`: never less than one byte, never more than the
// largest picture the decoders accept would take.
std::int64_t expectedPeakBytes(const QString& path);

// The sum of the reservations of the files in flight never exceeds the limit, except that a
// file larger than the whole limit may run when nothing else does.
class MemoryBudget {
public:
    explicit MemoryBudget(std::int64_t limit) : limit_(limit) {}

    bool admits(std::int64_t cost) const { return count_ == 0 || reserved_ + cost <= limit_; }
    void reserve(std::int64_t cost) {
        reserved_ += cost;
        ++count_;
    }
    void release(std::int64_t cost) {
        reserved_ -= cost;
        --count_;
    }
    std::int64_t reserved() const { return reserved_; }
    std::int64_t limit() const { return limit_; }

private:
    std::int64_t limit_;
    std::int64_t reserved_ = 0;
    int count_ = 0;
};

}  // namespace pixmorrow

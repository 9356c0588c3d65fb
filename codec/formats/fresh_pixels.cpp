#include "formats/fresh_pixels.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <new>

namespace pixmorrow::formats {

namespace {

// Huge pages make a picture's first touch far cheaper; bands are whole huge pages so that
// giving one back never splits a page that is still in use.
constexpr std::size_t kHuge = std::size_t{2} << 20;
constexpr std::size_t kBand = 8 * kHuge;

}  // namespace

FreshPixels::FreshPixels(std::size_t bytes) : size_(bytes) {
    if (bytes > (std::size_t{1} << 46))
        throw std::bad_alloc();
    length_ = (std::max<std::size_t>(bytes, 1) + kHuge - 1) / kHuge * kHuge + kHuge;
    base_ = mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base_ == MAP_FAILED) {
        base_ = nullptr;
        throw std::bad_alloc();
    }
    const auto start = reinterpret_cast<std::uintptr_t>(base_);
    const std::uintptr_t aligned = (start + kHuge - 1) & ~(kHuge - 1);
    data_ = reinterpret_cast<std::uint8_t*>(aligned);
    madvise(data_, length_ - (aligned - start), MADV_HUGEPAGE);
}

FreshPixels::~FreshPixels() {
    if (base_)
        munmap(base_, length_);
}

void FreshPixels::moveInto(std::vector<std::uint8_t>& out) {
    out.clear();
    out.shrink_to_fit();
    out.reserve(size_);
    for (std::size_t at = 0; at < size_; at += kBand) {
        const std::size_t n = std::min(kBand, size_ - at);
        out.insert(out.end(), data_ + at, data_ + at + n);
        // What is copied goes back at once, with the mapping's start before the first band;
        // the mapping is always only what is still ours, so a failure here frees no more.
        auto* end = data_ + at + n;
        if (n == kBand) {
            auto* base = static_cast<std::uint8_t*>(base_);
            const auto done = static_cast<std::size_t>(end - base);
            munmap(base, done);
            base_ = end;
            length_ -= done;
        }
    }
    munmap(base_, length_);
    base_ = nullptr;
    length_ = 0;
    data_ = nullptr;
    size_ = 0;
}

}  // namespace pixmorrow::formats

#include "conversion/run/memory_budget.h"

#include "conversion/run/picture_extent.h"
#include "formats/decode_limits.h"

#include <unistd.h>

#include <algorithm>

namespace pixmorrow {

std::int64_t defaultMemoryBudget() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::int64_t{1} << 30;
    return static_cast<std::int64_t>(pages) * pageSize / 4;
}

std::int64_t expectedPeakBytes(const QString& path) {
    const auto extent = readPictureExtent(path);
    if (!extent)
        return kUnknownPictureBytes;
    // Sides the decoders refuse cost what the largest picture would; the file then fails
    // quickly all the same.
    const std::uint64_t pixels =
        std::min<std::uint64_t>(std::uint64_t{extent->width} * extent->height, formats::kMaxPixels);
    return std::max<std::int64_t>(1, static_cast<std::int64_t>(pixels) * kReservedBytesPerPixel);
}

}  // namespace pixmorrow

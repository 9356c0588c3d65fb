#pragma once

#include <cstdint>

namespace pixmorrow {

// A millisecond tick count that wraps at 2^32, like the system tick counter.
class TickClock {
public:
    virtual ~TickClock() = default;
    virtual std::uint32_t tickCount() = 0;
};

// The real clock: a steady clock truncated to 32 bits.
class SteadyTickClock final : public TickClock {
public:
    std::uint32_t tickCount() override;
};

}  // namespace pixmorrow

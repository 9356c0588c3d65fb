#pragma once

#include "platform/tick_clock.h"

namespace pixmorrow::testing {

// A tick clock the test moves by hand.
class FakeClock final : public TickClock {
public:
    std::uint32_t tickCount() override { return now; }
    std::uint32_t now = 1000;
};

}  // namespace pixmorrow::testing

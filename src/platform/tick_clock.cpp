#include "platform/tick_clock.h"

#include <chrono>

namespace pixmorrow {

std::uint32_t SteadyTickClock::tickCount() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(ms);
}

}  // namespace pixmorrow

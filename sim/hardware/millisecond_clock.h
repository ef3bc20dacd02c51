// The time source the hardware models stamp their register writes with:
// milliseconds of the machine's (usually virtual) clock.
#pragma once

#include <cstdint>
#include <functional>

namespace tunora::sim {

using MillisecondClock = std::function<std::uint64_t()>;

// An empty clock reads 0.
inline std::uint64_t Now(const MillisecondClock& clock) { return clock ? clock() : 0; }

}  // namespace tunora::sim

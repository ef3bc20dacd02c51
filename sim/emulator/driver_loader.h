// The real drivers for a simulated PC switched to them: each image the
// service manager starts (hwgate2.sys, hwgate4.sys) or the 9x device
// loader opens (Hwgt9x.vxd) is executed in the emulator.
#pragma once

#include <cstdint>

#include "sim/os/executed_driver.h"

namespace tunora::emulator {

sim::DriverLoader EmulatedDriverLoader();

// Requests the executed drivers have served in this process, for tests
// that must know the real drivers answered.
std::uint64_t EmulatedRequestsServed();

}  // namespace tunora::emulator

// One hardware operation on the road the context names: the road's driver
// deployed (hwgate4 on NT, reusing the device the start-up kept; Hwgt9x on
// 9x), the configuration space and a way to map physical memory handed to
// the work, and the driver taken down again.
#pragma once

#include <cstdint>
#include <functional>

#include "hwaccess/config_space.h"
#include "hwaccess/deploy.h"

namespace tunora {

// Maps `length` bytes of physical memory into the process; 0 on failure.
using MapFn = std::function<std::uint32_t(std::uint32_t physical, std::uint32_t length)>;

struct RoadUse {
  VxdMessages vxd;
  // 9x: end the process when Hwgt9x cannot be used (else WithRoad
  // returns false).
  bool end_on_vxd_failure = true;
  // NT: how a fresh hwgate4 deployment is taken down.
  Hwgate4Cleanup cleanup = Hwgate4Cleanup::kCloseDeviceDeleteFile;
};

// False when the 9x driver could not be used and the use allows going on.
bool WithRoad(HwContext& hw, const RoadUse& use,
              const std::function<void(ConfigSpace&, const MapFn&)>& work);

}  // namespace tunora

#include "hwaccess/road.h"

#include <optional>

#include "hwaccess/config_access.h"
#include "hwaccess/protocol.h"

namespace tunora {

bool WithRoad(HwContext& hw, const RoadUse& use,
              const std::function<void(ConfigSpace&, const MapFn&)>& work) {
  Devices& devices = hw.platform.devices;
  if (hw.OnNtRoad()) {
    const Handle device = AcquireHwgate4(hw);
    Hwgate4ConfigSpace config(devices, device);
    work(config, [&](std::uint32_t physical, std::uint32_t length) {
      return MapPhysicalNt(devices, device, physical, length);
    });
    ReleaseHwgate4(hw, device, use.cleanup);
    return true;
  }
  const std::optional<Handle> vxd = use.end_on_vxd_failure
                                        ? std::optional<Handle>(DeployHwgt9xOrExit(hw, use.vxd))
                                        : DeployHwgt9x(hw, use.vxd);
  if (!vxd) return false;
  PortConfigSpace config(hw.platform.ports);
  work(config, [&](std::uint32_t physical, std::uint32_t length) {
    return MapPhysical9x(devices, *vxd, physical, length);
  });
  RemoveHwgt9x(hw, *vxd);
  return true;
}

}  // namespace tunora

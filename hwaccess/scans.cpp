#include "hwaccess/scans.h"

#include "hwaccess/config_access.h"
#include "hwaccess/road.h"

namespace tunora {

CardCode ScanForCard(HwContext& hw, DetectedCard& card, AgpStatus& agp) {
  if (!hw.OnNtRoad()) {
    PortConfigSpace config(hw.platform.ports);
    return WalkForCard(config, card, agp);
  }
  Hwgate2Session session = DeployHwgate2OrExit(hw);
  Hwgate2ConfigSpace config(hw.platform.devices, session.device, session.event);
  const CardCode code = WalkForCard(config, card, agp);
  RemoveHwgate2(hw, session);
  return code;
}

AgpSlotResult FindAgpSlotDevice(HwContext& hw) {
  AgpSlotResult result;
  if (!hw.OnNtRoad()) {
    PortConfigSpace config(hw.platform.ports);
    result.found = WalkBusOne(config, result.device);
    return result;
  }
  const Handle device = DeployHwgate4OrExit(hw);
  Hwgate4ConfigSpace config(hw.platform.devices, device);
  result.found = WalkBusOne(config, result.device);
  if (result.found) {
    result.kept_device = device;
    hw.kept_hwgate4 = device;
  } else {
    ReleaseHwgate4(hw, device, Hwgate4Cleanup::kCloseDeviceDeleteFile);
  }
  return result;
}

std::vector<CardListEntry> CountBoards(HwContext& hw) {
  // On 9x the driver is loaded though the walk itself uses the ports.
  std::vector<CardListEntry> list;
  WithRoad(hw, {kVxdMessages, true, Hwgate4Cleanup::kStopDeleteService},
           [&](ConfigSpace& config, const MapFn&) { list = WalkBoards(config); });
  return list;
}

}  // namespace tunora

#include "hwaccess/scans.h"

#include "hwaccess/config_access.h"

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
  if (!hw.OnNtRoad()) {
    // The driver is loaded though the walk itself uses the ports.
    const Handle vxd = DeployHwgt9xOrExit(hw, kVxdMessages);
    PortConfigSpace config(hw.platform.ports);
    std::vector<CardListEntry> list = WalkBoards(config);
    RemoveHwgt9x(hw, vxd);
    return list;
  }
  const Handle device = AcquireHwgate4(hw);
  Hwgate4ConfigSpace config(hw.platform.devices, device);
  std::vector<CardListEntry> list = WalkBoards(config);
  ReleaseHwgate4(hw, device, Hwgate4Cleanup::kStopDeleteService);
  return list;
}

}  // namespace tunora

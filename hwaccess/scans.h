// The PCI walks with the driver each road needs around them.
#pragma once

#include <cstdint>
#include <vector>

#include "hwaccess/deploy.h"
#include "hwaccess/pci_scan.h"

namespace tunora {

// Start-up card search. The NT road deploys hwgate2 for it and removes it
// again (ending the process when it does not open).
CardCode ScanForCard(HwContext& hw, DetectedCard& card, AgpStatus& agp);

struct AgpSlotResult {
  bool found = false;
  std::uint32_t device = 0;
  // NT road: hwgate4 stays loaded and its device open for the rest of the
  // run when the card was found (also recorded in HwContext::kept_hwgate4).
  Handle kept_device = kInvalidHandleValue;
};
AgpSlotResult FindAgpSlotDevice(HwContext& hw);

// The board count when the property sheet opens. On the NT road it works
// through the kept hwgate4 device when start-up left one.
std::vector<CardListEntry> CountBoards(HwContext& hw);

}  // namespace tunora

// The values one run of tunora keeps from start-up to exit. One object,
// created by the program's main and handed to whoever needs it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hwaccess/agp_status.h"
#include "hwaccess/card.h"
#include "hwaccess/deploy.h"
#include "hwaccess/pci_scan.h"
#include "hwaccess/platform_kind.h"
#include "platform/platform.h"

namespace tunora {

struct DriverPackageVersion {
  int major = 0;
  int minor = 0;
};

struct RunState {
  PlatformKind platform_kind = kPlatformUnclassified;
  std::string platform_name;
  DetectedCard card;
  AgpStatus agp;
  std::uint32_t agp_slot_device = 0;
  // hwgate4 as the bus-1 search left it (NT road, card found).
  Handle kept_hwgate4 = kInvalidHandleValue;
  ChipFamily chip_family = kFamilyUnknown;
  DriverPackageVersion driver_version;
  std::vector<CardListEntry> card_list;
};

// What the program's windows and operations work with.
struct App {
  Platform& platform;
  HwContext hw;
  RunState state;

  explicit App(Platform& p) : platform(p), hw{p, TunoraDrivers()} {}
};

}  // namespace tunora

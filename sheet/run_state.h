// The values one run of tunora keeps from start-up to exit. One object,
// created by the program's main and handed to whoever needs it. It lives
// here, beside the pages that share it, so that app/ (which fills it at
// start-up) sits above sheet/ and not beside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hwaccess/agp_status.h"
#include "hwaccess/card.h"
#include "hwaccess/deploy.h"
#include "hwaccess/pci_scan.h"
#include "hwaccess/platform_kind.h"
#include "hwlog/hardware_log.h"
#include "platform/platform.h"
#include "settings/setting_state.h"
#include "settings/settings_context.h"
#include "sheet/sheet_flags.h"

namespace tunora {

struct RunState {
  PlatformKind platform_kind = kPlatformUnclassified;
  std::string platform_name;
  DetectedCard card;
  AgpStatus agp;
  std::uint32_t agp_slot_device = 0;
  ChipFamily chip_family = kFamilyUnknown;
  DriverVersion driver_version;
  std::vector<CardListEntry> card_list;
  // Starts with the OpenGL preset at 1 (driver defaults) and every
  // changed marker at kUnchanged.
  SettingState settings;
  // What the sheet's pages keep for the run beside the settings.
  SheetFlags flags;
  // The hardware log's counter, connection and collected tables.
  HardwareLogState hardware_log;

  // What the settings engine needs to find the driver's keys.
  SettingsContext Settings(Registry& registry, Ui& ui) const {
    return {registry,      ui, platform_kind, chip_family, card.device_id, card.subsystem_id,
            driver_version};
  }
};

// What the program's windows and operations work with.
struct App {
  Platform& platform;
  HwContext hw;
  RunState state;

  explicit App(Platform& p) : platform(p), hw{p, TunoraDrivers()} {}
  // hw refers to platform, and windows and pages keep references to both.
  App(const App&) = delete;
  App& operator=(const App&) = delete;
};

}  // namespace tunora

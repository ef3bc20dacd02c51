// What the settings engine needs to know about the run: the registry and
// message-box ports, the platform road, the chip family the main window
// derived, the detected card's ids and the display-driver version.
#pragma once

#include <cstdint>

#include "hwaccess/card.h"
#include "hwaccess/platform_kind.h"
#include "platform/registry.h"
#include "platform/ui.h"

namespace tunora {

// Version of the installed display-driver package (NT road only; 0.0 when
// none was found or on Windows 98/ME).
struct DriverVersion {
  int major = 0;
  int minor = 0;
};

struct SettingsContext {
  Registry& registry;
  Ui& ui;
  PlatformKind platform_kind;
  ChipFamily chip_family;
  std::uint32_t device_id;     // of DetectedCard
  std::uint32_t subsystem_id;  // of DetectedCard
  DriverVersion driver_version;
};

// Which value names the 2000/XP driver reads. Drivers from 5.70 on renamed
// some values; the test is on both numbers separately, so 6.10 still counts
// as old.
enum class ValueNameGeneration { kOld, kNew };

inline ValueNameGeneration NameGeneration(const SettingsContext& context) {
  const bool is_new = context.platform_kind == kPlatformWin2kXp &&
                      context.driver_version.major > 4 && context.driver_version.minor > 69;
  return is_new ? ValueNameGeneration::kNew : ValueNameGeneration::kOld;
}

}  // namespace tunora

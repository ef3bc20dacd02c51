#include "sheet/custom_mode.h"

#include <charconv>
#include <string>
#include <vector>

#include "registry/reg_access.h"
#include "settings/driver_keys.h"
#include "sheet/mode_timing.h"

namespace tunora {
namespace {

constexpr std::string_view kColourDepths[] = {"32", "24", "16", "8"};
// A value literally named "(Default)", not the key's unnamed value.
constexpr std::string_view kDefaultNamedValue = "(Default)";
constexpr std::string_view kRefreshRateValue = "RefreshRate";
constexpr std::string_view kRefreshRate = "60";

// atoi: the leading decimal digits, 0 for none.
int LeadingNumber(std::string_view text) {
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

void SetRecord(Registry& registry, RegKey key, std::string_view name,
               const ModeTimingRecord& record) {
  registry.SetValue(key, name, kRegBinary, record.data(), kModeTimingBytes);
}

// The first device key of the chip family's driver, or no key.
RegHandle OpenFirstDeviceKey(Registry& registry, ChipFamily family) {
  const auto device0 = [&](std::string_view service) {
    return RegHandle::Open(registry, JoinPath(ServiceKeyPath(service), "Device0"));
  };
  switch (family) {
    case kFamilyQx1Agp:
      return device0(kServiceQx1);
    case kFamilyQx2:
    case kFamilyQx2e:
      if (RegHandle key = device0(kServiceQx2)) return key;
      return device0(kServiceQx2Duo);
    case kFamilyQx3:
      return device0(kServiceQx3Duo);
    default:
      return {};
  }
}

// One display-class instance: false when a key the driver needs could not
// be created.
bool AddModeToInstance(Registry& registry, const std::string& instance,
                       std::string_view horizontal_text, std::string_view vertical_text,
                       const ModeTimingRecord& record) {
  const std::string modes = JoinPath(instance, "MODES");
  if (!RegHandle::Create(registry, JoinPath(modes, "32"))) return false;
  const std::string pair = std::string(horizontal_text) + "," + std::string(vertical_text);
  for (const std::string_view depth : kColourDepths) {
    const RegHandle mode = RegHandle::Create(registry, JoinPath(JoinPath(modes, depth), pair));
    if (!mode) continue;
    SetText(registry, mode.key(), kDefaultNamedValue, kRefreshRate);
    SetText(registry, mode.key(), kRefreshRateValue, kRefreshRate);
  }
  const std::string settings = JoinPath(instance, "Settings");
  if (!RegHandle::Create(registry, settings)) return false;
  if (const RegHandle parameters =
          RegHandle::Create(registry, JoinPath(settings, "VideoParameters"))) {
    SetRecord(registry, parameters.key(), pair, record);
  }
  return true;
}

}  // namespace

bool AddCustomMode9x(const SettingsContext& context, std::string_view horizontal_text,
                     std::string_view vertical_text) {
  Registry& registry = context.registry;
  const ModeTimingRecord record = ToRecord(ComputeModeTiming(
      LeadingNumber(horizontal_text) & 0xFFFF, LeadingNumber(vertical_text) & 0xFFFF));
  if (!RegHandle::Create(registry, kDisplayClassPath)) return false;
  // Only the maker's instances: another maker's driver has no use for
  // these keys in its own.
  bool finished = true;
  ForEachDisplayInstance(registry, [&](const DriverKey& instance) {
    if (finished) {
      finished = AddModeToInstance(registry, instance.path, horizontal_text, vertical_text, record);
    }
  });
  return finished;
}

int AddCustomModeNt(const SettingsContext& context, std::string_view horizontal_text,
                    std::string_view vertical_text) {
  Registry& registry = context.registry;
  const RegHandle device = OpenFirstDeviceKey(registry, context.chip_family);
  if (!device) return 1;
  const int horizontal = LeadingNumber(horizontal_text);
  const int vertical = LeadingNumber(vertical_text);
  const std::string_view prefix =
      NameGeneration(context) == ValueNameGeneration::kNew ? "Graphic." : "Default.Graphic.";
  const std::string name =
      std::string(prefix) + std::string(horizontal_text) + "." + std::string(vertical_text);
  SetRecord(registry, device.key(), name, ToRecord(ComputeModeTiming(horizontal, vertical)));

  std::optional<std::vector<std::uint8_t>> list =
      QueryBytes(registry, device.key(), kSingleResolutionsValue, kSingleResolutionsBuffer);
  if (!list || list->size() > kSingleResolutionsMaxToExtend) return 0;
  const std::uint8_t entry[4] = {static_cast<std::uint8_t>(horizontal & 0xFF),
                                 static_cast<std::uint8_t>((horizontal >> 8) & 0xFF),
                                 static_cast<std::uint8_t>(vertical & 0xFF),
                                 static_cast<std::uint8_t>((vertical >> 8) & 0xFF)};
  // A resolution already listed is not listed again: repeated Applies of
  // one mode would otherwise fill the list until no new mode fits.
  for (std::size_t at = 0; at + 4 <= list->size(); at += 4) {
    if (std::equal(entry, entry + 4, list->begin() + static_cast<std::ptrdiff_t>(at))) return 1;
  }
  list->insert(list->end(), entry, entry + 4);
  registry.SetValue(device.key(), kSingleResolutionsValue, kRegBinary, list->data(),
                    static_cast<std::uint32_t>(list->size()));
  return 1;
}

void WriteCustomMode(App& app, Registry& registry) {
  const SheetFlags& flags = app.state.flags;
  if (!flags.CustomResolutionChosen()) return;
  const SettingsContext context = app.state.Settings(registry, app.platform.ui);
  // One group: the simulated hive stores the whole mode at once.
  RegistryChanges group(context.registry);
  if (context.platform_kind == kPlatformWin2kXp) {
    AddCustomModeNt(context, flags.monitor_horizontal, flags.monitor_vertical);
  } else if (context.platform_kind == kPlatform9x) {
    AddCustomMode9x(context, flags.monitor_horizontal, flags.monitor_vertical);
  }
}

}  // namespace tunora

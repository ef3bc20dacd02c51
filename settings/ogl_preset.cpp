// The OpenGL optimisation preset: six REG_DWORD "User3D." values in the
// driver's device keys (NT road) or the companion application's profile
// keys (Windows 98/ME).
#include <array>
#include <optional>

#include "registry/reg_access.h"
#include "resources/strings.h"
#include "settings/catalog_detail.h"

namespace tunora {

namespace {

constexpr std::string_view kPageFlipEnable = "User3D.PageFlipEnable";
constexpr std::string_view kSwapIntervalExtFlags = "User3D.SwapIntervalExtFlags";
constexpr std::string_view kSwapIntervalExtEnable = "User3D.SwapIntervalExtEnable";
constexpr std::string_view kAllowGdi = "User3D.AllowGDI";
constexpr std::string_view k16BitTextures = "User3D.16BitTextures";
constexpr std::string_view kFastZOffset = "User3D.FastZOffset";

constexpr std::array<std::string_view, 6> kPresetValues = {
    kPageFlipEnable, kSwapIntervalExtFlags, kSwapIntervalExtEnable,
    kAllowGdi,       k16BitTextures,        kFastZOffset};

// Swap-interval flags: 9 keeps vertical sync off, 1 turns it on.
constexpr std::uint8_t kSwapFlagsOff = 9;
constexpr std::uint8_t kSwapFlagsOn = 1;

// The writer keeps one byte that each step may change before it writes; a
// step that leaves it alone writes what the previous step left.
class PresetWriter {
 public:
  PresetWriter(Registry& registry, RegKey key) : registry_(registry), key_(key) {}
  void Set(std::uint8_t byte) { byte_ = byte; }
  void Write(std::string_view name) { SetNumber(registry_, key_, name, byte_); }
  void Write(std::string_view name, std::uint8_t byte) {
    Set(byte);
    Write(name);
  }

 private:
  Registry& registry_;
  RegKey key_;
  std::uint8_t byte_ = 0;
};

void WriteSpeedOrAccuracy(PresetWriter& out, const OglPresetChoice& choice) {
  const bool speed = choice.preset == kOglSpeed;
  if (choice.page_flipping == 0 || choice.page_flipping == 1) {
    out.Set(static_cast<std::uint8_t>(choice.page_flipping));
  }
  out.Write(kPageFlipEnable);
  if (choice.vsync_mode == kVsyncAlwaysOff) out.Set(kSwapFlagsOff);
  if (choice.vsync_mode == kVsyncAlwaysOn) out.Set(kSwapFlagsOn);
  out.Write(kSwapIntervalExtFlags);
  if (choice.vsync_mode == kVsyncApplicationDecides) out.Set(speed ? 0 : 1);
  out.Write(kSwapIntervalExtEnable);
  if (choice.app_default == 0) out.Set(kSwapFlagsOff);
  if (choice.app_default == 1) out.Set(kSwapFlagsOn);
  out.Write(kSwapIntervalExtFlags);
  out.Write(kAllowGdi, speed ? 0 : 1);
  out.Write(k16BitTextures, speed ? 1 : 0);
  out.Write(kFastZOffset, speed ? 1 : 0);
}

void WriteCustom(PresetWriter& out, const OglPresetChoice& choice) {
  if (choice.page_flipping == 0) {
    out.Write(kPageFlipEnable, 0);
    return;
  }
  if (choice.page_flipping != 1) return;
  out.Write(kPageFlipEnable, 1);
  if (choice.vsync_mode == kVsyncAlwaysOff) out.Set(kSwapFlagsOff);
  if (choice.vsync_mode == kVsyncAlwaysOn) out.Set(kSwapFlagsOn);
  out.Write(kSwapIntervalExtFlags);
  out.Write(kSwapIntervalExtEnable, choice.vsync_mode == kVsyncApplicationDecides ? 1 : 0);
  if (choice.app_default == 0 || choice.app_default == 1) {
    out.Write(kSwapIntervalExtFlags, choice.app_default == 0 ? kSwapFlagsOff : kSwapFlagsOn);
  }
}

void WritePresetValues(Registry& registry, RegKey key, const OglPresetChoice& choice) {
  for (std::string_view name : kPresetValues) registry.DeleteValue(key, name);
  PresetWriter out(registry, key);
  if (choice.preset == kOglSpeed || choice.preset == kOglAccuracy) {
    WriteSpeedOrAccuracy(out, choice);
  } else if (choice.preset == kOglCustom) {
    WriteCustom(out, choice);
  }
}

// Byte 0 of each of the six values, or nothing when absent.
struct PresetBytes {
  std::optional<std::uint8_t> page_flip, swap_flags, swap_enable, allow_gdi, bit16, fast_z;
};

std::optional<std::uint8_t> FirstByte(Registry& registry, RegKey key, std::string_view name) {
  const auto bytes = QueryFourBytes(registry, key, name);
  if (!bytes) return std::nullopt;
  return (*bytes)[0];
}

PresetBytes ReadPresetBytes(Registry& registry, RegKey key) {
  return {FirstByte(registry, key, kPageFlipEnable),
          FirstByte(registry, key, kSwapIntervalExtFlags),
          FirstByte(registry, key, kSwapIntervalExtEnable),
          FirstByte(registry, key, kAllowGdi),
          FirstByte(registry, key, k16BitTextures),
          FirstByte(registry, key, kFastZOffset)};
}

// Custom page flipping: the vertical-sync mode from flags and enable.
void DecodeCustomVsync(const PresetBytes& bytes, OglPresetChoice* choice) {
  const std::uint8_t flags = *bytes.swap_flags;
  const std::uint8_t enable = *bytes.swap_enable;
  if (flags != kSwapFlagsOff && flags != kSwapFlagsOn) return;
  if (enable == 0) {
    choice->vsync_mode = flags == kSwapFlagsOff ? kVsyncAlwaysOff : kVsyncAlwaysOn;
  } else if (enable == 1) {
    choice->vsync_mode = kVsyncApplicationDecides;
    choice->app_default = flags == kSwapFlagsOff ? 0 : 1;
  }
}

OglPresetChoice DecodePreset(const PresetBytes& bytes) {
  OglPresetChoice choice;
  if (!bytes.page_flip) return choice;
  const bool no_tuning = !bytes.allow_gdi && !bytes.bit16 && !bytes.fast_z;
  if (!bytes.swap_flags) {
    // Block transfers store the page-flip value alone.
    if (*bytes.page_flip == 0 && !bytes.swap_enable && no_tuning) {
      choice.preset = kOglCustom;
      choice.page_flipping = 0;
    }
    return choice;
  }
  if (!bytes.swap_enable) return choice;
  if (no_tuning) {
    choice.preset = kOglCustom;
    choice.page_flipping = 1;
    DecodeCustomVsync(bytes, &choice);
    return choice;
  }
  if (!bytes.allow_gdi || !bytes.bit16 || !bytes.fast_z) return choice;
  if (*bytes.page_flip != 1 || *bytes.swap_flags != kSwapFlagsOff) return choice;
  const auto tuning = std::array{*bytes.swap_enable, *bytes.allow_gdi, *bytes.bit16, *bytes.fast_z};
  if (tuning == std::array<std::uint8_t, 4>{1, 1, 0, 0}) choice.preset = kOglAccuracy;
  if (tuning == std::array<std::uint8_t, 4>{0, 0, 1, 1}) choice.preset = kOglSpeed;
  if (choice.preset != kOglDriverDefaults) {
    choice.page_flipping = 1;
    choice.vsync_mode = kVsyncApplicationDecides;
    choice.app_default = 0;
  }
  return choice;
}

// The one key the reader looks at, opened through its parents.
RegHandle OpenPresetReadKey(const SettingsContext& context) {
  Registry& registry = context.registry;
  if (context.platform_kind == kPlatform9x) {
    if (!RegHandle::Open(registry, "Software\\Quillex\\") ||
        !RegHandle::Open(registry, "Software\\Quillex\\Panelix\\")) {
      return {};
    }
    return RegHandle::Open(registry, "Software\\Quillex\\Panelix\\Current Settings");
  }
  const auto path = OpenGlReadKeyPath(registry, context.platform_kind, context.chip_family);
  if (!path) return {};
  return RegHandle::Open(registry, *path);
}

}  // namespace

OglPresetChoice ReadOglPreset(const SettingsContext& context) {
  const RegHandle key = OpenPresetReadKey(context);
  if (!key) return OglPresetChoice{};
  return DecodePreset(ReadPresetBytes(context.registry, key.key()));
}

bool WriteOglPreset(const SettingsContext& context, const OglPresetChoice& choice) {
  Registry& registry = context.registry;
  if (IsNtRoad(context.platform_kind)) {
    if (!RegHandle::Open(registry, "SYSTEM\\CurrentControlSet\\Services\\")) {
      context.ui.MessageBox(
          "ERROR: Quillex Panelix May Not Be installed.\nPlease Reinstall Quillex driver(s)!",
          kProgramName, kMbOk);
      return false;
    }
  } else if (context.platform_kind == kPlatform9x) {
    if (!RegHandle::Open(registry, "Software\\Quillex\\")) {
      context.ui.MessageBox(
          "ERROR: Registry error. \nQuillex Panelix May Not Be installed.\nPlease Reinstall "
          "Quillex Panelix!",
          kProgramName, kMbOk);
      return false;
    }
  } else {
    return false;
  }
  const int written = ForEachOpenGlWriteKey(
      registry, context.platform_kind,
      [&](RegKey key, const DriverKey&) { WritePresetValues(registry, key, choice); });
  // The 2000/XP QX3 driver keeps no preset values: none of the keys names
  // it, and that is no reason to tell its user the driver is broken.
  const bool no_preset_driver =
      context.platform_kind == kPlatformWin2kXp && context.chip_family == kFamilyQx3;
  return written > 0 || no_preset_driver;
}

}  // namespace tunora

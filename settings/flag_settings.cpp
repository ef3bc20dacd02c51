// The three on/off settings: Direct3D vertical sync, bus mastering and
// device-bitmap caching. Flag bytes in the NT device keys, "0"/"1" texts
// below "Settings" on Windows 98/ME.
#include <string>

#include "registry/reg_access.h"
#include "settings/catalog_detail.h"

namespace tunora {

namespace {

bool IsOnOff(std::int32_t value) { return value == 0 || value == 1; }

// The value name may depend on the device key (per-board names).
using NameInKey = std::function<std::string(RegKey key)>;

NameInKey Fixed(std::string_view name) {
  return [name](RegKey) { return std::string(name); };
}

bool WriteNtFlag(const SettingsContext& context, ServiceSearch search, const NameInKey& name,
                 std::int32_t value) {
  Registry& registry = context.registry;
  const auto outcome =
      RunServiceSearch(registry, search, context.chip_family, "Device", DeviceKeyMode::kWrite,
                       [&](RegKey key, const DriverKey&) {
                         SetFlagBytes(registry, key, name(key), static_cast<std::uint8_t>(value));
                       });
  return outcome.device_keys_visited > 0;
}

// Only a byte 0 of 0 or 1 decides; anything else leaves the value as it was.
std::int32_t ReadNtFlag(const SettingsContext& context, ServiceSearch search,
                        std::string_view prefix, const NameInKey& name, std::int32_t fallback) {
  Registry& registry = context.registry;
  std::int32_t value = fallback;
  RunServiceSearch(registry, search, context.chip_family, prefix, DeviceKeyMode::kRead,
                   [&](RegKey key, const DriverKey&) {
                     const auto bytes = QueryFourBytes(registry, key, name(key));
                     if (bytes && ((*bytes)[0] == 0 || (*bytes)[0] == 1)) value = (*bytes)[0];
                   });
  return value;
}

bool Write9xFlag(const SettingsContext& context, std::string_view sub_key, std::string_view name,
                 std::int32_t value) {
  Registry& registry = context.registry;
  return ForEachInstanceSettingsKeyForWrite(
      registry, sub_key, [&](RegKey key) { SetText(registry, key, name, value == 1 ? "1" : "0"); });
}

// `when_absent` is what a present key without the value reads as, if anything.
std::int32_t Read9xFlag(const SettingsContext& context, std::string_view sub_key,
                        std::string_view name, std::int32_t fallback,
                        std::optional<std::int32_t> when_absent = std::nullopt) {
  Registry& registry = context.registry;
  std::int32_t value = fallback;
  ForEachInstanceSettingsKeyForRead(registry, sub_key, [&](RegKey key) {
    const auto text = QueryText(registry, key, name, kInstanceTextBytes);
    if (text == "0") value = 0;
    if (text == "1") value = 1;
    if (!text && !ValueExists(registry, key, name) && when_absent) value = *when_absent;
  });
  return value;
}

std::string_view FlipOnVBlankName(const SettingsContext& context) {
  return NameGeneration(context) == ValueNameGeneration::kNew ? "User3D.FlipOnVBlank"
                                                              : "User.FlipOnVBlank";
}

// New drivers keep bus mastering per board; the first board's value stands
// in when no record names ours.
NameInKey BusMasteringName(const SettingsContext& context) {
  if (NameGeneration(context) == ValueNameGeneration::kOld) return Fixed("User.UseBusMastering");
  return [&context](RegKey key) {
    const auto board = FindBoardEntry(context.registry, key, BoardOf(context));
    return BoardValueName("D00.Engine.BusMastering", board.value_or(0));
  };
}

std::string_view BitmapCachingName(const SettingsContext& context) {
  return NameGeneration(context) == ValueNameGeneration::kNew ? "User.DeviceBitmapsCaching"
                                                              : "User.DeviceBitmaps";
}

}  // namespace

std::int32_t ReadFlipOnVBlank(const SettingsContext& context) {
  switch (context.platform_kind) {
    case kPlatformWin2kXp: {
      const std::int32_t fallback = NameGeneration(context) == ValueNameGeneration::kNew ? 0 : 1;
      return ReadNtFlag(context, ServiceSearch::kSingleElseDual, "Device0",
                        Fixed(FlipOnVBlankName(context)), fallback);
    }
    case kPlatform9x:
      return Read9xFlag(context, "DirectX", "FlipOnVBlank", 1);
    default:  // NT 4 has no such setting
      return kUnchanged;
  }
}

bool WriteFlipOnVBlank(const SettingsContext& context, std::int32_t value) {
  if (!IsOnOff(value)) return false;
  switch (context.platform_kind) {
    case kPlatformWin2kXp:
      return WriteNtFlag(context, ServiceSearch::kSingleElseDual, Fixed(FlipOnVBlankName(context)),
                         value);
    case kPlatform9x:
      return Write9xFlag(context, "DirectX", "FlipOnVBlank", value);
    default:
      return false;
  }
}

std::int32_t ReadBusMastering(const SettingsContext& context) {
  switch (context.platform_kind) {
    case kPlatformWin2kXp:
      return ReadNtFlag(context, ServiceSearch::kSingleElseDualNoDuoPci, "Device",
                        BusMasteringName(context), 1);
    case kPlatformNt4:
      return ReadNtFlag(context, ServiceSearch::kQxg64Only, "Device", Fixed("User.UseBusMastering"),
                        1);
    case kPlatform9x:
      return Read9xFlag(context, "Engine", "BusMastering", 1, 1);
    default:
      return 1;
  }
}

bool WriteBusMastering(const SettingsContext& context, std::int32_t value) {
  if (!IsOnOff(value)) return false;
  switch (context.platform_kind) {
    case kPlatformWin2kXp:
      return WriteNtFlag(context, ServiceSearch::kSingleElseDual, BusMasteringName(context), value);
    case kPlatformNt4:
      return WriteNtFlag(context, ServiceSearch::kQxg64Only, Fixed("User.UseBusMastering"), value);
    case kPlatform9x:
      return Write9xFlag(context, "Engine", "BusMastering", value);
    default:
      return false;
  }
}

std::int32_t ReadBitmapCaching(const SettingsContext& context) {
  switch (context.platform_kind) {
    case kPlatformWin2kXp:
      return ReadNtFlag(context, ServiceSearch::kSingleElseDual, "Device",
                        Fixed(BitmapCachingName(context)), 1);
    case kPlatformNt4:
      return ReadNtFlag(context, ServiceSearch::kQxg64Only, "Device", Fixed("User.DeviceBitmaps"),
                        1);
    case kPlatform9x:
      return Read9xFlag(context, "GDI", "DeviceBitmapsCaching", 1);
    default:
      return 1;
  }
}

bool WriteBitmapCaching(const SettingsContext& context, std::int32_t value) {
  if (!IsOnOff(value)) return false;
  switch (context.platform_kind) {
    case kPlatformWin2kXp:
      return WriteNtFlag(context, ServiceSearch::kSingleElseDual, Fixed(BitmapCachingName(context)),
                         value);
    case kPlatformNt4:
      return WriteNtFlag(context, ServiceSearch::kQxg64Only, Fixed("User.DeviceBitmaps"), value);
    case kPlatform9x:
      return Write9xFlag(context, "GDI", "DeviceBitmapsCaching", value);
    default:
      return false;
  }
}

}  // namespace tunora

// AGP transfer mode: binary "Qxg.AGPFlags" (plus per-board copies) on the
// NT road, the "AGPFlags"/"AGPFallback" texts on Windows 98/ME.
#include <array>
#include <optional>

#include "registry/reg_access.h"
#include "settings/catalog_detail.h"

namespace tunora {

namespace {

constexpr std::string_view kAgpFlags = "Qxg.AGPFlags";
constexpr std::string_view kBoardAgpFlags = "D00.Qxg.AGPFlags";

using AgpBytes = std::array<std::uint8_t, 4>;

std::optional<AgpBytes> EncodeAgpMode(std::int32_t mode) {
  switch (mode) {
    case kAgpDefault:
      return AgpBytes{0x04, 0x01, 0x00, 0x00};
    case kAgp1x:
      return AgpBytes{0x01, 0x00, 0x00, 0x00};
    case kAgp2x:
      return AgpBytes{0x02, 0x00, 0x00, 0x00};
    case kAgp4x:
      return AgpBytes{0x04, 0x00, 0x00, 0x00};
    default:
      return std::nullopt;
  }
}

// Byte 1 set to 1 means "driver default"; it also turns a 4 in byte 0 into
// the default, since 04 01 is how the default is stored.
std::int32_t DecodeAgpBytes(const AgpBytes& bytes) {
  const bool default_marked = bytes[1] == 1;
  switch (bytes[0]) {
    case 1:
      return kAgp1x;
    case 2:
      return kAgp2x;
    case 4:
      return default_marked ? kAgpDefault : kAgp4x;
    default:
      return kAgpDefault;
  }
}

// Newer drivers keep one copy per board they have seen. Walk the records in
// order, refreshing each board's existing copy, up to and including ours.
void WriteBoardCopies(Registry& registry, RegKey key, const BoardIds& board,
                      const AgpBytes& bytes) {
  if (!ValueExists(registry, key, kBoardAgpFlags)) return;
  for (int index = 0; index < kMaxBoardRecords; ++index) {
    const bool ours = BoardRecordMatches(registry, key, index, board);
    const std::string name = BoardValueName(kBoardAgpFlags, index);
    if (ValueExists(registry, key, name)) SetBinary(registry, key, name, bytes);
    if (ours) break;
  }
}

bool WriteAgpWin2k(const SettingsContext& context, const AgpBytes& bytes) {
  Registry& registry = context.registry;
  const auto outcome =
      RunServiceSearch(registry, ServiceSearch::kDualThenSingle, context.chip_family, "Device",
                       DeviceKeyMode::kWrite, [&](RegKey key, const DriverKey&) {
                         WriteBoardCopies(registry, key, BoardOf(context), bytes);
                         SetBinary(registry, key, kAgpFlags, bytes);
                       });
  return outcome.device_keys_visited > 0;
}

bool WriteAgpNt4(const SettingsContext& context, const AgpBytes& bytes) {
  Registry& registry = context.registry;
  const auto outcome =
      RunServiceSearch(registry, ServiceSearch::kQxg64Only, context.chip_family, "Device",
                       DeviceKeyMode::kWrite, [&](RegKey key, const DriverKey&) {
                         // Per-chipset copies left by older drivers go first.
                         for (std::string_view stale :
                              {"Qxg.AGPFlags.834", "Qxg.AGPFlags.837", "Qxg.AGPFlags.846",
                               "Qxg.AGPFlags.856", "Qxg.AGPFlags.891", "Qxg.AGPFlags.906"}) {
                           registry.DeleteValue(key, stale);
                         }
                         SetBinary(registry, key, kAgpFlags, bytes);
                       });
  return outcome.device_keys_visited > 0;
}

bool WriteAgp9x(const SettingsContext& context, std::int32_t mode) {
  Registry& registry = context.registry;
  const bool written = ForEachInstanceSettingsKeyForWrite(registry, "CPU", [&](RegKey key) {
    if (mode == kAgpDefault) {
      registry.DeleteValue(key, "AGPFlags");
      SetText(registry, key, "AGPFallback", "1");
      return;
    }
    registry.DeleteValue(key, "AGPFallback");
    SetText(registry, key, "AGPFlags", mode == kAgp1x ? "0" : mode == kAgp2x ? "-1" : "-2");
  });
  return written;
}

// Per-board copies are read on 2000/XP only: the NT 4 writer never
// refreshes them, so there they would show a stale mode forever.
enum class BoardCopies { kRead, kIgnore };

std::int32_t ReadAgpNt(const SettingsContext& context, ServiceSearch search,
                       BoardCopies board_copies) {
  Registry& registry = context.registry;
  std::int32_t mode = kAgpDefault;
  RunServiceSearch(
      registry, search, context.chip_family, "Device0", DeviceKeyMode::kRead,
      [&](RegKey key, const DriverKey&) {
        std::string name(kAgpFlags);
        if (board_copies == BoardCopies::kRead && ValueExists(registry, key, kBoardAgpFlags)) {
          const auto board = FindBoardEntry(registry, key, BoardOf(context));
          name = BoardValueName(kBoardAgpFlags, board.value_or(0));
        }
        if (const auto bytes = QueryFourBytes(registry, key, name)) {
          mode = DecodeAgpBytes(*bytes);
        }
      });
  return mode;
}

std::int32_t ReadAgp9x(const SettingsContext& context) {
  Registry& registry = context.registry;
  std::int32_t mode = kAgpDefault;
  ForEachInstanceSettingsKeyForRead(registry, "CPU", [&](RegKey key) {
    if (const auto flags = QueryText(registry, key, "AGPFlags", kInstanceTextBytes)) {
      if (*flags == "0") mode = kAgp1x;
      if (*flags == "-1") mode = kAgp2x;
      if (*flags == "-2") mode = kAgp4x;
    }
    // The fallback switch wins over any forced mode.
    if (QueryText(registry, key, "AGPFallback", kInstanceTextBytes) == "1") mode = kAgpDefault;
  });
  return mode;
}

}  // namespace

std::int32_t ReadAgpMode(const SettingsContext& context) {
  switch (context.platform_kind) {
    case kPlatformWin2kXp: {
      // On 2000/XP a stored 4x reads back as the default.
      const std::int32_t mode =
          ReadAgpNt(context, ServiceSearch::kDualElseSingleNoDuoPci, BoardCopies::kRead);
      return mode == kAgp4x ? kAgpDefault : mode;
    }
    case kPlatformNt4: {
      const std::int32_t mode = ReadAgpNt(context, ServiceSearch::kQxg64Only, BoardCopies::kIgnore);
      return mode == kAgp4x && context.chip_family == kFamilyQx1Agp ? kAgpDefault : mode;
    }
    case kPlatform9x:
      return ReadAgp9x(context);
    default:
      return kAgpDefault;
  }
}

bool WriteAgpMode(const SettingsContext& context, std::int32_t mode) {
  const auto bytes = EncodeAgpMode(mode);
  // A mode the driver has no data for writes nothing, and says so.
  if (!bytes) return false;
  switch (context.platform_kind) {
    case kPlatformWin2kXp:
      return WriteAgpWin2k(context, *bytes);
    case kPlatformNt4:
      return WriteAgpNt4(context, *bytes);
    case kPlatform9x:
      return WriteAgp9x(context, mode);
    default:
      return false;
  }
}

}  // namespace tunora

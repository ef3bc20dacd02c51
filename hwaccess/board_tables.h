// The maker's board tables: which device and subsystem ids are which
// board model, which boards the board count knows, and the name and chip
// family the main window shows for each model code.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "hwaccess/card.h"

namespace tunora {

inline constexpr std::uint32_t kDeviceQx1Pci = 0x0520;
inline constexpr std::uint32_t kDeviceQx1Agp = 0x0521;
inline constexpr std::uint32_t kDeviceQx2 = 0x0525;
inline constexpr std::uint32_t kDeviceQx3 = 0x2527;

struct ModelCode {
  CardCode code;
  bool found;  // stops the start-up walk from classifying later boards
};

// Model code of a supported device id from its subsystem id. Only for the
// device ids 0x0520, 0x0521, 0x0525 and 0x2527.
ModelCode ClassifyBoard(std::uint32_t device_id, std::uint32_t subsystem_id);
bool IsClassifiedDevice(std::uint32_t device_id);

struct BoardRow {
  std::uint16_t device_id;
  std::uint16_t subsystem_id;
  std::uint8_t bus_kind;  // 1 PCI, 2 AGP; kept from the table, read by nobody
};
// The board count's table, in its order (55 rows).
std::span<const BoardRow> BoardCountTable();

struct CardName {
  std::string_view name;
  ChipFamily family;  // kFamilyUnknown: leave the family as it is
};
CardName NameCard(CardCode code);

}  // namespace tunora

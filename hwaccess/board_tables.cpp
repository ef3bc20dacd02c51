#include "hwaccess/board_tables.h"

#include <array>

namespace tunora {
namespace {

struct SubsystemRow {
  std::uint16_t subsystem_id;
  CardCode code;
  bool found;
};

constexpr SubsystemRow kQx2Rows[] = {
    {0x0378, 400, true}, {0x0338, 400, true},  {0x19D8, 401, true},  {0x19F8, 401, true},
    {0x3693, 402, true}, {0x2159, 403, true},  {0x2179, 404, true},  {0x217D, 405, true},
    {0x9010, 406, true}, {0x5A80, 407, true},  {0x5EB0, 408, true},  {0x0540, 450, true},
    {0x0640, 450, true}, {0x0541, 451, true},  {0x0641, 451, true},  {0x07C0, 452, true},
    {0x07C1, 452, true}, {0x0F80, 455, true},  {0x0F81, 456, true},  {0x0F82, 457, true},
    {0x0F83, 458, true}, {0x0D40, 460, false}, {0x0D41, 461, false}, {0x0E00, 462, true},
    {0x0E01, 463, true}, {0x0E02, 464, true},  {0x0E03, 464, true},  {0x1600, 465, true},
    {0x15C0, 465, true}, {0x5DD0, 470, true},  {0x5F50, 470, true},  {0x5F51, 470, true},
    {0x5F52, 470, true},
};

constexpr SubsystemRow kQx1AgpRows[] = {
    {0xFF02, 200, true},  {0x48E9, 200, true},  {0xFF03, 201, true},  {0x48F9, 201, true},
    {0xC93C, 201, true},  {0xC9B0, 201, true},  {0xC9BC, 201, true},  {0x4A64, 201, true},
    {0xDBBC, 201, true},  {0xFF00, 202, true},  {0x4A60, 203, true},  {0xCA60, 204, true},
    {0xCA6C, 205, true},  {0xF806, 206, true},  {0xFF04, 207, true},  {0xDBD8, 220, false},
    {0xDBD9, 221, false}, {0xDBD3, 222, false}, {0xDBC3, 223, false}, {0xDBF8, 224, false},
    {0xDBF9, 225, false}, {0xDBF2, 226, false}, {0xDBF3, 227, false}, {0xDBF4, 228, false},
    {0xDBF5, 229, false}, {0xDBE2, 230, false}, {0xDBE3, 231, false},
};

constexpr SubsystemRow kQx3Rows[] = {
    {0x0F82, 550, true}, {0x0F83, 550, true}, {0x0F84, 550, true},
    {0x1E40, 550, true}, {0x1E41, 550, true},
};

template <std::size_t N>
ModelCode Lookup(const SubsystemRow (&rows)[N], std::uint32_t subsystem_id, ModelCode other) {
  for (const SubsystemRow& row : rows) {
    if (row.subsystem_id == subsystem_id) return {row.code, row.found};
  }
  return other;
}

constexpr auto kBoardCountTable = [] {
  constexpr std::uint16_t qx1_agp[] = {0xDBD8, 0xDBD9, 0xDBF8, 0xDBF4, 0xDBF9, 0xDBF5, 0xDBF3,
                                       0xDBE3, 0xDBF2, 0xDBE2, 0xDBBC, 0x4A64, 0x4A60, 0xCA6C,
                                       0xCA60, 0xC9B0, 0xC9BC, 0xC93C, 0x48F8, 0x48E9, 0xFF03,
                                       0xFF02, 0xFF04, 0xF806, 0xFF00};
  constexpr std::uint16_t qx1_pci[] = {0xFF03, 0xFF04};
  constexpr std::uint16_t qx2[] = {0x3693, 0x2159, 0x2179, 0x217D, 0x19D8, 0x19F8, 0x0338,
                                   0x0378, 0x07C0, 0x07C1, 0x0640, 0x0641, 0x0642, 0x0541,
                                   0x0542, 0x0540, 0x1600, 0x15C0, 0x0F82, 0x0F80, 0x0F83,
                                   0x0F81, 0x0E00, 0x0E01, 0x0E02, 0x0E03, 0x0D40, 0x0D41};
  std::array<BoardRow, 55> rows{};
  std::size_t n = 0;
  for (std::size_t i = 0; i < std::size(qx1_agp); ++i) {
    rows[n++] = {0x0521, qx1_agp[i], static_cast<std::uint8_t>(i < 10 ? 1 : 2)};
  }
  for (std::uint16_t id : qx1_pci) rows[n++] = {0x0520, id, 1};
  for (std::size_t i = 0; i < std::size(qx2); ++i) {
    rows[n++] = {0x0525, qx2[i], static_cast<std::uint8_t>(i + 2 >= std::size(qx2) ? 1 : 2)};
  }
  return rows;
}();

struct NameRow {
  CardCode first, last;
  std::string_view name;
  ChipFamily family;
};

constexpr NameRow kNames[] = {
    {199, 199, "QX1 ???", kFamilyUnknown},          {399, 399, "QX2 or QX2E ???", kFamilyUnknown},
    {549, 549, "QX3 ???", kFamilyUnknown},          {550, 550, "Quillex Solace QX3", 550},
    {450, 450, "Quillex Solace QX2E DUO DVI", 450}, {451, 451, "Quillex Solace QX2E DUO", 450},
    {452, 452, "Quillex Solace QX2E DUO LE", 450},  {400, 401, "Quillex Solace QX2", 400},
    {402, 402, "Quillex QX2 Parlay", 400},          {403, 404, "Quillex Solace QX2 DUO", 400},
    {405, 405, "Quillex Solace QX2 DUO MAX", 400},  {406, 406, "Quillex Solace QX2 DUO RTQ2K", 400},
    {407, 408, "Quillex QX2 Imaging", 400},         {200, 200, "Quillex Vireo QX1", 200},
    {201, 201, "Quillex Solace QX1", 200},          {202, 202, "Quillex QXG QX1", 200},
    {203, 203, "Quillex Solace QX1 LE", 200},       {204, 204, "Quillex Solace QX1L LE", 200},
    {205, 205, "Quillex Solace QX1L", 200},         {206, 206, "Quillex QX1 Video", 200},
    {207, 207, "Quillex Parlay QX1", 200},          {470, 470, "Farview II", 452},
    {465, 465, "Quillex Solace QX2E", 450},         {462, 464, "Quillex QX2E QTV", 450},
    {455, 458, "Quillex QX2E Solase LP", 450},      {460, 461, "Quillex QX2E Solase DUO PCI", 451},
    {217, 217, "Quillex QX1 Parlay PCI", 201},      {218, 218, "Quillex QX1 Solase PCI", 202},
    {220, 223, "Quillex QX1 QMS DUAL PCI", 203},    {224, 231, "Quillex QX1 QMS DUAL PCI", 204},
};

}  // namespace

bool IsClassifiedDevice(std::uint32_t device_id) {
  return device_id == kDeviceQx1Pci || device_id == kDeviceQx1Agp || device_id == kDeviceQx2 ||
         device_id == kDeviceQx3;
}

ModelCode ClassifyBoard(std::uint32_t device_id, std::uint32_t subsystem_id) {
  switch (device_id) {
    case kDeviceQx1Pci:
      // The PCI QX1 boards never stop the walk.
      if (subsystem_id == 0xFF04) return {217, false};
      if (subsystem_id == 0xFF03) return {218, false};
      return {199, false};
    case kDeviceQx1Agp:
      return Lookup(kQx1AgpRows, subsystem_id, {199, false});
    case kDeviceQx2:
      return Lookup(kQx2Rows, subsystem_id, {399, false});
    case kDeviceQx3:
      return Lookup(kQx3Rows, subsystem_id, {549, false});
    default:
      return {kNoCard, false};
  }
}

std::span<const BoardRow> BoardCountTable() { return kBoardCountTable; }

CardName NameCard(CardCode code) {
  for (const NameRow& row : kNames) {
    if (code >= row.first && code <= row.last) return {row.name, row.family};
  }
  return {"Unknown Card", kFamilyUnknown};
}

}  // namespace tunora

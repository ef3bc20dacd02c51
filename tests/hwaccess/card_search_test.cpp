// The start-up card search, the bus-1 search and the board count, run over
// a simulated PCI bus, and the names the main window gives the model codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hwaccess/board_tables.h"
#include "hwaccess/pci_scan.h"
#include "tests/hwaccess/bus_config_space.h"

namespace tunora::testing {
namespace {

// ---- the maker's tables, written out as the program must know them ----

struct SubsystemRow {
  std::uint16_t device_id;
  std::vector<std::uint16_t> subsystems;
  CardCode code;
  bool found;
};

// Every row of the subsystem tables; "any other" rows carry a sample of
// ids the tables do not list (some listed for another device id).
const std::vector<SubsystemRow>& SubsystemTable() {
  static const std::vector<SubsystemRow> rows = {
      // QX2 (0x0525)
      {0x0525, {0x0378, 0x0338}, 400, true},
      {0x0525, {0x19D8, 0x19F8}, 401, true},
      {0x0525, {0x3693}, 402, true},
      {0x0525, {0x2159}, 403, true},
      {0x0525, {0x2179}, 404, true},
      {0x0525, {0x217D}, 405, true},
      {0x0525, {0x9010}, 406, true},
      {0x0525, {0x5A80}, 407, true},
      {0x0525, {0x5EB0}, 408, true},
      {0x0525, {0x0540, 0x0640}, 450, true},
      {0x0525, {0x0541, 0x0641}, 451, true},
      {0x0525, {0x07C0, 0x07C1}, 452, true},
      {0x0525, {0x0F80}, 455, true},
      {0x0525, {0x0F81}, 456, true},
      {0x0525, {0x0F82}, 457, true},
      {0x0525, {0x0F83}, 458, true},
      {0x0525, {0x0D40}, 460, false},
      {0x0525, {0x0D41}, 461, false},
      {0x0525, {0x0E00}, 462, true},
      {0x0525, {0x0E01}, 463, true},
      {0x0525, {0x0E02, 0x0E03}, 464, true},
      {0x0525, {0x1600, 0x15C0}, 465, true},
      {0x0525, {0x5DD0, 0x5F50, 0x5F51, 0x5F52}, 470, true},
      {0x0525, {0x0000, 0x0642, 0x0542, 0x0F84, 0x217C, 0xFF02, 0xFFFF}, 399, false},
      // QX1 AGP (0x0521)
      {0x0521, {0xFF02, 0x48E9}, 200, true},
      {0x0521, {0xFF03, 0x48F9, 0xC93C, 0xC9B0, 0xC9BC, 0x4A64, 0xDBBC}, 201, true},
      {0x0521, {0xFF00}, 202, true},
      {0x0521, {0x4A60}, 203, true},
      {0x0521, {0xCA60}, 204, true},
      {0x0521, {0xCA6C}, 205, true},
      {0x0521, {0xF806}, 206, true},
      {0x0521, {0xFF04}, 207, true},
      {0x0521, {0xDBD8}, 220, false},
      {0x0521, {0xDBD9}, 221, false},
      {0x0521, {0xDBD3}, 222, false},
      {0x0521, {0xDBC3}, 223, false},
      {0x0521, {0xDBF8}, 224, false},
      {0x0521, {0xDBF9}, 225, false},
      {0x0521, {0xDBF2}, 226, false},
      {0x0521, {0xDBF3}, 227, false},
      {0x0521, {0xDBF4}, 228, false},
      {0x0521, {0xDBF5}, 229, false},
      {0x0521, {0xDBE2}, 230, false},
      {0x0521, {0xDBE3}, 231, false},
      {0x0521, {0x48F8, 0x0000, 0xDBD4, 0x217D, 0xFF01}, 199, false},
      // QX1 PCI (0x0520): never stops the walk
      {0x0520, {0xFF04}, 217, false},
      {0x0520, {0xFF03}, 218, false},
      {0x0520, {0xFF02, 0x0000, 0x217D, 0xFF05}, 199, false},
      // QX3 (0x2527)
      {0x2527, {0x0F82, 0x0F83, 0x0F84, 0x1E40, 0x1E41}, 550, true},
      {0x2527, {0x0F80, 0x0F85, 0x0000, 0x217D}, 549, false},
      // any other device of the maker
      {0x0519, {0xFF03}, kNoCard, false},
      {0x0522, {0x217D}, kNoCard, false},
      {0x0524, {0x0F82}, kNoCard, false},
      {0x2526, {0x1E40}, kNoCard, false},
      {0x1000, {0x0000}, kNoCard, false},
  };
  return rows;
}

struct NameRow {
  CardCode first, last;
  const char* name;
  ChipFamily family;
};

const std::vector<NameRow>& CardNameTable() {
  static const std::vector<NameRow> rows = {
      {199, 199, "QX1 ???", 0x7FFF},
      {399, 399, "QX2 or QX2E ???", 0x7FFF},
      {549, 549, "QX3 ???", 0x7FFF},
      {550, 550, "Quillex Solace QX3", 550},
      {450, 450, "Quillex Solace QX2E DUO DVI", 450},
      {451, 451, "Quillex Solace QX2E DUO", 450},
      {452, 452, "Quillex Solace QX2E DUO LE", 450},
      {400, 401, "Quillex Solace QX2", 400},
      {402, 402, "Quillex QX2 Parlay", 400},
      {403, 404, "Quillex Solace QX2 DUO", 400},
      {405, 405, "Quillex Solace QX2 DUO MAX", 400},
      {406, 406, "Quillex Solace QX2 DUO RTQ2K", 400},
      {407, 408, "Quillex QX2 Imaging", 400},
      {200, 200, "Quillex Vireo QX1", 200},
      {201, 201, "Quillex Solace QX1", 200},
      {202, 202, "Quillex QXG QX1", 200},
      {203, 203, "Quillex Solace QX1 LE", 200},
      {204, 204, "Quillex Solace QX1L LE", 200},
      {205, 205, "Quillex Solace QX1L", 200},
      {206, 206, "Quillex QX1 Video", 200},
      {207, 207, "Quillex Parlay QX1", 200},
      {470, 470, "Farview II", 452},
      {465, 465, "Quillex Solace QX2E", 450},
      {462, 464, "Quillex QX2E QTV", 450},
      {455, 458, "Quillex QX2E Solase LP", 450},
      {460, 461, "Quillex QX2E Solase DUO PCI", 451},
      {217, 217, "Quillex QX1 Parlay PCI", 201},
      {218, 218, "Quillex QX1 Solase PCI", 202},
      {220, 223, "Quillex QX1 QMS DUAL PCI", 203},
      {224, 231, "Quillex QX1 QMS DUAL PCI", 204},
  };
  return rows;
}

// What the main window must show for a code.
std::pair<std::string, ChipFamily> ExpectedName(CardCode code) {
  for (const NameRow& row : CardNameTable()) {
    if (code >= row.first && code <= row.last) return {row.name, row.family};
  }
  return {"Unknown Card", 0x7FFF};
}

struct BoardCountRow {
  std::uint16_t device_id;
  std::uint16_t subsystem_id;
  std::uint8_t bus_kind;
};

// The board count's table in its order, with the bus kind of each row.
std::vector<BoardCountRow> ExpectedBoardCountRows() {
  const std::uint16_t qx1_agp[] = {0xDBD8, 0xDBD9, 0xDBF8, 0xDBF4, 0xDBF9, 0xDBF5, 0xDBF3,
                                   0xDBE3, 0xDBF2, 0xDBE2, 0xDBBC, 0x4A64, 0x4A60, 0xCA6C,
                                   0xCA60, 0xC9B0, 0xC9BC, 0xC93C, 0x48F8, 0x48E9, 0xFF03,
                                   0xFF02, 0xFF04, 0xF806, 0xFF00};
  const std::uint16_t qx2[] = {0x3693, 0x2159, 0x2179, 0x217D, 0x19D8, 0x19F8, 0x0338,
                               0x0378, 0x07C0, 0x07C1, 0x0640, 0x0641, 0x0642, 0x0541,
                               0x0542, 0x0540, 0x1600, 0x15C0, 0x0F82, 0x0F80, 0x0F83,
                               0x0F81, 0x0E00, 0x0E01, 0x0E02, 0x0E03, 0x0D40, 0x0D41};
  std::vector<BoardCountRow> rows;
  for (std::size_t i = 0; i < std::size(qx1_agp); ++i) {
    rows.push_back({0x0521, qx1_agp[i], static_cast<std::uint8_t>(i < 10 ? 1 : 2)});
  }
  rows.push_back({0x0520, 0xFF03, 1});
  rows.push_back({0x0520, 0xFF04, 1});
  for (std::size_t i = 0; i < std::size(qx2); ++i) {
    rows.push_back({0x0525, qx2[i], static_cast<std::uint8_t>(i >= std::size(qx2) - 2 ? 1 : 2)});
  }
  return rows;
}

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

// A bus with a host bridge at 0:0, as every machine has.
class PciWalk : public ::testing::Test {
 protected:
  PciWalk() { bus.Attach(0, 0, sim::MakeHostBridge({})); }

  CardCode Walk() { return WalkForCard(config, card, agp); }

  sim::PciBus bus;
  BusConfigSpace config{bus};
  DetectedCard card;
  AgpStatus agp;
};

// ---- start-up card search: the subsystem tables --------------------------

using CardSearchTable = PciWalk;

TEST_F(CardSearchTable, EveryRowGivesItsCodeNameAndFamily) {
  int case_number = 0;
  for (const SubsystemRow& row : SubsystemTable()) {
    for (std::uint16_t subsystem : row.subsystems) {
      SCOPED_TRACE("device " + Hex(row.device_id) + " subsystem " + Hex(subsystem));
      sim::PciBus board_bus;
      board_bus.Attach(0, 0, sim::MakeHostBridge({}));
      // Spread the boards over the walk's range.
      const auto slot_bus = static_cast<std::uint8_t>(1 + (case_number * 7) % 250);
      const auto slot_device = static_cast<std::uint8_t>((case_number * 5) % 32);
      ++case_number;
      board_bus.Attach(slot_bus, slot_device, MakerBoard(row.device_id, subsystem));
      BusConfigSpace board_config(board_bus);
      DetectedCard found_card;
      AgpStatus status;

      const CardCode code = WalkForCard(board_config, found_card, status);

      EXPECT_EQ(code, row.code);
      EXPECT_EQ(found_card.card_code, row.code);
      EXPECT_EQ(found_card.device_id, row.device_id);
      const bool classified = row.code != kNoCard;
      EXPECT_EQ(found_card.subsystem_id, classified ? subsystem : 0xFFFFu);
      EXPECT_EQ(found_card.bus, slot_bus);
      EXPECT_EQ(found_card.device, slot_device);
      const CardName name = NameCard(code);
      const auto [expected_name, expected_family] = ExpectedName(row.code);
      EXPECT_EQ(name.name, expected_name);
      EXPECT_EQ(name.family, expected_family);
    }
  }
}

// A later supported board wins unless the earlier one set the found flag.
TEST_F(CardSearchTable, FoundFlagDecidesWhetherALaterBoardIsClassified) {
  for (const SubsystemRow& row : SubsystemTable()) {
    for (std::uint16_t subsystem : row.subsystems) {
      SCOPED_TRACE("device " + Hex(row.device_id) + " subsystem " + Hex(subsystem));
      const bool qx3 = row.device_id == 0x2527;
      const std::uint16_t later_device = qx3 ? 0x0525 : 0x2527;
      const std::uint16_t later_subsystem = qx3 ? 0x3693 : 0x1E41;
      const CardCode later_code = qx3 ? 402 : 550;
      sim::PciBus board_bus;
      board_bus.Attach(0, 0, sim::MakeHostBridge({}));
      board_bus.Attach(1, 0, MakerBoard(row.device_id, subsystem));
      // The last slot the walk visits.
      board_bus.Attach(254, 31, MakerBoard(later_device, later_subsystem));
      BusConfigSpace board_config(board_bus);
      DetectedCard found_card;
      AgpStatus status;

      const CardCode code = WalkForCard(board_config, found_card, status);

      EXPECT_EQ(code, row.found ? row.code : later_code);
      EXPECT_EQ(found_card.device_id, row.found ? row.device_id : later_device);
      EXPECT_EQ(found_card.subsystem_id, row.found ? subsystem : later_subsystem);
      EXPECT_EQ(found_card.bus, row.found ? 1 : 254);
      EXPECT_EQ(found_card.device, row.found ? 0 : 31);
    }
  }
}

// ---- start-up card search: the cases the tables do not show ---------------

using CardSearch = PciWalk;

TEST_F(CardSearch, QxTwoDuoMaxStopsClassification) {
  bus.Attach(1, 0, MakerBoard(0x0525, 0x217D));
  bus.Attach(2, 0, MakerBoard(0x0521, 0xFF02));
  bus.Attach(3, 4, MakerBoard(0x0519, 0x0000));  // unsupported: would undo it

  EXPECT_EQ(Walk(), 405);
  EXPECT_EQ(card.device_id, 0x0525u);
  EXPECT_EQ(card.subsystem_id, 0x217Du);
  EXPECT_EQ(card.bus, 1);
  EXPECT_EQ(card.device, 0);
  EXPECT_EQ(NameCard(card.card_code).name, "Quillex Solace QX2 DUO MAX");
  EXPECT_EQ(NameCard(card.card_code).family, 400);
  // Nothing after the found board is even read beyond its ids.
  for (const ConfigRead& read : config.reads) {
    if (read.bus == 2 || read.bus == 3) {
      EXPECT_EQ(read.reg, 0x00) << int{read.bus};
    }
  }
}

TEST_F(CardSearch, UnsupportedMakersBoardAfterQxOnePciUndoesIt) {
  bus.Attach(0, 9, MakerBoard(0x0520, 0xFF03));
  bus.Attach(1, 0, MakerBoard(0x0519, 0x0000));

  EXPECT_EQ(Walk(), kNoCard);
  EXPECT_EQ(card.card_code, kNoCard);
  // The device id is the last one examined; the subsystem id the last
  // classified board's; the slot the unsupported board's.
  EXPECT_EQ(card.device_id, 0x0519u);
  EXPECT_EQ(card.subsystem_id, 0xFF03u);
  EXPECT_EQ(card.bus, 1);
  EXPECT_EQ(card.device, 0);
}

TEST_F(CardSearch, UnsupportedBoardBeforeASupportedOneDoesNotMatter) {
  bus.Attach(0, 9, MakerBoard(0x0519, 0x0000));
  bus.Attach(1, 0, MakerBoard(0x0520, 0xFF03));
  EXPECT_EQ(Walk(), 218);
}

TEST_F(CardSearch, SecondQxTwoWinsOverOneWithoutFoundFlag) {
  bus.Attach(1, 0, MakerBoard(0x0525, 0x0D40));
  bus.Attach(2, 0, MakerBoard(0x0525, 0x217D));
  EXPECT_EQ(Walk(), 405);
  EXPECT_EQ(card.subsystem_id, 0x217Du);
  EXPECT_EQ(card.bus, 2);
}

TEST_F(CardSearch, UnlistedQxTwoSubsystemLeavesFamilyUnidentified) {
  bus.Attach(1, 0, MakerBoard(0x0525, 0x1234));
  EXPECT_EQ(Walk(), 399);
  const CardName name = NameCard(card.card_code);
  EXPECT_EQ(name.name, "QX2 or QX2E ???");
  EXPECT_EQ(name.family, kFamilyUnknown);
}

TEST_F(CardSearch, NoMakersDeviceGivesNoCard) {
  bus.Attach(0, 7, ForeignDevice(0x8086, 0x7110));
  bus.Attach(1, 0, ForeignDevice(0x5333, 0x0525, 0x217D));  // the maker's ids, another vendor
  EXPECT_EQ(Walk(), kNoCard);
  EXPECT_EQ(card.device_id, 0u);
  EXPECT_EQ(card.subsystem_id, 0xFFFFu);
}

TEST_F(CardSearch, HostBridgeVendorIsRecordedOnlyForTheB0Chipset) {
  struct Case {
    std::uint16_t vendor_at_0_0;
    std::uint16_t vendor_at_0_1;
    std::uint16_t expected;
  };
  const Case cases[] = {
      {0x10B9, 0x8086, 0x10B9},
      {0x8086, 0x10B9, 0xFFFF},  // only bus 0, device 0 is the host bridge
      {0x1106, 0x8086, 0xFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.vendor_at_0_0));
    sim::PciBus board_bus;
    sim::HostBridgeConfig host;
    host.vendor_id = c.vendor_at_0_0;
    board_bus.Attach(0, 0, sim::MakeHostBridge(host));
    board_bus.Attach(0, 1, ForeignDevice(c.vendor_at_0_1, 0x1647));
    board_bus.Attach(1, 0, MakerBoard(0x0525, 0x217D));
    BusConfigSpace board_config(board_bus);
    DetectedCard found_card;
    AgpStatus status;
    EXPECT_EQ(WalkForCard(board_config, found_card, status), 405);
    EXPECT_EQ(found_card.host_bridge_vendor, c.expected);
  }
}

TEST_F(CardSearch, HostBridgeVendorIsRecordedWithoutACard) {
  sim::PciBus board_bus;
  sim::HostBridgeConfig host;
  host.vendor_id = 0x10B9;
  board_bus.Attach(0, 0, sim::MakeHostBridge(host));
  BusConfigSpace board_config(board_bus);
  EXPECT_EQ(WalkForCard(board_config, card, agp), kNoCard);
  EXPECT_EQ(card.host_bridge_vendor, 0x10B9);
}

TEST_F(CardSearch, WalksEverySlotOfBusesZeroTo254AndNeverBus255) {
  bus.Attach(255, 0, MakerBoard(0x0525, 0x217D));
  EXPECT_EQ(Walk(), kNoCard);

  std::set<std::pair<int, int>> slots;
  for (const ConfigRead& read : config.reads) {
    EXPECT_NE(read.bus, 255);
    if (read.reg == 0x00) slots.insert({read.bus, read.device});
  }
  EXPECT_EQ(slots.size(), 255u * 32u);
  EXPECT_TRUE(slots.count({254, 31}));
  EXPECT_EQ(config.writes, 0);
}

// ---- the card-name table ---------------------------------------------------

TEST(CardNames, EveryListedCodeHasItsNameAndFamily) {
  for (const NameRow& row : CardNameTable()) {
    for (CardCode code = row.first; code <= row.last; ++code) {
      SCOPED_TRACE(code);
      const CardName name = NameCard(code);
      EXPECT_EQ(name.name, row.name);
      EXPECT_EQ(name.family, row.family);
    }
  }
}

TEST(CardNames, UnlistedCodesAreUnknownCards) {
  std::set<CardCode> listed;
  for (const NameRow& row : CardNameTable()) {
    for (CardCode code = row.first; code <= row.last; ++code) listed.insert(code);
  }
  int unlisted = 0;
  for (CardCode code = -2; code <= 1000; ++code) {
    if (listed.count(code)) continue;
    ++unlisted;
    SCOPED_TRACE(code);
    const CardName name = NameCard(code);
    EXPECT_EQ(name.name, "Unknown Card");
    EXPECT_EQ(name.family, kFamilyUnknown);
  }
  EXPECT_GT(unlisted, 900);
  for (CardCode code : {0x7FFF, -32768, 2147483647}) {
    EXPECT_EQ(NameCard(code).name, "Unknown Card") << code;
  }
}

// ---- the bus-1 search ---------------------------------------------------------

using BusOneSearch = PciWalk;

TEST_F(BusOneSearch, FirstMakersDeviceOnBusOne) {
  bus.Attach(0, 3, MakerBoard(0x0525, 0x217D));  // bus 0 does not count
  for (std::uint8_t d = 0; d < 5; ++d) bus.Attach(1, d, ForeignDevice(0x5333, 0x8A22));
  bus.Attach(1, 5, MakerBoard(0x0521, 0xFF02));
  bus.Attach(1, 9, MakerBoard(0x0525, 0x217D));
  std::uint32_t slot = 77;
  EXPECT_TRUE(WalkBusOne(config, slot));
  EXPECT_EQ(slot, 5u);
}

TEST_F(BusOneSearch, DeviceZeroAndAnyDeviceIdOfTheMaker) {
  struct Case {
    std::uint8_t device;
    std::uint16_t device_id;
  };
  for (const Case c : {Case{0, 0x0525}, Case{31, 0x0525}, Case{12, 0x0519}, Case{3, 0x2527}}) {
    SCOPED_TRACE(int{c.device});
    sim::PciBus board_bus;
    board_bus.Attach(0, 0, sim::MakeHostBridge({}));
    board_bus.Attach(1, c.device, MakerBoard(c.device_id, 0x0000));
    BusConfigSpace board_config(board_bus);
    std::uint32_t slot = 77;
    EXPECT_TRUE(WalkBusOne(board_config, slot));
    EXPECT_EQ(slot, c.device);
  }
}

TEST_F(BusOneSearch, NothingOnBusOne) {
  bus.Attach(0, 3, MakerBoard(0x0525, 0x217D));
  bus.Attach(2, 0, MakerBoard(0x0525, 0x217D));
  bus.Attach(1, 0, ForeignDevice(0x5333, 0x8A22));
  std::uint32_t slot = 77;
  EXPECT_FALSE(WalkBusOne(config, slot));
  EXPECT_EQ(slot, 77u);
  for (const ConfigRead& read : config.reads) EXPECT_EQ(read.bus, 1);
}

// ---- the board count ------------------------------------------------------------

using BoardCount = PciWalk;

TEST_F(BoardCount, TableHoldsTheFiftyFiveRowsInOrder) {
  const std::vector<BoardCountRow> expected = ExpectedBoardCountRows();
  const auto table = BoardCountTable();
  ASSERT_EQ(expected.size(), 55u);
  ASSERT_EQ(table.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(table[i].device_id, expected[i].device_id);
    EXPECT_EQ(table[i].subsystem_id, expected[i].subsystem_id);
    EXPECT_EQ(table[i].bus_kind, expected[i].bus_kind);
  }
}

TEST_F(BoardCount, EveryRowIsCounted) {
  for (const BoardCountRow& row : ExpectedBoardCountRows()) {
    SCOPED_TRACE("device " + Hex(row.device_id) + " subsystem " + Hex(row.subsystem_id));
    sim::PciBus board_bus;
    board_bus.Attach(0, 0, sim::MakeHostBridge({}));
    board_bus.Attach(3, 4, MakerBoard(row.device_id, row.subsystem_id));
    BusConfigSpace board_config(board_bus);
    const std::vector<CardListEntry> list = WalkBoards(board_config);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].bus, 3);
    EXPECT_EQ(list[0].device, 4);
    EXPECT_EQ(list[0].device_id, row.device_id);
    EXPECT_EQ(list[0].subsystem_id, row.subsystem_id);
    EXPECT_EQ(list[0].subsystem_vendor, kMakerVendorId);
  }
}

TEST_F(BoardCount, BoardsOutsideTheTableAreNotCounted) {
  const std::pair<std::uint16_t, std::uint16_t> boards[] = {
      {0x2527, 0x0F82},  // a QX3 is never counted
      {0x2527, 0x1E40}, {0x0521, 0x48F9}, {0x0525, 0x9010}, {0x0525, 0x5DD0},
      {0x0525, 0xDBD8}, {0x0520, 0xFF02}, {0x0519, 0xFF03}, {0x0521, 0x0D40},
  };
  std::uint8_t d = 0;
  for (const auto& [device_id, subsystem] : boards)
    bus.Attach(2, d++, MakerBoard(device_id, subsystem));
  bus.Attach(3, 0, ForeignDevice(0x5333, 0x0525, 0x217D));  // the maker's ids, another vendor
  bus.Attach(255, 0, MakerBoard(0x0525, 0x217D));           // bus 255 is not walked
  EXPECT_TRUE(WalkBoards(config).empty());
}

TEST_F(BoardCount, IdenticalBoardsCountOncePerBus) {
  bus.Attach(1, 0, MakerBoard(0x0521, 0xDBD8));
  bus.Attach(1, 1, MakerBoard(0x0521, 0xDBD8));
  EXPECT_EQ(WalkBoards(config).size(), 1u);

  bus.Attach(2, 0, MakerBoard(0x0521, 0xDBD8));
  const std::vector<CardListEntry> list = WalkBoards(config);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].bus, 1);
  EXPECT_EQ(list[1].bus, 2);
}

TEST_F(BoardCount, DifferentBoardsOnOneBusCountApart) {
  bus.Attach(1, 0, MakerBoard(0x0521, 0xDBD8));
  bus.Attach(1, 1, MakerBoard(0x0521, 0xDBD9));
  bus.Attach(1, 2, MakerBoard(0x0525, 0x217D));
  EXPECT_EQ(WalkBoards(config).size(), 3u);
}

TEST_F(BoardCount, SameBusAndSubsystemIsOneEntryWhateverTheDeviceId) {
  bus.Attach(1, 0, MakerBoard(0x0521, 0xFF03));
  bus.Attach(1, 1, MakerBoard(0x0520, 0xFF03));
  const std::vector<CardListEntry> list = WalkBoards(config);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].device_id, 0x0521);
}

TEST_F(BoardCount, AtMostThirtyTwoEntries) {
  for (std::uint8_t b = 10; b < 50; ++b) bus.Attach(b, 0, MakerBoard(0x0525, 0x217D));
  const std::vector<CardListEntry> list = WalkBoards(config);
  ASSERT_EQ(list.size(), 32u);
  for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].bus, 10 + i);
}

TEST_F(BoardCount, EachCountStartsFromEmpty) {
  bus.Attach(1, 0, MakerBoard(0x0525, 0x217D));
  EXPECT_EQ(WalkBoards(config).size(), 1u);
  EXPECT_EQ(WalkBoards(config).size(), 1u);
}

}  // namespace
}  // namespace tunora::testing

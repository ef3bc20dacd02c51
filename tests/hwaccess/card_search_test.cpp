// The start-up card search, the bus-1 search and the board count, run over
// a simulated PCI bus, and the names the main window gives the model codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hwaccess/board_tables.h"
#include "hwaccess/pci_scan.h"
#include "tests/hwaccess/bus_config_space.h"

namespace tunora::testing {
namespace {

// ---- the boards of the maker, as the user sees them identified ----------

constexpr ChipFamily kUnidentified = 0x7FFF;

// One board on the bus: what the start-up scan makes of it, what the main
// window calls it, and where the board count finds it.
struct Board {
  std::uint16_t device_id, subsystem_id;
  CardCode code;
  bool found;  // later boards are no longer classified
  const char* name;
  ChipFamily family;
  int count_row;  // its row in the board count's table, from 1; 0: not counted
  int bus_kind;   // that row's bus kind
};

// Every listed pair, and for each device id a sample of subsystem ids its
// table leaves to "any other" (some listed for another device id).
const std::vector<Board>& Boards() {
  static const std::vector<Board> boards = {
      // QX2 and QX2E (0x0525)
      {0x0525, 0x0378, 400, true, "Quillex Solace QX2", 400, 35, 2},
      {0x0525, 0x0338, 400, true, "Quillex Solace QX2", 400, 34, 2},
      {0x0525, 0x19D8, 401, true, "Quillex Solace QX2", 400, 32, 2},
      {0x0525, 0x19F8, 401, true, "Quillex Solace QX2", 400, 33, 2},
      {0x0525, 0x3693, 402, true, "Quillex QX2 Parlay", 400, 28, 2},
      {0x0525, 0x2159, 403, true, "Quillex Solace QX2 DUO", 400, 29, 2},
      {0x0525, 0x2179, 404, true, "Quillex Solace QX2 DUO", 400, 30, 2},
      {0x0525, 0x217D, 405, true, "Quillex Solace QX2 DUO MAX", 400, 31, 2},
      {0x0525, 0x9010, 406, true, "Quillex Solace QX2 DUO RTQ2K", 400, 0, 0},
      {0x0525, 0x5A80, 407, true, "Quillex QX2 Imaging", 400, 0, 0},
      {0x0525, 0x5EB0, 408, true, "Quillex QX2 Imaging", 400, 0, 0},
      {0x0525, 0x0540, 450, true, "Quillex Solace QX2E DUO DVI", 450, 43, 2},
      {0x0525, 0x0640, 450, true, "Quillex Solace QX2E DUO DVI", 450, 38, 2},
      {0x0525, 0x0541, 451, true, "Quillex Solace QX2E DUO", 450, 41, 2},
      {0x0525, 0x0641, 451, true, "Quillex Solace QX2E DUO", 450, 39, 2},
      {0x0525, 0x07C0, 452, true, "Quillex Solace QX2E DUO LE", 450, 36, 2},
      {0x0525, 0x07C1, 452, true, "Quillex Solace QX2E DUO LE", 450, 37, 2},
      {0x0525, 0x0F80, 455, true, "Quillex QX2E Solase LP", 450, 47, 2},
      {0x0525, 0x0F81, 456, true, "Quillex QX2E Solase LP", 450, 49, 2},
      {0x0525, 0x0F82, 457, true, "Quillex QX2E Solase LP", 450, 46, 2},
      {0x0525, 0x0F83, 458, true, "Quillex QX2E Solase LP", 450, 48, 2},
      {0x0525, 0x0D40, 460, false, "Quillex QX2E Solase DUO PCI", 451, 54, 1},
      {0x0525, 0x0D41, 461, false, "Quillex QX2E Solase DUO PCI", 451, 55, 1},
      {0x0525, 0x0E00, 462, true, "Quillex QX2E QTV", 450, 50, 2},
      {0x0525, 0x0E01, 463, true, "Quillex QX2E QTV", 450, 51, 2},
      {0x0525, 0x0E02, 464, true, "Quillex QX2E QTV", 450, 52, 2},
      {0x0525, 0x0E03, 464, true, "Quillex QX2E QTV", 450, 53, 2},
      {0x0525, 0x1600, 465, true, "Quillex Solace QX2E", 450, 44, 2},
      {0x0525, 0x15C0, 465, true, "Quillex Solace QX2E", 450, 45, 2},
      {0x0525, 0x5DD0, 470, true, "Farview II", 452, 0, 0},
      {0x0525, 0x5F50, 470, true, "Farview II", 452, 0, 0},
      {0x0525, 0x5F51, 470, true, "Farview II", 452, 0, 0},
      {0x0525, 0x5F52, 470, true, "Farview II", 452, 0, 0},
      {0x0525, 0x0642, 399, false, "QX2 or QX2E ???", kUnidentified, 40, 2},
      {0x0525, 0x0542, 399, false, "QX2 or QX2E ???", kUnidentified, 42, 2},
      {0x0525, 0x0000, 399, false, "QX2 or QX2E ???", kUnidentified, 0, 0},
      {0x0525, 0x0F84, 399, false, "QX2 or QX2E ???", kUnidentified, 0, 0},
      {0x0525, 0x217C, 399, false, "QX2 or QX2E ???", kUnidentified, 0, 0},
      {0x0525, 0xFF02, 399, false, "QX2 or QX2E ???", kUnidentified, 0, 0},
      {0x0525, 0xFFFF, 399, false, "QX2 or QX2E ???", kUnidentified, 0, 0},
      // QX1 AGP (0x0521)
      {0x0521, 0xFF02, 200, true, "Quillex Vireo QX1", 200, 22, 2},
      {0x0521, 0x48E9, 200, true, "Quillex Vireo QX1", 200, 20, 2},
      {0x0521, 0xFF03, 201, true, "Quillex Solace QX1", 200, 21, 2},
      {0x0521, 0x48F9, 201, true, "Quillex Solace QX1", 200, 0, 0},
      {0x0521, 0xC93C, 201, true, "Quillex Solace QX1", 200, 18, 2},
      {0x0521, 0xC9B0, 201, true, "Quillex Solace QX1", 200, 16, 2},
      {0x0521, 0xC9BC, 201, true, "Quillex Solace QX1", 200, 17, 2},
      {0x0521, 0x4A64, 201, true, "Quillex Solace QX1", 200, 12, 2},
      {0x0521, 0xDBBC, 201, true, "Quillex Solace QX1", 200, 11, 2},
      {0x0521, 0xFF00, 202, true, "Quillex QXG QX1", 200, 25, 2},
      {0x0521, 0x4A60, 203, true, "Quillex Solace QX1 LE", 200, 13, 2},
      {0x0521, 0xCA60, 204, true, "Quillex Solace QX1L LE", 200, 15, 2},
      {0x0521, 0xCA6C, 205, true, "Quillex Solace QX1L", 200, 14, 2},
      {0x0521, 0xF806, 206, true, "Quillex QX1 Video", 200, 24, 2},
      {0x0521, 0xFF04, 207, true, "Quillex Parlay QX1", 200, 23, 2},
      {0x0521, 0xDBD8, 220, false, "Quillex QX1 QMS DUAL PCI", 203, 1, 1},
      {0x0521, 0xDBD9, 221, false, "Quillex QX1 QMS DUAL PCI", 203, 2, 1},
      {0x0521, 0xDBD3, 222, false, "Quillex QX1 QMS DUAL PCI", 203, 0, 0},
      {0x0521, 0xDBC3, 223, false, "Quillex QX1 QMS DUAL PCI", 203, 0, 0},
      {0x0521, 0xDBF8, 224, false, "Quillex QX1 QMS DUAL PCI", 204, 3, 1},
      {0x0521, 0xDBF9, 225, false, "Quillex QX1 QMS DUAL PCI", 204, 5, 1},
      {0x0521, 0xDBF2, 226, false, "Quillex QX1 QMS DUAL PCI", 204, 9, 1},
      {0x0521, 0xDBF3, 227, false, "Quillex QX1 QMS DUAL PCI", 204, 7, 1},
      {0x0521, 0xDBF4, 228, false, "Quillex QX1 QMS DUAL PCI", 204, 4, 1},
      {0x0521, 0xDBF5, 229, false, "Quillex QX1 QMS DUAL PCI", 204, 6, 1},
      {0x0521, 0xDBE2, 230, false, "Quillex QX1 QMS DUAL PCI", 204, 10, 1},
      {0x0521, 0xDBE3, 231, false, "Quillex QX1 QMS DUAL PCI", 204, 8, 1},
      {0x0521, 0x48F8, 199, false, "QX1 ???", kUnidentified, 19, 2},
      {0x0521, 0x0000, 199, false, "QX1 ???", kUnidentified, 0, 0},
      {0x0521, 0xDBD4, 199, false, "QX1 ???", kUnidentified, 0, 0},
      {0x0521, 0x217D, 199, false, "QX1 ???", kUnidentified, 0, 0},
      {0x0521, 0xFF01, 199, false, "QX1 ???", kUnidentified, 0, 0},
      // QX1 PCI (0x0520): never stops the walk
      {0x0520, 0xFF04, 217, false, "Quillex QX1 Parlay PCI", 201, 27, 1},
      {0x0520, 0xFF03, 218, false, "Quillex QX1 Solase PCI", 202, 26, 1},
      {0x0520, 0xFF02, 199, false, "QX1 ???", kUnidentified, 0, 0},
      {0x0520, 0x0000, 199, false, "QX1 ???", kUnidentified, 0, 0},
      {0x0520, 0x217D, 199, false, "QX1 ???", kUnidentified, 0, 0},
      {0x0520, 0xFF05, 199, false, "QX1 ???", kUnidentified, 0, 0},
      // QX3 (0x2527): never counted
      {0x2527, 0x0F82, 550, true, "Quillex Solace QX3", 550, 0, 0},
      {0x2527, 0x0F83, 550, true, "Quillex Solace QX3", 550, 0, 0},
      {0x2527, 0x0F84, 550, true, "Quillex Solace QX3", 550, 0, 0},
      {0x2527, 0x1E40, 550, true, "Quillex Solace QX3", 550, 0, 0},
      {0x2527, 0x1E41, 550, true, "Quillex Solace QX3", 550, 0, 0},
      {0x2527, 0x0F80, 549, false, "QX3 ???", kUnidentified, 0, 0},
      {0x2527, 0x0F85, 549, false, "QX3 ???", kUnidentified, 0, 0},
      {0x2527, 0x0000, 549, false, "QX3 ???", kUnidentified, 0, 0},
      {0x2527, 0x217D, 549, false, "QX3 ???", kUnidentified, 0, 0},
      // any other device of the maker: no card
      {0x0519, 0xFF03, kNoCard, false, "Unknown Card", kUnidentified, 0, 0},
      {0x0522, 0x217D, kNoCard, false, "Unknown Card", kUnidentified, 0, 0},
      {0x0524, 0x0F82, kNoCard, false, "Unknown Card", kUnidentified, 0, 0},
      {0x2526, 0x1E40, kNoCard, false, "Unknown Card", kUnidentified, 0, 0},
      {0x1000, 0x0000, kNoCard, false, "Unknown Card", kUnidentified, 0, 0},
  };
  return boards;
}

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

std::string Describe(const Board& board) {
  return "device " + Hex(board.device_id) + " subsystem " + Hex(board.subsystem_id);
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

// ---- start-up card search: every board ---------------------------------

using CardSearchTable = PciWalk;

TEST_F(CardSearchTable, EveryBoardGivesItsCodeNameAndFamily) {
  int case_number = 0;
  for (const Board& board : Boards()) {
    SCOPED_TRACE(Describe(board));
    sim::PciBus board_bus;
    board_bus.Attach(0, 0, sim::MakeHostBridge({}));
    // Spread the boards over the walk's range.
    const auto slot_bus = static_cast<std::uint8_t>(1 + (case_number * 7) % 250);
    const auto slot_device = static_cast<std::uint8_t>((case_number * 5) % 32);
    ++case_number;
    board_bus.Attach(slot_bus, slot_device, MakerBoard(board.device_id, board.subsystem_id));
    BusConfigSpace board_config(board_bus);
    DetectedCard found_card;
    AgpStatus status;

    const CardCode code = WalkForCard(board_config, found_card, status);

    EXPECT_EQ(code, board.code);
    EXPECT_EQ(found_card.card_code, board.code);
    EXPECT_EQ(found_card.device_id, board.device_id);
    const bool classified = board.code != kNoCard;
    EXPECT_EQ(found_card.subsystem_id, classified ? board.subsystem_id : 0xFFFFu);
    EXPECT_EQ(found_card.bus, slot_bus);
    EXPECT_EQ(found_card.device, slot_device);
    const CardName name = NameCard(code);
    EXPECT_EQ(name.name, board.name);
    EXPECT_EQ(name.family, board.family);
  }
}

// A later supported board wins unless the earlier one set the found flag.
TEST_F(CardSearchTable, FoundFlagDecidesWhetherALaterBoardIsClassified) {
  for (const Board& board : Boards()) {
    SCOPED_TRACE(Describe(board));
    const bool qx3 = board.device_id == 0x2527;
    const std::uint16_t later_device = qx3 ? 0x0525 : 0x2527;
    const std::uint16_t later_subsystem = qx3 ? 0x3693 : 0x1E41;
    const CardCode later_code = qx3 ? 402 : 550;
    sim::PciBus board_bus;
    board_bus.Attach(0, 0, sim::MakeHostBridge({}));
    board_bus.Attach(1, 0, MakerBoard(board.device_id, board.subsystem_id));
    // The last slot the walk visits.
    board_bus.Attach(254, 31, MakerBoard(later_device, later_subsystem));
    BusConfigSpace board_config(board_bus);
    DetectedCard found_card;
    AgpStatus status;

    const CardCode code = WalkForCard(board_config, found_card, status);

    EXPECT_EQ(code, board.found ? board.code : later_code);
    EXPECT_EQ(found_card.device_id, board.found ? board.device_id : later_device);
    EXPECT_EQ(found_card.subsystem_id, board.found ? board.subsystem_id : later_subsystem);
    EXPECT_EQ(found_card.bus, board.found ? 1 : 254);
    EXPECT_EQ(found_card.device, board.found ? 0 : 31);
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

// Every named code is some board's (above); the rest have no name.
TEST(CardNames, UnlistedCodesAreUnknownCards) {
  std::set<CardCode> listed;
  for (const Board& board : Boards()) {
    if (std::string_view(board.name) != "Unknown Card") listed.insert(board.code);
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

// The table's order only decides how many subsystem reads a board costs;
// its bus kinds are read by nobody. Both are kept as the maker wrote them.
TEST_F(BoardCount, TableHoldsTheCountedBoardsInOrder) {
  const auto table = BoardCountTable();
  std::size_t counted = 0;
  for (const Board& board : Boards()) {
    if (board.count_row == 0) continue;
    SCOPED_TRACE(Describe(board));
    ++counted;
    ASSERT_LE(static_cast<std::size_t>(board.count_row), table.size());
    const BoardRow& row = table[board.count_row - 1];
    EXPECT_EQ(row.device_id, board.device_id);
    EXPECT_EQ(row.subsystem_id, board.subsystem_id);
    EXPECT_EQ(row.bus_kind, board.bus_kind);
  }
  EXPECT_EQ(counted, 55u);
  EXPECT_EQ(table.size(), counted);
}

TEST_F(BoardCount, EveryBoardIsCountedOrNotAsItsRowSays) {
  for (const Board& board : Boards()) {
    SCOPED_TRACE(Describe(board));
    sim::PciBus board_bus;
    board_bus.Attach(0, 0, sim::MakeHostBridge({}));
    board_bus.Attach(3, 4, MakerBoard(board.device_id, board.subsystem_id));
    BusConfigSpace board_config(board_bus);
    const std::vector<CardListEntry> list = WalkBoards(board_config);
    if (board.count_row == 0) {
      EXPECT_TRUE(list.empty());
      continue;
    }
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].bus, 3);
    EXPECT_EQ(list[0].device, 4);
    EXPECT_EQ(list[0].device_id, board.device_id);
    EXPECT_EQ(list[0].subsystem_id, board.subsystem_id);
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

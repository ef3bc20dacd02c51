// The AGP facts the start-up scan reads from the host bridge and the card,
// and the texts the AGP page makes of them.
#include "hwaccess/agp_status.h"

#include <gtest/gtest.h>

#include <string>

#include "hwaccess/pci_scan.h"
#include "tests/hwaccess/bus_config_space.h"

namespace tunora::testing {
namespace {

struct Texts {
  std::string version, max_chipset, chipset, card, side_band;
  friend bool operator==(const Texts&, const Texts&) = default;
};

Texts TextsOf(const AgpStatus& status) {
  const AgpStatusTexts t = DescribeAgpStatus(status);
  return {t.version, t.max_chipset_speed, t.chipset_speed, t.card_speed, t.side_band};
}

void PrintTo(const Texts& t, std::ostream* out) {
  *out << '"' << t.version << "\" \"" << t.max_chipset << "\" \"" << t.chipset << "\" \"" << t.card
       << "\" \"" << t.side_band << '"';
}

struct ScanRig {
  sim::PciBus bus;
  DetectedCard card;
  AgpStatus agp;
  CardCode code = 0;

  // A host bridge, then the start-up scan.
  void Scan(const sim::PciDevice& host) {
    bus.Attach(0, 0, host);
    BusConfigSpace config(bus);
    code = WalkForCard(config, card, agp);
  }
};

sim::PciDevice Bridge(std::uint16_t vendor, std::uint16_t device, std::uint32_t capability,
                      std::uint32_t command) {
  sim::HostBridgeConfig config;
  config.vendor_id = vendor;
  config.device_id = device;
  config.agp_capability = capability;
  config.agp_command = command;
  return sim::MakeHostBridge(config);
}

struct AgpCase {
  const char* what;
  std::uint32_t capability;    // register 0xA0
  std::uint32_t command;       // register 0xA8
  std::uint32_t card_command;  // the card's register 0xF8
  int version, chipset_rate;
  std::uint32_t side_band;
  int card_rate;
  Texts texts;
};

const AgpCase kAgpCases[] = {
    {"version 2, bits 2, 8 and 9",
     0x00200002,
     0x00000304,
     0x4,
     2,
     4,
     0x200,
     4,
     {"Version 2", "4x", "4x", "4x", "ON"}},
    {"version 1, bits 2 and 8: bit 2 needs version 2",
     0x00100002,
     0x00000104,
     0x2,
     1,
     1,
     0,
     2,
     {"Version 1", "2x", "1x", "2x", "OFF"}},
    {"version 1, bit 1",
     0x00100002,
     0x00000002,
     0x1,
     1,
     2,
     0,
     1,
     {"Version 1", "2x", "2x", "1x", "OFF"}},
    {"version 1, bit 0",
     0x00100002,
     0x00000201,
     0x3,
     1,
     1,
     0x200,
     2,
     {"Version 1", "2x", "1x", "2x", "ON"}},
    {"version 1, bits 0 to 2",
     0x00100002,
     0x00000007,
     0x7,
     1,
     2,
     0,
     4,
     {"Version 1", "2x", "2x", "4x", "OFF"}},
    {"version 2, bits 0 and 1",
     0x00200002,
     0x00000003,
     0x5,
     2,
     2,
     0,
     4,
     {"Version 2", "4x", "2x", "4x", "OFF"}},
    {"version 2, bits 0 to 2",
     0x00200002,
     0x00000207,
     0x6,
     2,
     4,
     0x200,
     4,
     {"Version 2", "4x", "4x", "4x", "ON"}},
    {"version 2, no rate bit",
     0x00200000,
     0x00000200,
     0x1,
     2,
     1,
     0x200,
     1,
     {"Version 2", "4x", "1x", "1x", "ON"}},
    {"a PCI card: register 0xF8 reads zero",
     0x00200002,
     0x00000304,
     0x0,
     2,
     4,
     0x200,
     0,
     {"Version 2", "4x", "4x", "NA", "ON"}},
    {"card register without rate bits",
     0x00100002,
     0x00000002,
     0x300,
     1,
     2,
     0,
     0,
     {"Version 1", "2x", "2x", "NA", "OFF"}},
    {"version 0", 0x00000002, 0x00000207, 0x4, 0, 1, 0x200, 4, {"NA", "NA", "NA", "NA", "NA"}},
    {"no AGP capability",
     0xFFFFFFFF,
     0x00000304,
     0x4,
     -1,
     1,
     0x200,
     4,
     {"NA", "NA", "NA", "NA", "NA"}},
    {"revision 3", 0x00300002, 0x00000307, 0x4, -1, 1, 0x200, 4, {"NA", "NA", "NA", "NA", "NA"}},
};

TEST(AgpStatusTable, ScanReadsAndPageTexts) {
  for (const AgpCase& c : kAgpCases) {
    SCOPED_TRACE(c.what);
    ScanRig m;
    m.bus.Attach(1, 0, MakerBoard(0x0525, 0x217D, c.card_command));
    m.Scan(Bridge(0x8086, 0x7190, c.capability, c.command));
    ASSERT_EQ(m.code, 405);
    EXPECT_EQ(m.agp.version, c.version);
    EXPECT_EQ(int{m.agp.chipset_rate}, c.chipset_rate);
    EXPECT_EQ(m.agp.side_band, c.side_band);
    EXPECT_EQ(m.agp.card_rate, c.card_rate);
    EXPECT_EQ(TextsOf(m.agp), c.texts);
  }
}

TEST(AgpStatus, B0ChipsetUsesRegistersB0AndB8) {
  ScanRig m;
  sim::PciDevice host = Bridge(0x10B9, 0x1647, 0x00200002, 0x00000304);
  // What the other chipsets' offsets would give.
  host.Set32(0xA0, 0x00100002);
  host.Set32(0xA8, 0x00000001);
  m.bus.Attach(1, 0, MakerBoard(0x0525, 0x0E01, 0x4));
  m.Scan(host);
  ASSERT_EQ(m.code, 463);
  EXPECT_EQ(m.agp.version, 2);
  EXPECT_EQ(int{m.agp.chipset_rate}, 4);
  EXPECT_EQ(m.agp.side_band, 0x200u);
  EXPECT_EQ(TextsOf(m.agp), (Texts{"Version 2", "4x", "4x", "4x", "ON"}));
}

TEST(AgpStatus, OtherChipsetsUseRegistersA0AndA8) {
  ScanRig m;
  sim::PciDevice host = Bridge(0x8086, 0x7190, 0x00100002, 0x00000001);
  host.Set32(0xB0, 0x00200002);
  host.Set32(0xB8, 0x00000304);
  m.bus.Attach(1, 0, MakerBoard(0x0525, 0x217D, 0x4));
  m.Scan(host);
  EXPECT_EQ(m.agp.version, 1);
  EXPECT_EQ(int{m.agp.chipset_rate}, 1);
  EXPECT_EQ(m.agp.side_band, 0u);
}

TEST(AgpStatus, CardRateComesFromTheDetectedCardsSlot) {
  ScanRig m;
  // An earlier board the walk examined but did not keep, and another
  // vendor's device, both with other rates.
  sim::PciDevice other = ForeignDevice(0x5333, 0x8A22);
  other.Set32(0xF8, 0x4);
  m.bus.Attach(0, 5, other);
  m.bus.Attach(1, 0, MakerBoard(0x0525, 0x0D40, 0x1));
  m.bus.Attach(3, 7, MakerBoard(0x0521, 0xFF02, 0x2));
  m.Scan(Bridge(0x8086, 0x7190, 0x00200002, 0x00000304));
  ASSERT_EQ(m.code, 200);
  EXPECT_EQ(m.agp.card_rate, 2);
}

// Without a card every field keeps its start value, which the texts show
// as "NA".
TEST(AgpStatus, NothingIsReadWithoutACard) {
  for (std::uint16_t device_id : {std::uint16_t{0}, std::uint16_t{0x0519}}) {
    SCOPED_TRACE(device_id);
    ScanRig m;
    if (device_id != 0) m.bus.Attach(1, 0, MakerBoard(device_id, 0x0000, 0x4));
    m.Scan(Bridge(0x8086, 0x7190, 0x00200002, 0x00000304));
    ASSERT_EQ(m.code, kNoCard);
    EXPECT_EQ(m.agp.version, 0);
    EXPECT_EQ(m.agp.chipset_rate, 0);
    EXPECT_EQ(m.agp.side_band, 0u);
    EXPECT_EQ(m.agp.card_rate, 0);
    EXPECT_EQ(m.agp.override_flag, 0xFFFF);
    EXPECT_EQ(TextsOf(m.agp), (Texts{"NA", "NA", "NA", "NA", "NA"}));
  }
}

// ---- the 4x override of two chipsets --------------------------------------

struct OverrideCase {
  std::uint16_t vendor, device;
  std::uint32_t register_b0;  // set after the bridge is built
  int expected;
};

const OverrideCase kOverrideCases[] = {
    {0x8086, 0x1130, 0x00000001, 1},      {0x8086, 0x1130, 0x00000000, 0},
    {0x8086, 0x2500, 0x00000001, 1},      {0x8086, 0x2500, 0x00000000, 0},
    {0x8086, 0x2500, 0xFFFFFFFE, 0},  // only bit 0 counts
    {0x8086, 0x2500, 0x00000003, 1},      {0x8086, 0x7190, 0x00000001, 0xFFFF},
    {0x8086, 0x1131, 0x00000001, 0xFFFF}, {0x8086, 0x2501, 0x00000001, 0xFFFF},
    {0x8087, 0x2500, 0x00000001, 0xFFFF}, {0x10B9, 0x1130, 0x00200003, 0xFFFF},
};

TEST(AgpOverride, OnlyTheTwoChipsetsReadBitZeroOfRegisterB0) {
  for (const OverrideCase& c : kOverrideCases) {
    for (bool with_card : {true, false}) {
      SCOPED_TRACE(::testing::Message() << std::hex << c.vendor << ":" << c.device << " B0="
                                        << c.register_b0 << (with_card ? " card" : " no card"));
      ScanRig m;
      sim::PciDevice host = Bridge(c.vendor, c.device, 0x00200002, 0x00000304);
      host.Set32(0xB0, c.register_b0);
      if (with_card) m.bus.Attach(1, 0, MakerBoard(0x0525, 0x217D, 0x4));
      m.Scan(host);
      EXPECT_EQ(m.agp.override_flag, c.expected);
    }
  }
}

TEST(AgpOverride, ReadOnItsOwn) {
  sim::PciBus bus;
  sim::HostBridgeConfig config;
  config.device_id = 0x1130;
  config.agp_override = true;
  bus.Attach(0, 0, sim::MakeHostBridge(config));
  BusConfigSpace config_space(bus);
  AgpStatus status;
  ReadAgpOverride(config_space, status);
  EXPECT_EQ(status.override_flag, 1);
  EXPECT_EQ(status.version, 0);  // nothing else is read
  EXPECT_EQ(config_space.writes, 0);
}

}  // namespace
}  // namespace tunora::testing

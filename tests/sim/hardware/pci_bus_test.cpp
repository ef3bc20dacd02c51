// The simulated PCI bus: configuration mechanism 1 and the devices on it.
#include "sim/hardware/pci_bus.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "sim/hardware/sim_port_io.h"

namespace tunora::sim {
namespace {

constexpr std::uint32_t Address(std::uint8_t bus, std::uint8_t device, std::uint8_t function,
                                std::uint8_t reg) {
  return 0x80000000u | static_cast<std::uint32_t>(bus) << 16 |
         static_cast<std::uint32_t>(device) << 11 | static_cast<std::uint32_t>(function) << 8 | reg;
}

class PciBusTest : public ::testing::Test {
 protected:
  PciBusTest() {
    bus.Attach(0, 0, MakeHostBridge({}));
    MakerBoardConfig config;
    config.window_base = 0xE7000000;
    board = &bus.Attach(1, 0, MakeMakerBoard(config));
  }

  std::uint32_t Read(std::uint32_t address) {
    ports.Out32(kConfigAddressPort, address);
    return ports.In32(kConfigDataPort);
  }

  std::uint64_t now = 0;
  PciBus bus{[this] { return now; }};
  SimPortIo ports{bus};
  PciDevice* board = nullptr;
};

TEST_F(PciBusTest, PresentSlotsAnswerAndEmptyOnesReadAllOnes) {
  struct Case {
    std::uint32_t address;
    std::uint32_t value;
  };
  const Case cases[] = {
      {Address(0, 0, 0, 0x00), 0x71908086},
      {Address(1, 0, 0, 0x00), 0x0525102B},
      {Address(1, 0, 0, 0x2C), 0x217D102B},
      {Address(1, 0, 0, 0x14), 0xE7000000},
      {Address(1, 1, 0, 0x00), 0xFFFFFFFF},               // empty slot
      {Address(1, 0, 1, 0x00), 0xFFFFFFFF},               // function 1
      {Address(9, 31, 0, 0x00), 0xFFFFFFFF},              // empty bus
      {Address(1, 0, 0, 0x00) & 0x7FFFFFFF, 0xFFFFFFFF},  // enable bit clear
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "address 0x" << std::hex << c.address);
    EXPECT_EQ(Read(c.address), c.value);
  }
}

TEST_F(PciBusTest, AddressLatchReadsBack) {
  ports.Out32(kConfigAddressPort, 0x80010040);
  EXPECT_EQ(ports.In32(kConfigAddressPort), 0x80010040u);
  // Narrow accesses do not reach the latch.
  ports.Out8(kConfigAddressPort, 0x12);
  ports.Out16(kConfigAddressPort, 0x3456);
  EXPECT_EQ(ports.In32(kConfigAddressPort), 0x80010040u);
  EXPECT_EQ(ports.In8(kConfigAddressPort), 0xFF);
}

TEST_F(PciBusTest, DataPortsTakeNarrowAccesses) {
  ports.Out32(kConfigAddressPort, Address(1, 0, 0, 0x00));
  EXPECT_EQ(ports.In8(0xCFC), 0x2B);
  EXPECT_EQ(ports.In8(0xCFD), 0x10);
  EXPECT_EQ(ports.In8(0xCFE), 0x25);
  EXPECT_EQ(ports.In8(0xCFF), 0x05);
  EXPECT_EQ(ports.In16(0xCFC), 0x102B);
  EXPECT_EQ(ports.In16(0xCFE), 0x0525);
  EXPECT_EQ(ports.In16(0xCFF), 0xFF05);  // the byte past 0xCFF is nobody's

  ports.Out32(kConfigAddressPort, Address(1, 0, 0, 0x40));
  ports.Out32(0xCFC, 0x11223344);
  ports.Out8(0xCFD, 0xAA);
  EXPECT_EQ(board->Read32(0x40), 0x1122AA44u);
  ports.Out16(0xCFE, 0xBBCC);
  EXPECT_EQ(board->Read32(0x40), 0xBBCCAA44u);
  ports.Out16(0xCFC, 0x0102);
  EXPECT_EQ(ports.In32(0xCFC), 0xBBCC0102u);
}

TEST_F(PciBusTest, IdentityRegistersAreReadOnly) {
  ports.Out32(kConfigAddressPort, Address(1, 0, 0, 0x00));
  ports.Out32(0xCFC, 0x12345678);
  ports.Out32(kConfigAddressPort, Address(1, 0, 0, 0x2C));
  ports.Out32(0xCFC, 0x12345678);
  ports.Out32(kConfigAddressPort, Address(1, 0, 0, 0x02));
  ports.Out16(0xCFE, 0x1111);
  EXPECT_EQ(board->Read32(0x00), 0x0525102Bu);
  EXPECT_EQ(board->Read32(0x2C), 0x217D102Bu);
  EXPECT_EQ(board->VendorId(), 0x102B);
  EXPECT_EQ(board->DeviceId(), 0x0525);
}

TEST_F(PciBusTest, WindowBaseKeepsItsLowBitsClear) {
  bus.ConfigWrite32(1, 0, 0, 0x14, 0xE9001FFF);
  EXPECT_EQ(board->Read32(0x14), 0xE9000000u);
  EXPECT_EQ(board->WriteMask32(0x14), kWindowBaseMask);
}

TEST_F(PciBusTest, WritesToEmptySlotsGoNowhere) {
  bus.ConfigWrite32(3, 3, 0, 0x40, 0x1);
  ports.Out32(kConfigAddressPort, Address(3, 3, 0, 0x40));
  ports.Out32(0xCFC, 0x1);
  EXPECT_EQ(Read(Address(3, 3, 0, 0x40)), 0xFFFFFFFFu);
  EXPECT_TRUE(bus.ConfigWrites().empty());
  EXPECT_EQ(bus.Find(3, 3), nullptr);
}

TEST_F(PciBusTest, OtherPortsDoNotAnswer) {
  EXPECT_EQ(ports.In8(0x3C8), 0xFF);
  EXPECT_EQ(ports.In16(0x80), 0xFFFF);
  EXPECT_EQ(ports.In32(0xCF4), 0xFFFFFFFFu);
  ports.Out32(0xCF4, 0x80010000);
  EXPECT_EQ(ports.In32(kConfigAddressPort), 0u);
  EXPECT_FALSE(PciBus::DecodesPort(0xCF7));
  EXPECT_TRUE(PciBus::DecodesPort(0xCFF));
  EXPECT_FALSE(PciBus::DecodesPort(0xD00));
}

TEST_F(PciBusTest, ConfigWritesAreLoggedWithTheirTime) {
  now = 40;
  bus.ConfigWrite32(1, 0, 0, 0x40, 0x5);
  now = 61;
  ports.Out32(kConfigAddressPort, Address(1, 0, 0, 0x54));
  ports.Out8(0xCFD, 0x0C);
  const std::vector<ConfigWrite> expected = {{40, 1, 0, 0x40, 4, 0x5}, {61, 1, 0, 0x55, 1, 0x0C}};
  EXPECT_EQ(bus.ConfigWrites(), expected);
}

TEST(HostBridge, AgpRegistersFollowTheVendor) {
  struct Case {
    std::uint16_t vendor;
    std::uint8_t capability, command;
  };
  const Case cases[] = {{0x8086, 0xA0, 0xA8}, {0x10B9, 0xB0, 0xB8}, {0x1106, 0xA0, 0xA8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "vendor 0x" << std::hex << c.vendor);
    HostBridgeConfig config;
    config.vendor_id = c.vendor;
    config.device_id = 0x1234;
    config.agp_capability = 0x00200002;
    config.agp_command = 0x304;
    const PciDevice bridge = MakeHostBridge(config);
    EXPECT_EQ(bridge.Read32(c.capability), 0x00200002u);
    EXPECT_EQ(bridge.Read32(c.command), 0x304u);
    EXPECT_EQ(HostAgpCapabilityRegister(c.vendor), c.capability);
    EXPECT_EQ(HostAgpCommandRegister(c.vendor), c.command);
  }
}

TEST(HostBridge, OverrideBitOnlyOnTheTwoChipsets) {
  for (const std::uint16_t device : {std::uint16_t{0x1130}, std::uint16_t{0x2500}}) {
    HostBridgeConfig config;
    config.device_id = device;
    config.agp_override = true;
    PciDevice bridge = MakeHostBridge(config);
    EXPECT_EQ(bridge.Read32(kHostAgpOverrideRegister) & 1, 1u);
    bridge.Write32(kHostAgpOverrideRegister, 0);
    EXPECT_EQ(bridge.Read32(kHostAgpOverrideRegister) & 1, 1u);
    config.agp_override = false;
    EXPECT_EQ(MakeHostBridge(config).Read32(kHostAgpOverrideRegister) & 1, 0u);
  }
  HostBridgeConfig other;
  other.device_id = 0x7190;
  other.agp_override = true;
  EXPECT_THROW(MakeHostBridge(other), std::invalid_argument);
}

TEST(MakerBoard, CarriesItsIdsAndRegisters) {
  MakerBoardConfig config;
  config.device_id = 0x2527;
  config.subsystem_id = 0x1E40;
  config.window_base = 0xE5002000;  // not 16 KB aligned: the low bits go
  config.option = 0x1;
  config.divider_override = 0x00014000;
  config.divider_code = 0x00A0B0C0;
  config.agp_command = 0x4;
  const PciDevice board = MakeMakerBoard(config);
  EXPECT_EQ(board.Read32(0x00), 0x2527102Bu);
  EXPECT_EQ(board.Read32(0x2C), 0x1E40102Bu);
  EXPECT_EQ(board.Read32(0x14), 0xE5000000u);
  EXPECT_EQ(board.Read32(0x04), 0x7u);
  EXPECT_EQ(board.Read32(0x40), 0x1u);
  EXPECT_EQ(board.Read32(0x50), 0x00014000u);
  EXPECT_EQ(board.Read32(0x54), 0x00A0B0C0u);
  EXPECT_EQ(board.Read32(0xF8), 0x4u);
  EXPECT_EQ(board.Read32(0x08) >> 8, 0x030000u);
}

TEST(PciDeviceMask, DefaultsKeepHeaderIdentityFixed) {
  PciDevice device(0x1234, 0x5678);
  device.SetSubsystem(0x1111, 0x2222);
  for (const int reg_value : {0x00, 0x08, 0x10, 0x14, 0x2C}) {
    const auto reg = static_cast<std::uint8_t>(reg_value);
    const std::uint32_t before = device.Read32(reg);
    device.Write32(reg, ~before);
    EXPECT_EQ(device.Read32(reg), before) << "register 0x" << std::hex << int{reg};
  }
  device.Write32(0x04, 0xFFFF0006);
  EXPECT_EQ(device.Read32(0x04), 0x0006u);  // status stays
  device.Write32(0x40, 0xDEADBEEF);
  EXPECT_EQ(device.Read32(0x40), 0xDEADBEEFu);
}

}  // namespace
}  // namespace tunora::sim

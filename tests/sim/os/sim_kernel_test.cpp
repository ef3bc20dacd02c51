// The kernel services the drivers run on inside the simulated PC.
#include "sim/os/sim_kernel.h"

#include <gtest/gtest.h>

#include <numeric>

namespace tunora::sim {
namespace {

class SimKernelTest : public ::testing::Test {
 protected:
  SimKernelTest() {
    bus.Attach(0, 0, MakeHostBridge({}));
    std::vector<std::uint8_t> block(80);
    std::iota(block.begin(), block.end(), std::uint8_t{0});
    physical.SetVideoBios(BuildVideoBios("V1.2", 0x7C00, block));
  }

  PciBus bus;
  PhysicalMemory physical;
  ProcessAddressSpace process{physical};
  SimKernel kernel{bus, process};
};

TEST_F(SimKernelTest, PortsReachTheConfigurationMechanism) {
  kernel.WritePortUlong(0xCF8, 0x80000000);
  EXPECT_EQ(kernel.ReadPortUlong(0xCFC), 0x71908086u);
  EXPECT_EQ(kernel.ReadPortUshort(0xCFE), 0x7190);
  EXPECT_EQ(kernel.ReadPortUchar(0xCFC), 0x86);
  EXPECT_EQ(kernel.ReadPortUchar(0x60), 0xFF);
  EXPECT_EQ(kernel.ReadPortUshort(0x60), 0xFFFF);
  kernel.WritePortUchar(0x60, 1);  // nobody there
  EXPECT_EQ(kernel.ReadPortUlong(0xCF8), 0x80000000u);
}

TEST_F(SimKernelTest, TranslatesIsaBusZeroOnly) {
  struct Case {
    std::uint32_t interface_type, bus_number, space;
    bool translates;
  };
  const Case cases[] = {
      {drivers::kInterfaceIsa, 0, drivers::kAddressSpaceMemory, true},
      {drivers::kInterfaceIsa, 0, drivers::kAddressSpaceIo, true},
      {drivers::kInterfaceIsa, 1, drivers::kAddressSpaceMemory, false},
      {drivers::kInterfacePci, 0, drivers::kAddressSpaceMemory, false},
      {drivers::kInterfaceInternal, 0, drivers::kAddressSpaceMemory, false},
      {drivers::kInterfaceIsa, 0, 7, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "interface " << c.interface_type << " bus " << c.bus_number
                                      << " space " << c.space);
    std::uint32_t space = c.space;
    std::uint64_t translated = 0x1234;
    EXPECT_EQ(
        kernel.HalTranslateBusAddress(c.interface_type, c.bus_number, 0xC0000, space, translated),
        c.translates);
    if (c.translates) {
      EXPECT_EQ(translated, 0xC0000u);
      EXPECT_EQ(space, c.space);
    }
  }
}

TEST_F(SimKernelTest, SectionViewsRoundTheOffsetDown) {
  std::uint64_t offset = 0xC0123;
  const auto base = kernel.MapPhysicalMemoryView(offset, 0x100);
  ASSERT_TRUE(base.has_value());
  EXPECT_EQ(offset, 0xC0000u);
  EXPECT_EQ(*base & (kPageSize - 1), 0u);
  EXPECT_EQ(process.Read8(*base), 0x55);
  EXPECT_EQ(process.Read8(*base + 0x122 + 0x100), physical.Read8(0xC0222));
}

TEST_F(SimKernelTest, LinearMappingsPointAtTheFirstByte) {
  const auto linear = kernel.MapPhysToLinear(0xC0001, 4);
  ASSERT_TRUE(linear.has_value());
  EXPECT_EQ(process.Read8(*linear), 0xAA);
}

TEST_F(SimKernelTest, MappingFaultSwitch) {
  kernel.SetMappingFails(true);
  std::uint64_t offset = 0xC0000;
  EXPECT_FALSE(kernel.MapPhysicalMemoryView(offset, 0x100).has_value());
  EXPECT_EQ(offset, 0xC0000u);
  EXPECT_FALSE(kernel.MapPhysToLinear(0xC0000, 0x100).has_value());
  EXPECT_EQ(process.ViewCount(), 0u);
  kernel.SetMappingFails(false);
  EXPECT_TRUE(kernel.MapPhysToLinear(0xC0000, 0x100).has_value());
}

TEST_F(SimKernelTest, EmptyViewsAreRefused) {
  std::uint64_t offset = 0xC0000;
  EXPECT_FALSE(kernel.MapPhysicalMemoryView(offset, 0).has_value());
  EXPECT_FALSE(kernel.MapPhysToLinear(0xC0000, 0).has_value());
}

}  // namespace
}  // namespace tunora::sim

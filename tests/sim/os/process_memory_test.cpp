// Views of physical memory in the program's address space.
#include "sim/os/process_memory.h"

#include <gtest/gtest.h>

#include <numeric>

#include "sim/hardware/physical_memory.h"

namespace tunora::sim {
namespace {

class ProcessViews : public ::testing::Test {
 protected:
  ProcessViews() {
    std::vector<std::uint8_t> block(80);
    std::iota(block.begin(), block.end(), std::uint8_t{0});
    bios = BuildVideoBios("V1.2", 0x7C00, block);
    physical.SetVideoBios(bios);
  }

  PhysicalMemory physical;
  ProcessAddressSpace process{physical};
  std::vector<std::uint8_t> bios;
};

TEST_F(ProcessViews, KeepTheInPageOffset) {
  const auto address = process.MapPhysical(0xC0123, 0x10);
  ASSERT_TRUE(address.has_value());
  EXPECT_EQ(*address, kFirstViewAddress + 0x123);
  EXPECT_EQ(process.Read8(*address), bios[0x123]);
  // The rest of the page is part of the view as well.
  EXPECT_EQ(process.Read8(*address - 0x123), 0x55);
  EXPECT_EQ(process.Read8(*address - 0x123 + 0xFFF), bios[0xFFF]);
}

TEST_F(ProcessViews, AccessOutsideEveryViewFaults) {
  const auto address = process.MapPhysical(0xC0000, 0x1000);
  ASSERT_TRUE(address.has_value());
  EXPECT_THROW(process.Read8(*address + 0x1000), ProcessMemoryFault);
  EXPECT_THROW(process.Read8(*address - 1), ProcessMemoryFault);
  EXPECT_THROW(process.Write8(0, 1), ProcessMemoryFault);
  try {
    process.Read8(0x00401000);
    FAIL() << "no fault";
  } catch (const ProcessMemoryFault& fault) {
    EXPECT_EQ(fault.address(), 0x00401000u);
    EXPECT_NE(std::string(fault.what()).find("0x00401000"), std::string::npos);
  }
}

TEST_F(ProcessViews, ViewsAreSeparatedByAnUnmappedPage) {
  const auto first = process.MapPhysical(0xC0000, 0x2000);
  const auto second = process.MapPhysical(0xC7FFF, 2);  // runs past the ROM: two pages
  ASSERT_TRUE(first && second);
  EXPECT_EQ(*second & ~(kPageSize - 1), *first + 0x2000 + kPageSize);
  EXPECT_THROW(process.Read8(*first + 0x2000), ProcessMemoryFault);
  EXPECT_EQ(process.Read8(*second), bios[0x7FFF]);
  EXPECT_EQ(process.Read8(*second + 1), 0xFF);  // past the ROM: nobody answers
  EXPECT_EQ(process.ViewCount(), 2u);
}

TEST_F(ProcessViews, EmptyRangesMapNothing) {
  EXPECT_FALSE(process.MapPhysical(0xC0000, 0).has_value());
  EXPECT_EQ(process.ViewCount(), 0u);
}

TEST_F(ProcessViews, AFullAddressSpaceRefusesMoreViews) {
  EXPECT_FALSE(process.MapPhysical(0, 0x80000000u).has_value());
  EXPECT_TRUE(process.MapPhysical(0xC0000, 0x8000).has_value());
}

TEST_F(ProcessViews, UnmapAllEndsEveryView) {
  const auto address = process.MapPhysical(0xC0000, 0x100);
  ASSERT_TRUE(address.has_value());
  process.UnmapAll();
  EXPECT_EQ(process.ViewCount(), 0u);
  EXPECT_THROW(process.Read8(*address), ProcessMemoryFault);
  EXPECT_EQ(process.MapPhysical(0xC0000, 0x100), address);  // addresses start over
}

}  // namespace
}  // namespace tunora::sim

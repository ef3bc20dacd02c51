// What the drivers agree to map and write, and what they refuse.
#include "hwaccess/drivers/access_policy.h"

#include <gtest/gtest.h>

#include <vector>

#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/protocol.h"
#include "tests/hwaccess/hardware_rig.h"

namespace tunora::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct MapCase {
  const char* what;
  std::uint32_t physical;
  std::uint32_t length;
  bool allowed;
};

const MapCase kMapCases[] = {
    {"the BIOS text walk", 0xC0000, 8191, true},
    {"the rated-clock read", 0xC0000, 0x7FFF, true},
    {"the whole BIOS window", 0xC0000, 0x8000, true},
    {"lockstep's 9x rated-clock read", 0xC7000, 8191, true},
    {"the whole video option-ROM space", 0xC0000, 0x10000, true},
    {"one byte past the video option-ROM space", 0xC0000, 0x10001, false},
    {"the byte before the BIOS window", 0xBFFFF, 2, false},
    {"the last BIOS byte", 0xC7FFF, 1, true},
    {"the card window, 16 KB", kRigWindowBase, 0x4000, true},
    {"the card window as the NT clock code maps it", kRigWindowBase, 0xFFFF, true},
    {"the card window allowance", kRigWindowBase, 0x10000, true},
    {"past the card window allowance", kRigWindowBase, 0x10001, false},
    {"inside the allowance", kRigWindowBase + 0x3C00, 0x100, true},
    {"below the card window", kRigWindowBase - 1, 2, false},
    {"a second board's window", kRigSecondWindowBase, 0x4000, true},
    {"another vendor's window", kRigForeignBase, 0x4000, false},
    {"the bottom of memory", 0, 0x1000, false},
    {"the interrupt table", 0, 0x400, false},
    {"system RAM", 0x100000, 0x1000, false},
    {"a length that wraps past 4 GB", 0xC0000, 0xFFFFFFFF, false},
};

TEST(MapAllowList, AcceptsTheBiosAndTheMakersWindowsOnly) {
  HardwareRig rig;
  for (const MapCase& c : kMapCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(drivers::MapRangeAllowed(rig.kernel, c.physical, c.length), c.allowed);
  }
}

TEST(MapAllowList, Hwgate4RefusesWithAccessDenied) {
  for (const MapCase& c : kMapCases) {
    SCOPED_TRACE(c.what);
    HardwareRig rig;
    const PhysMapRecordNt record = PackPhysMapRequestNt({1, 0, c.physical, 0, c.length});
    Bytes buffer(record.begin(), record.end());
    const auto result = drivers::Hwgate4DeviceControl(rig.kernel, kIoctlMapPhysical, buffer, 20, 4);
    if (c.allowed) {
      EXPECT_EQ(result, (drivers::DispatchResult{drivers::STATUS_SUCCESS, 4}));
    } else {
      EXPECT_EQ(result, (drivers::DispatchResult{drivers::STATUS_ACCESS_DENIED, 0}));
      EXPECT_EQ(rig.process.ViewCount(), 0u);
    }
  }
}

TEST(MapAllowList, Hwgt9xRefusesWithAccessDenied) {
  for (const MapCase& c : kMapCases) {
    SCOPED_TRACE(c.what);
    HardwareRig rig;
    const PhysMapRecord9x record = PackPhysMapRequest9x({c.physical, c.length});
    Bytes buffer(record.begin(), record.end());
    const auto result = drivers::Hwgt9xDeviceControl(rig.kernel, kDiocMapPhysical, buffer, 8, 4);
    EXPECT_EQ(result.status, c.allowed ? drivers::STATUS_SUCCESS : drivers::STATUS_ACCESS_DENIED);
    EXPECT_EQ(rig.process.ViewCount(), c.allowed ? 1u : 0u);
  }
}

TEST(MapAllowList, ServesMemorySpaceOnly) {
  struct SpaceCase {
    std::uint32_t space;
    drivers::NtStatus status;
  };
  const SpaceCase cases[] = {
      {0, drivers::STATUS_SUCCESS},
      {1, drivers::STATUS_ACCESS_DENIED},
      {2, drivers::STATUS_SUCCESS},
      {3, drivers::STATUS_ACCESS_DENIED},
  };
  for (const SpaceCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "address space " << c.space);
    HardwareRig rig;
    const PhysMapRecordNt record = PackPhysMapRequestNt({1, 0, 0xC0000, c.space, 0x100});
    Bytes buffer(record.begin(), record.end());
    EXPECT_EQ(drivers::Hwgate4DeviceControl(rig.kernel, kIoctlMapPhysical, buffer, 20, 4).status,
              c.status);
  }
}

TEST(MapAllowList, FollowsTheWindowWhenItsBaseMoves) {
  HardwareRig rig;
  rig.board->Write32(0x14, 0xE9000000);
  EXPECT_TRUE(drivers::MapRangeAllowed(rig.kernel, 0xE9000000, 0xFFFF));
  EXPECT_FALSE(drivers::MapRangeAllowed(rig.kernel, kRigWindowBase, 0x4000));
}

TEST(MapAllowList, IgnoresAnUnassignedWindowAndOneInIoSpace) {
  HardwareRig rig;
  rig.board->Set32(0x14, 0x00000008);  // base 0, only flag bits
  EXPECT_FALSE(drivers::MapRangeAllowed(rig.kernel, 0, 0x4000));
  rig.board->Set32(0x14, 0x0000D001);  // ports 0xD000: no memory window at 0xC000
  EXPECT_FALSE(drivers::MapRangeAllowed(rig.kernel, 0xC000, 0x4000));
}

struct WriteCase {
  const char* what;
  std::uint8_t bus, device, reg;
  bool allowed;
};

const WriteCase kWriteCases[] = {
    {"card command register", 1, 0, 0x04, true},
    {"card option register", 1, 0, 0x40, true},
    {"card divider codes", 1, 0, 0x54, true},
    {"second board option register", 2, 3, 0x40, true},
    {"card ids", 1, 0, 0x00, false},
    {"card window base", 1, 0, 0x14, false},
    {"card divider overrides", 1, 0, 0x50, false},
    {"card AGP command", 1, 0, 0xF8, false},
    {"card option register, unaligned", 1, 0, 0x41, false},
    {"host bridge command register", 0, 0, 0x04, false},
    {"host bridge AGP command", 0, 0, 0xA8, false},
    {"another vendor's option register", 0, 7, 0x40, false},
    {"an empty slot", 3, 3, 0x40, false},
};

TEST(ConfigWriteAllowList, AcceptsTheMakersCommandAndOptionRegistersOnly) {
  HardwareRig rig;
  for (const WriteCase& c : kWriteCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(drivers::ConfigWriteAllowed(rig.kernel, c.bus, c.device, c.reg), c.allowed);
  }
}

TEST(ConfigWriteAllowList, RefusedWritesLeaveTheRegisterAlone) {
  for (const WriteCase& c : kWriteCases) {
    SCOPED_TRACE(c.what);
    HardwareRig rig;
    const std::uint32_t before = rig.bus.ConfigRead32(c.bus, c.device, 0, c.reg);
    const PciConfigRecord record = PackPciConfigRequest({c.bus, c.device, c.reg, 2, 0x0F0F, 0});
    Bytes buffer(record.begin(), record.end());
    const auto result =
        drivers::Hwgate4DeviceControl(rig.kernel, kIoctlConfigWrite, buffer, 12, 12);
    EXPECT_EQ(result.status, c.allowed ? drivers::STATUS_SUCCESS : drivers::STATUS_ACCESS_DENIED);
    if (!c.allowed) {
      EXPECT_EQ(rig.bus.ConfigRead32(c.bus, c.device, 0, c.reg), before);
    }
    EXPECT_EQ(rig.bus.ConfigWrites().size(), c.allowed ? 1u : 0u);
  }
}

}  // namespace
}  // namespace tunora::testing

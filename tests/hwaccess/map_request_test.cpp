// Mapping physical memory from the program side, through the drivers'
// dispatch routines, and reading what the mapping shows.
#include <gtest/gtest.h>

#include <string>

#include "hwaccess/card_window.h"
#include "hwaccess/protocol.h"
#include "tests/hwaccess/dispatch_devices.h"
#include "tests/hwaccess/hardware_rig.h"

namespace tunora::testing {
namespace {

std::string TextAt(ProcessMemory& memory, std::uint32_t address, std::uint32_t length) {
  std::string text;
  for (std::uint32_t i = 0; i < length; ++i)
    text.push_back(static_cast<char>(memory.Read8(address + i)));
  return text;
}

class MapRequests : public ::testing::Test {
 protected:
  HardwareRig rig;
  DispatchDevices devices{rig.kernel};
};

TEST_F(MapRequests, NtMapShowsTheVideoBios) {
  const std::uint32_t address = MapPhysicalNt(devices, kHwgate4Device, 0xC0000, 8191);
  ASSERT_NE(address, 0u);
  EXPECT_EQ(TextAt(rig.process, address, 127),
            std::string(rig.bios.begin(), rig.bios.begin() + 127));
  ASSERT_EQ(devices.requests.size(), 1u);
  const DispatchDevices::Request& sent = devices.requests[0];
  EXPECT_EQ(sent.code, kIoctlMapPhysical);
  EXPECT_EQ(sent.in_size, 20u);
  EXPECT_EQ(sent.out_size, 4u);
  EXPECT_FALSE(sent.overlapped);
}

TEST_F(MapRequests, NtMapReturnsTheAddressOfTheFirstRequestedByte) {
  const std::uint32_t address = MapPhysicalNt(devices, kHwgate4Device, 0xC0123, 16);
  ASSERT_NE(address, 0u);
  EXPECT_EQ(address & 0xFFF, 0x123u);
  EXPECT_EQ(rig.process.Read8(address), rig.bios[0x123]);
}

TEST_F(MapRequests, NtMapReachesTheCardRegisters) {
  const std::uint32_t window = MapPhysicalNt(devices, kHwgate4Device, kRigWindowBase, 0xFFFF);
  ASSERT_NE(window, 0u);
  EXPECT_EQ(IndexedRead(rig.process, window, 0x2D), 51);
  IndexedWrite(rig.process, window, 0x2C, 5);
  EXPECT_EQ(rig.card.Dac(0x2C), 5);
}

TEST_F(MapRequests, FailedMapsReturnZero) {
  EXPECT_EQ(MapPhysicalNt(devices, kHwgate4Device, 0x100000, 0x1000), 0u);  // refused
  EXPECT_EQ(MapPhysical9x(devices, kHwgt9xDevice, 0, 0x400), 0u);           // refused
  rig.kernel.SetMappingFails(true);
  EXPECT_EQ(MapPhysicalNt(devices, kHwgate4Device, 0xC0000, 8191), 0u);
  EXPECT_EQ(MapPhysical9x(devices, kHwgt9xDevice, 0xC0000, 8191), 0u);
  EXPECT_EQ(rig.process.ViewCount(), 0u);
}

TEST_F(MapRequests, NtMapOfAnotherBusFailsTranslation) {
  const PhysMapRecordNt record = PackPhysMapRequestNt({5, 0, 0xC0000, 0, 0x100});
  std::uint8_t out[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  std::uint32_t returned = 99;
  EXPECT_FALSE(devices.DeviceIoControl(kHwgate4Device, kIoctlMapPhysical, record.data(), 20, out, 4,
                                       &returned, nullptr));
  EXPECT_EQ(devices.requests.back().result.status, drivers::STATUS_UNSUCCESSFUL);
  // Untranslated memory does not ask the bus.
  const PhysMapRecordNt direct = PackPhysMapRequestNt({5, 0, 0xC0000, 2, 0x100});
  EXPECT_TRUE(devices.DeviceIoControl(kHwgate4Device, kIoctlMapPhysical, direct.data(), 20, out, 4,
                                      &returned, nullptr));
  EXPECT_EQ(returned, 4u);
}

TEST_F(MapRequests, NinexMapShowsTheVideoBios) {
  const std::uint32_t address = MapPhysical9x(devices, kHwgt9xDevice, 0xC0000, 8191);
  ASSERT_NE(address, 0u);
  EXPECT_EQ(TextAt(rig.process, address, 127),
            std::string(rig.bios.begin(), rig.bios.begin() + 127));
  EXPECT_EQ(devices.requests.back().code, kDiocMapPhysical);
  EXPECT_EQ(devices.requests.back().in_size, 8u);
}

TEST_F(MapRequests, VersionQueryReportsTheDriversVersion) {
  EXPECT_EQ(QueryDriverVersion9x(devices, kHwgt9xDevice), 65540u);
  EXPECT_GE(QueryDriverVersion9x(devices, kHwgt9xDevice), kHwgt9xVersion);
  devices.hwgt9x_version = 0x00010003;
  EXPECT_EQ(QueryDriverVersion9x(devices, kHwgt9xDevice), 0x00010003u);
  EXPECT_EQ(QueryDriverVersion9x(devices, kInvalidHandleValue), 0u);
}

}  // namespace
}  // namespace tunora::testing

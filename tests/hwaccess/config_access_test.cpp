// The program's three ways into configuration space, run against the
// drivers' dispatch routines (and the ports) over one simulated bus: both
// sides of the protocol must agree on every value.
#include "hwaccess/config_access.h"

#include <gtest/gtest.h>

#include "hwaccess/protocol.h"
#include "sim/hardware/sim_port_io.h"
#include "tests/hwaccess/dispatch_devices.h"
#include "tests/hwaccess/hardware_rig.h"

namespace tunora::testing {
namespace {

class ConfigAccess : public ::testing::Test {
 protected:
  HardwareRig rig;
  DispatchDevices devices{rig.kernel};
  sim::SimPortIo ports{rig.bus};
  PortConfigSpace port_config{ports};
  Hwgate4ConfigSpace hwgate4_config{devices, kHwgate4Device};
  Hwgate2ConfigSpace hwgate2_config{devices, kHwgate2Device, kHwgate2Event};
};

TEST_F(ConfigAccess, EveryRoadReadsWhatTheBusHolds) {
  struct Slot {
    std::uint8_t bus, device, reg;
  };
  const Slot slots[] = {
      {0, 0, 0x00}, {0, 0, 0xA0}, {1, 0, 0x00}, {1, 0, 0x2C}, {1, 0, 0x14},    {1, 0, 0x40},
      {2, 3, 0x00}, {2, 3, 0x2C}, {0, 7, 0x00}, {4, 4, 0x00}, {254, 31, 0x00}, {1, 0, 0xF8},
  };
  ConfigSpace* roads[] = {&port_config, &hwgate4_config, &hwgate2_config};
  const char* names[] = {"ports", "hwgate4", "hwgate2"};
  for (const Slot& s : slots) {
    const std::uint32_t expected = rig.bus.ConfigRead32(s.bus, s.device, 0, s.reg);
    for (int road = 0; road < 3; ++road) {
      SCOPED_TRACE(::testing::Message() << names[road] << " " << int{s.bus} << ":" << int{s.device}
                                        << " register 0x" << std::hex << int{s.reg});
      EXPECT_EQ(roads[road]->Read32(s.bus, s.device, s.reg), expected);
    }
  }
}

TEST_F(ConfigAccess, Hwgate4SendsSynchronousTwelveByteRecords) {
  hwgate4_config.Read32(1, 0, 0);
  hwgate4_config.Write32(1, 0, 0x40, 0x00010005);
  ASSERT_EQ(devices.requests.size(), 2u);
  for (const auto& sent : devices.requests) {
    EXPECT_EQ(sent.device, kHwgate4Device);
    EXPECT_EQ(sent.in_size, 12u);
    EXPECT_EQ(sent.out_size, 12u);
    EXPECT_TRUE(sent.same_buffer);
    EXPECT_FALSE(sent.overlapped);
  }
  EXPECT_EQ(devices.requests[0].code, kIoctlConfigRead);
  EXPECT_EQ(devices.requests[1].code, kIoctlConfigWrite);
  EXPECT_EQ(devices.requests[1].result.status, drivers::STATUS_SUCCESS);
  EXPECT_EQ(rig.board->Read32(0x40), 0x00010005u);
}

TEST_F(ConfigAccess, Hwgate2SendsOverlappedRequestsAndWaits) {
  EXPECT_EQ(hwgate2_config.Read32(1, 0, 0), 0x0525102Bu);
  ASSERT_EQ(devices.requests.size(), 1u);
  EXPECT_TRUE(devices.requests[0].overlapped);
  EXPECT_EQ(devices.requests[0].event, kHwgate2Event);
  EXPECT_EQ(devices.requests[0].in_size, 12u);
  EXPECT_EQ(devices.overlapped_waits, 1);
}

TEST_F(ConfigAccess, Hwgate2RefusesWrites) {
  hwgate2_config.Write32(1, 0, 0x40, 0x5);
  EXPECT_EQ(devices.requests.back().result.status, drivers::STATUS_INVALID_DEVICE_REQUEST);
  EXPECT_EQ(rig.board->Read32(0x40), 0x1u);
  // Refused at once, the request never completes: nobody waits for it.
  EXPECT_EQ(devices.overlapped_waits, 0);
}

TEST_F(ConfigAccess, AFailedReadLeavesTheFiller) {
  Hwgate4ConfigSpace lost{devices, kInvalidHandleValue};
  Hwgate2ConfigSpace lost2{devices, kInvalidHandleValue, kHwgate2Event};
  EXPECT_EQ(lost.Read32(1, 0, 0), 0xF0F0F0F0u);
  EXPECT_EQ(lost2.Read32(1, 0, 0), 0xF0F0F0F0u);
  EXPECT_EQ(devices.overlapped_waits, 0);
  Hwgate4ConfigSpace zero_filled{devices, kInvalidHandleValue, 0};
  EXPECT_EQ(zero_filled.Read32(1, 0, 0), 0u);
}

TEST_F(ConfigAccess, WritesThatTheDriverRefusesChangeNothing) {
  hwgate4_config.Write32(0, 0, 0xA8, 0x302);
  EXPECT_EQ(devices.requests.back().result.status, drivers::STATUS_ACCESS_DENIED);
  EXPECT_EQ(rig.bus.ConfigRead32(0, 0, 0, 0xA8), 0u);
}

TEST_F(ConfigAccess, PortsWriteTheWholeDword) {
  port_config.Write32(1, 0, 0x54, 0x12345678);
  EXPECT_EQ(rig.board->Read32(0x54), 0x12345678u);
  // The 9x road goes straight to the hardware: no allow-list there.
  port_config.Write32(0, 0, 0xA8, 0x302);
  EXPECT_EQ(rig.bus.ConfigRead32(0, 0, 0, 0xA8), 0x302u);
}

}  // namespace
}  // namespace tunora::testing

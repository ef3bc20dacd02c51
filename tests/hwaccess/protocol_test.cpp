// The records the programs send, byte for byte.
#include "hwaccess/protocol.h"

#include <gtest/gtest.h>

#include <vector>

namespace tunora {
namespace {

TEST(ConfigAddress, FollowsMechanismOne) {
  struct Case {
    std::uint8_t bus, device, reg;
    std::uint32_t address;
  };
  const Case cases[] = {
      {0, 0, 0x00, 0x80000000u},
      {1, 0, 0x40, 0x80010040u},
      {1, 3, 0x2C, 0x8001182Cu},
      {254, 31, 0xFC, 0x80FEF8FCu},
      {0, 32, 0x00, 0x80000000u},  // only the low five bits of the
                                   // device count
      {2, 0x25, 0x54, 0x80022854u},
      {0, 0, 0x03, 0x80000003u},  // the register goes in unchanged
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "bus " << int{c.bus} << " device " << int{c.device}
                                    << " register " << int{c.reg});
    EXPECT_EQ(ConfigAddress(c.bus, c.device, c.reg), c.address);
  }
}

TEST(PciConfigRequest, PacksLittleEndianTwelveBytes) {
  struct Case {
    PciConfigRequest request;
    PciConfigRecord bytes;
  };
  const Case cases[] = {
      {{0, 0, 0, 2, 0xF0F0, 0xF0F0}, {0, 0, 0, 2, 0xF0, 0xF0, 0, 0, 0xF0, 0xF0, 0, 0}},
      {{1, 3, 0x40, 2, 0x1234, 0xABCD}, {1, 3, 0x40, 2, 0x34, 0x12, 0, 0, 0xCD, 0xAB, 0, 0}},
      {{0xFE, 0x1F, 0xFC, 7, 0x11223344, 0x55667788},
       {0xFE, 0x1F, 0xFC, 7, 0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PackPciConfigRequest(c.request), c.bytes);
    EXPECT_EQ(UnpackPciConfigRequest(c.bytes), c.request);
  }
}

TEST(PhysMapRequestNt, PacksFiveLittleEndianDwords) {
  const PhysMapRequestNt request{1, 0, 0xE7001234, 0, 0xFFFF};
  const PhysMapRecordNt expected = {1, 0,    0, 0, 0, 0, 0,    0,    0x34, 0x12,
                                    0, 0xE7, 0, 0, 0, 0, 0xFF, 0xFF, 0,    0};
  EXPECT_EQ(PackPhysMapRequestNt(request), expected);
  const PhysMapRecordNt odd = {5, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0x0C, 0, 2, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(PackPhysMapRequestNt({5, 2, 0xC0000, 2, 1}), odd);
}

TEST(PhysMapRequest9x, PacksAddressThenLength) {
  const PhysMapRecord9x expected = {0, 0, 0x0C, 0, 0xFF, 0x1F, 0, 0};
  EXPECT_EQ(PackPhysMapRequest9x({0xC0000, 8191}), expected);
}

TEST(DwordReply, UnpacksLittleEndian) {
  EXPECT_EQ(UnpackDword({0x04, 0x00, 0x01, 0x00}), 0x00010004u);
  EXPECT_EQ(UnpackDword({0x78, 0x56, 0x34, 0x12}), 0x12345678u);
}

}  // namespace
}  // namespace tunora

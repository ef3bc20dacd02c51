// The drivers' side of the protocol, request by request: what comes back
// in the system buffer, with which status and how many bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/protocol.h"
#include "tests/hwaccess/driver_request_table.h"
#include "tests/hwaccess/hardware_rig.h"

namespace tunora::testing {
namespace {

drivers::DispatchResult Send(HardwareRig& rig, Driver driver, std::uint32_t code,
                             std::span<std::uint8_t> buffer, std::uint32_t in, std::uint32_t out) {
  switch (driver) {
    case Driver::kHwgate2:
      return drivers::Hwgate2DeviceControl(rig.kernel, code, buffer, in, out);
    case Driver::kHwgate4:
      return drivers::Hwgate4DeviceControl(rig.kernel, code, buffer, in, out);
    default:
      return drivers::Hwgt9xDeviceControl(rig.kernel, code, buffer, in, out);
  }
}

TEST(DriverDispatch, AnswersEachRequestByteForByte) {
  for (const Case& c : DriverRequestCases()) {
    SCOPED_TRACE(std::string(Name(c.driver)) + ": " + c.what);
    HardwareRig rig;
    Bytes buffer = c.buffer;
    const drivers::DispatchResult result = Send(rig, c.driver, c.code, buffer, c.in, c.out);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.bytes_returned, c.returned);
    EXPECT_EQ(buffer, c.expected);
  }
}

// A kernel may hand over a system buffer shorter than either length. The
// request is refused before any byte past the buffer is read, even where
// the buffer still covers the other length; past the buffer lies a
// request that would be served.
TEST(DriverDispatch, RefusesASystemBufferShorterThanEitherLength) {
  struct FitCase {
    const char* what;
    Driver driver;
    std::uint32_t code;
    Bytes request;
    std::size_t buffer;
    std::uint32_t in, out;
  };
  const PhysMapRecordNt nt_map = PackPhysMapRequestNt({1, 0, 0xC0000, 0, 0x100});
  const PhysMapRecord9x vx_map = PackPhysMapRequest9x({0xC0000, 0x100});
  const Bytes nt(nt_map.begin(), nt_map.end());
  const Bytes vx(vx_map.begin(), vx_map.end());
  const Bytes write = Record(1, 0, 0x40, 2, 5, 0, 16);
  const FitCase cases[] = {
      {"read, both lengths past it", Driver::kHwgate2, kRead, Record(1, 0, 0, 2, 0, 0, 12), 11, 12,
       12},
      {"read, input past it", Driver::kHwgate2, kRead, Record(1, 0, 0, 2, 0, 0, 16), 12, 16, 12},
      {"read, output past it", Driver::kHwgate2, kRead, Record(1, 0, 0, 2, 0, 0, 16), 12, 12, 16},
      {"write, input past it", Driver::kHwgate4, kWrite, write, 12, 13, 12},
      {"write, output past it", Driver::kHwgate4, kWrite, write, 12, 12, 13},
      {"map, input past it", Driver::kHwgate4, kMap, nt, 4, 20, 4},
      {"map, output past it", Driver::kHwgate4, kMap, nt, 20, 20, 24},
      {"9x map, input past it", Driver::kHwgt9x, kDiocMapPhysical, vx, 4, 8, 4},
      {"9x version, input past it", Driver::kHwgt9x, kDiocVersion, Bytes(8, 0), 4, 8, 4},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(std::string(Name(c.driver)) + ": " + c.what);
    HardwareRig rig;
    Bytes backing = c.request;
    const auto result =
        Send(rig, c.driver, c.code, std::span(backing.data(), c.buffer), c.in, c.out);
    EXPECT_EQ(result, (drivers::DispatchResult{kBadParameter, 0}));
    EXPECT_EQ(backing, c.request);
    EXPECT_EQ(rig.process.ViewCount(), 0u);
    EXPECT_TRUE(rig.bus.ConfigWrites().empty());
  }
}

// A configuration request whose input is shorter than the record is
// refused before anything is read or written: the system buffer may still
// hold an earlier caller's record (here one that would clear the card's
// command register), and the driver must not act on it.
TEST(DriverDispatch, ConfigRequestsNeedTheCallersWholeRecord) {
  struct ShortCase {
    Driver driver;
    std::uint32_t code;
    std::uint32_t in;
  };
  const ShortCase cases[] = {
      {Driver::kHwgate4, kWrite, 0}, {Driver::kHwgate4, kWrite, 4}, {Driver::kHwgate4, kWrite, 11},
      {Driver::kHwgate4, kRead, 0},  {Driver::kHwgate2, kRead, 3},
  };
  for (const ShortCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << Name(c.driver) << " code " << std::hex << c.code
                                      << std::dec << ", " << c.in << " input bytes");
    HardwareRig rig;
    const std::uint32_t command = rig.board->Read32(0x04);
    const Bytes stale = Record(1, 0, 0x04, 2, 0, 0);
    Bytes buffer = stale;
    const auto result = Send(rig, c.driver, c.code, buffer, c.in, 12);
    EXPECT_EQ(result, (drivers::DispatchResult{kBadParameter, 0}));
    EXPECT_EQ(buffer, stale);
    EXPECT_EQ(rig.board->Read32(0x04), command);
    EXPECT_TRUE(rig.bus.ConfigWrites().empty());
  }
}

TEST(DriverDispatch, Hwgt9xReportsTheVersionItCarries) {
  HardwareRig rig;
  Bytes buffer(4, 0);
  const auto result =
      drivers::Hwgt9xDeviceControl(rig.kernel, kDiocVersion, buffer, 0, 4, 0x00010003);
  EXPECT_EQ(result, (drivers::DispatchResult{kOk, 4}));
  EXPECT_EQ(buffer, (Bytes{3, 0, 1, 0}));
}

TEST(ConfigWriteByWidth, ReachesTheRegisterWithTheRightSize) {
  struct WidthCase {
    std::uint8_t width;
    std::uint32_t low, high;
    std::uint32_t after;
  };
  const WidthCase cases[] = {
      {2, 0x5566, 0x7788, 0x77885566},
      {1, 0x5566, 0x7788, 0x11225566},
      {0, 0x5566, 0x7788, 0x11223366},
      {3, 0x5566, 0x7788, 0x11223344},  // unknown width: nothing written
  };
  for (const WidthCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "width " << int{c.width});
    HardwareRig rig;
    rig.board->Set32(0x40, 0x11223344);
    Bytes buffer = Record(1, 0, 0x40, c.width, c.low, c.high);
    EXPECT_EQ(Send(rig, Driver::kHwgate4, kWrite, buffer, 12, 12).status, kOk);
    EXPECT_EQ(rig.board->Read32(0x40), c.after);
  }
}

TEST(ConfigWriteByWidth, HighHalfIsShiftedAndAdded) {
  HardwareRig rig;
  // (high << 16) + low, so a low value above 16 bits carries into the high half.
  Bytes buffer = Record(1, 0, 0x54, 2, 0x10001, 0x0002);
  EXPECT_EQ(Send(rig, Driver::kHwgate4, kWrite, buffer, 12, 12).status, kOk);
  EXPECT_EQ(rig.board->Read32(0x54), 0x00030001u);
}

}  // namespace
}  // namespace tunora::testing

// The drivers' side of the protocol, request by request: what comes back
// in the system buffer, with which status and how many bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/protocol.h"
#include "tests/hwaccess/hardware_rig.h"

namespace tunora::testing {
namespace {

using drivers::NtStatus;
using Bytes = std::vector<std::uint8_t>;

enum class Driver { kHwgate2, kHwgate4, kHwgt9x };

const char* Name(Driver driver) {
  switch (driver) {
    case Driver::kHwgate2:
      return "hwgate2";
    case Driver::kHwgate4:
      return "hwgate4";
    default:
      return "Hwgt9x";
  }
}

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

Bytes Record(std::uint8_t bus, std::uint8_t device, std::uint8_t reg, std::uint8_t width,
             std::uint32_t low, std::uint32_t high, std::size_t size = 12) {
  Bytes bytes(std::max<std::size_t>(size, 12), 0);
  bytes[0] = bus;
  bytes[1] = device;
  bytes[2] = reg;
  bytes[3] = width;
  for (int i = 0; i < 4; ++i) {
    bytes[4 + i] = static_cast<std::uint8_t>(low >> (8 * i));
    bytes[8 + i] = static_cast<std::uint8_t>(high >> (8 * i));
  }
  bytes.resize(size);
  return bytes;
}

Bytes AllOf(std::uint8_t marker) {
  return {marker, marker, marker, marker, marker, 0, 0, 0, marker, 0, 0, 0};
}

struct Case {
  const char* what;
  Driver driver;
  std::uint32_t code;
  Bytes buffer;
  std::uint32_t in, out;
  NtStatus status;
  std::uint32_t returned;
  Bytes expected;
};

constexpr std::uint32_t kRead = kIoctlConfigRead;
constexpr std::uint32_t kWrite = kIoctlConfigWrite;
constexpr std::uint32_t kMap = kIoctlMapPhysical;
constexpr NtStatus kOk = drivers::STATUS_SUCCESS;
constexpr NtStatus kTooSmall = drivers::STATUS_BUFFER_TOO_SMALL;
constexpr NtStatus kBadRequest = drivers::STATUS_INVALID_DEVICE_REQUEST;
constexpr NtStatus kBadParameter = drivers::STATUS_INVALID_PARAMETER;
constexpr NtStatus kDenied = drivers::STATUS_ACCESS_DENIED;
constexpr std::uint32_t kF = 0xF0F0;  // the scans' filler

std::vector<Case> Cases() {
  const Driver g2 = Driver::kHwgate2;
  const Driver g4 = Driver::kHwgate4;
  const Driver vx = Driver::kHwgt9x;
  return {
      {"hwgate2 reads vendor and device, leaves bytes 0-3", g2, kRead, Record(1, 0, 0, 7, kF, kF),
       12, 12, kOk, 12, Record(1, 0, 0, 7, 0x102B, 0x0525)},
      {"hwgate2 reads the subsystem register", g2, kRead, Record(1, 0, 0x2C, 2, kF, kF), 12, 12,
       kOk, 12, Record(1, 0, 0x2C, 2, 0x102B, 0x217D)},
      {"hwgate2 reads an empty slot as all ones", g2, kRead, Record(5, 5, 0, 2, kF, kF), 12, 12,
       kOk, 12, Record(5, 5, 0, 2, 0xFFFF, 0xFFFF)},
      {"hwgate2 refuses an 11-byte output", g2, kRead, Record(1, 0, 0, 2, kF, kF, 11), 11, 11,
       kTooSmall, 0, Record(1, 0, 0, 2, kF, kF, 11)},
      {"hwgate2 reports the whole output length", g2, kRead, Record(1, 0, 0, 2, kF, kF, 16), 12, 16,
       kOk, 16, Record(1, 0, 0, 2, 0x102B, 0x0525, 16)},
      {"hwgate2 knows no write", g2, kWrite, Record(1, 0, 0x40, 2, 5, 0), 12, 12, kBadRequest, 0,
       Record(1, 0, 0x40, 2, 5, 0)},
      {"hwgate2 knows no map", g2, kMap, Bytes(20, 0), 20, 4, kBadRequest, 0, Bytes(20, 0)},

      {"width 2 read of register 0", g4, kRead, Record(1, 0, 0, 2, 0, 0), 12, 12, kOk, 12,
       Record(1, 0, 0, 2, 0x102B, 0x0525)},
      {"width 1 read keeps the low half", g4, kRead, Record(1, 0, 0, 1, kF, kF), 12, 12, kOk, 12,
       Record(1, 0, 0, 1, 0x102B, 0)},
      {"width 0 read keeps the low byte", g4, kRead, Record(1, 0, 0, 0, kF, kF), 12, 12, kOk, 12,
       Record(1, 0, 0, 0, 0x2B, 0)},
      {"width 7 read answers 0xFF everywhere", g4, kRead, Record(1, 0, 0, 7, kF, kF), 12, 12, kOk,
       12, AllOf(0xFF)},
      {"a 12-byte output is enough", g4, kRead, Record(0, 0, 0, 2, 0, 0), 12, 12, kOk, 12,
       Record(0, 0, 0, 2, 0x8086, 0x7190)},
      {"an 11-byte output is refused", g4, kRead, Record(0, 0, 0, 2, 0, 0, 11), 11, 11, kTooSmall,
       0, Record(0, 0, 0, 2, 0, 0, 11)},
      {"a served write comes back all 2s", g4, kWrite, Record(1, 0, 0x40, 2, 5, 0), 12, 12, kOk, 12,
       AllOf(2)},
      {"a write of unknown width comes back all 0xFF", g4, kWrite, Record(1, 0, 0x40, 9, 5, 0), 12,
       12, kOk, 12, AllOf(0xFF)},
      {"a write with an 11-byte output is refused", g4, kWrite, Record(1, 0, 0x40, 2, 5, 0, 11), 11,
       11, kTooSmall, 0, Record(1, 0, 0x40, 2, 5, 0, 11)},
      {"a write to the host bridge is refused", g4, kWrite, Record(0, 0, 0x40, 2, 5, 0), 12, 12,
       kDenied, 0, Record(0, 0, 0x40, 2, 5, 0)},
      {"a map with a 16-byte input is refused", g4, kMap, Bytes(16, 0), 16, 4, kBadParameter, 0,
       Bytes(16, 0)},
      {"a map with a 3-byte output is refused", g4, kMap, Bytes(20, 0), 20, 3, kBadParameter, 0,
       Bytes(20, 0)},
      {"hwgate4 knows no other code", g4, 0x0022E010, Record(1, 0, 0, 2, 0, 0), 12, 12, kBadRequest,
       0, Record(1, 0, 0, 2, 0, 0)},

      {"Hwgt9x open", vx, kDiocOpen, Bytes{}, 0, 0, kOk, 0, Bytes{}},
      {"Hwgt9x close", vx, kDiocClose, Bytes{}, 0, 0, kOk, 0, Bytes{}},
      {"Hwgt9x version", vx, kDiocVersion, Bytes(4, 0), 0, 4, kOk, 4, Bytes{4, 0, 1, 0}},
      {"Hwgt9x version needs four bytes", vx, kDiocVersion, Bytes(3, 0), 0, 3, kTooSmall, 0,
       Bytes(3, 0)},
      {"Hwgt9x map needs eight input bytes", vx, kDiocMapPhysical, Bytes(7, 0), 7, 4, kBadParameter,
       0, Bytes(7, 0)},
      {"Hwgt9x knows no other code", vx, 2, Bytes(4, 0), 4, 4, kBadRequest, 0, Bytes(4, 0)},
      {"Hwgt9x knows no NT code", vx, kRead, Record(1, 0, 0, 2, 0, 0), 12, 12, kBadRequest, 0,
       Record(1, 0, 0, 2, 0, 0)},
  };
}

TEST(DriverDispatch, AnswersEachRequestByteForByte) {
  for (const Case& c : Cases()) {
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

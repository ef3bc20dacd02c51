// The requests of the drivers' protocol, row by row, with the status,
// amount returned and system-buffer bytes each driver must answer on the
// test rig (tests/hwaccess/hardware_rig.h). The portable dispatch code
// and the driver binaries executed in the emulator are held to the same
// rows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "hwaccess/drivers/dispatch.h"

namespace tunora::testing {

using drivers::NtStatus;
using Bytes = std::vector<std::uint8_t>;

enum class Driver { kHwgate2, kHwgate4, kHwgt9x };

inline const char* Name(Driver driver) {
  switch (driver) {
    case Driver::kHwgate2:
      return "hwgate2";
    case Driver::kHwgate4:
      return "hwgate4";
    default:
      return "Hwgt9x";
  }
}

inline Bytes Record(std::uint8_t bus, std::uint8_t device, std::uint8_t reg, std::uint8_t width,
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

inline Bytes AllOf(std::uint8_t marker) {
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

inline constexpr std::uint32_t kRead = kIoctlConfigRead;
inline constexpr std::uint32_t kWrite = kIoctlConfigWrite;
inline constexpr std::uint32_t kMap = kIoctlMapPhysical;
inline constexpr NtStatus kOk = drivers::STATUS_SUCCESS;
inline constexpr NtStatus kTooSmall = drivers::STATUS_BUFFER_TOO_SMALL;
inline constexpr NtStatus kBadRequest = drivers::STATUS_INVALID_DEVICE_REQUEST;
inline constexpr NtStatus kBadParameter = drivers::STATUS_INVALID_PARAMETER;
inline constexpr NtStatus kDenied = drivers::STATUS_ACCESS_DENIED;
inline constexpr std::uint32_t kF = 0xF0F0;  // the scans' filler

inline std::vector<Case> DriverRequestCases() {
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
      {"hwgate2 returns the 12 bytes it wrote, not the output length", g2, kRead,
       Record(1, 0, 0, 2, kF, kF, 16), 12, 16, kOk, 12, Record(1, 0, 0, 2, 0x102B, 0x0525, 16)},
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
      // The amount returned is what the driver wrote, whatever the caller
      // offered: the rest of a long output is never handed back.
      {"hwgate4 returns 12 bytes into a 4096-byte output", g4, kRead,
       Record(1, 0, 0, 2, kF, kF, 4096), 12, 4096, kOk, 12,
       Record(1, 0, 0, 2, 0x102B, 0x0525, 4096)},
      {"a served write returns 12 bytes into a 16-byte output", g4, kWrite,
       Record(1, 0, 0x40, 2, 5, 0, 16), 12, 16, kOk, 12, Record(2, 2, 2, 2, 2, 2, 16)},
      {"a read with an 11-byte input is refused", g4, kRead, Record(1, 0, 0, 2, 0, 0), 11, 12,
       kBadParameter, 0, Record(1, 0, 0, 2, 0, 0)},
      {"hwgate2 refuses a read with no input", g2, kRead, Record(1, 0, 0, 2, 0, 0), 0, 12,
       kBadParameter, 0, Record(1, 0, 0, 2, 0, 0)},
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

}  // namespace tunora::testing

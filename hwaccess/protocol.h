// The program side of the device-control protocol: request codes and the
// records sent to the drivers, packed by hand into little-endian bytes.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/devices.h"

namespace tunora {

// CTL_CODE(device type, function, method, access).
constexpr std::uint32_t CtlCode(std::uint32_t device_type, std::uint32_t function,
                                std::uint32_t method, std::uint32_t access) {
  return device_type << 16 | access << 14 | function << 2 | method;
}
inline constexpr std::uint32_t kMethodBuffered = 0;
inline constexpr std::uint32_t kFileAnyAccess = 0;
inline constexpr std::uint32_t kFileReadWriteAccess = 3;

// hwgate2 and hwgate4.
inline constexpr std::uint32_t kIoctlPciConfigRead = 0x0022E008u;
inline constexpr std::uint32_t kIoctlPciConfigWrite = 0x0022E00Cu;
// hwgate4.
inline constexpr std::uint32_t kIoctlMapPhysical = 0x9C402000u;
static_assert(kIoctlPciConfigRead == CtlCode(0x22, 0x802, kMethodBuffered, kFileReadWriteAccess));
static_assert(kIoctlPciConfigWrite == CtlCode(0x22, 0x803, kMethodBuffered, kFileReadWriteAccess));
static_assert(kIoctlMapPhysical == CtlCode(0x9C40, 0x800, kMethodBuffered, kFileAnyAccess));

// Hwgt9x.
inline constexpr std::uint32_t kDiocQueryVersion = 1;
inline constexpr std::uint32_t kDiocMapPhysical = 7;
inline constexpr std::uint32_t kMinimumHwgt9xVersion = 0x00010004u;

// Configuration mechanism 1 address: function 0, the device number's low
// five bits, the register ORed in unchanged.
constexpr std::uint32_t PciConfigAddress(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) {
  return 0x80000000u | static_cast<std::uint32_t>(bus) << 16 |
         ((static_cast<std::uint32_t>(device) << 11) & 0xF800u) | reg;
}

inline constexpr std::uint8_t kPciWidth8 = 0;
inline constexpr std::uint8_t kPciWidth16 = 1;
inline constexpr std::uint8_t kPciWidth32 = 2;

// Configuration read and write record: bus, device, register, width, then
// the 32-bit value split into two zero-extended 16-bit halves.
struct PciConfigRequest {
  std::uint8_t bus = 0;
  std::uint8_t device = 0;
  std::uint8_t reg = 0;
  std::uint8_t width = kPciWidth32;
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  friend bool operator==(const PciConfigRequest&, const PciConfigRequest&) = default;
};
inline constexpr std::size_t kPciConfigRequestSize = 12;
using PciConfigRecord = std::array<std::uint8_t, kPciConfigRequestSize>;
static_assert(sizeof(PciConfigRecord) == 12);

// hwgate4 map request: 20 bytes in, a 4-byte caller address out.
struct PhysMapRequestNt {
  std::uint32_t interface_type = 1;  // ISA
  std::uint32_t bus_number = 0;
  std::uint32_t bus_address = 0;
  std::uint32_t address_space = 0;  // memory, translated
  std::uint32_t length = 0;
};
inline constexpr std::size_t kPhysMapRequestNtSize = 20;
using PhysMapRecordNt = std::array<std::uint8_t, kPhysMapRequestNtSize>;
static_assert(sizeof(PhysMapRecordNt) == 20);

// Hwgt9x map request: 8 bytes in, a 4-byte linear address out.
struct PhysMapRequest9x {
  std::uint32_t physical = 0;
  std::uint32_t length = 0;
};
inline constexpr std::size_t kPhysMapRequest9xSize = 8;
using PhysMapRecord9x = std::array<std::uint8_t, kPhysMapRequest9xSize>;
static_assert(sizeof(PhysMapRecord9x) == 8);

// The 4-byte replies: a mapped address or the 9x driver's version.
inline constexpr std::size_t kDwordReplySize = 4;
using DwordRecord = std::array<std::uint8_t, kDwordReplySize>;

PciConfigRecord PackPciConfigRequest(const PciConfigRequest& request);
PciConfigRequest UnpackPciConfigRequest(const PciConfigRecord& record);
PhysMapRecordNt PackPhysMapRequestNt(const PhysMapRequestNt& request);
PhysMapRecord9x PackPhysMapRequest9x(const PhysMapRequest9x& request);
std::uint32_t UnpackDword(const DwordRecord& record);

// The requests that carry no configuration record. Each returns 0 when
// the request fails.

// hwgate4 map request as ISA bus 0 memory: the caller's address of the
// first requested byte, valid until the process ends.
std::uint32_t MapPhysicalNt(Devices& devices, Handle hwgate4, std::uint32_t physical,
                            std::uint32_t length);
// Hwgt9x request 7: the linear address of the first byte.
std::uint32_t MapPhysical9x(Devices& devices, Handle hwgt9x, std::uint32_t physical,
                            std::uint32_t length);
// Hwgt9x request 1.
std::uint32_t QueryDriverVersion9x(Devices& devices, Handle hwgt9x);

}  // namespace tunora

// The facts of the device-control protocol both sides must agree on: the
// request codes, the 9x driver's version, the configuration-address
// packing and the record sizes. The program side (hwaccess/protocol*),
// the drivers and the simulated PC include this one header; each side
// keeps its own packing of the records, so the dispatch tests can check
// one against the other. Freestanding: the NT drivers compile it too.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tunora {

// CTL_CODE(device type, function, method, access).
constexpr std::uint32_t CtlCode(std::uint32_t device_type, std::uint32_t function,
                                std::uint32_t method, std::uint32_t access) {
  return device_type << 16 | access << 14 | function << 2 | method;
}
inline constexpr std::uint32_t kMethodBuffered = 0;
inline constexpr std::uint32_t kFileAnyAccess = 0;
inline constexpr std::uint32_t kFileReadWriteAccess = 3;

// hwgate2 and hwgate4: configuration read and write.
inline constexpr std::uint32_t kIoctlConfigRead = 0x0022E008u;
inline constexpr std::uint32_t kIoctlConfigWrite = 0x0022E00Cu;
// hwgate4: map physical memory into the caller.
inline constexpr std::uint32_t kIoctlMapPhysical = 0x9C402000u;
static_assert(kIoctlConfigRead == CtlCode(0x22, 0x802, kMethodBuffered, kFileReadWriteAccess));
static_assert(kIoctlConfigWrite == CtlCode(0x22, 0x803, kMethodBuffered, kFileReadWriteAccess));
static_assert(kIoctlMapPhysical == CtlCode(0x9C40, 0x800, kMethodBuffered, kFileAnyAccess));

// The Win32 device-control codes of the 9x driver.
inline constexpr std::uint32_t kDiocOpen = 0;
inline constexpr std::uint32_t kDiocClose = 0xFFFFFFFFu;
inline constexpr std::uint32_t kDiocVersion = 1;
inline constexpr std::uint32_t kDiocMapPhysical = 7;

// The version the current 9x driver reports, and the lowest the programs
// accept.
inline constexpr std::uint32_t kHwgt9xVersion = 0x00010004u;

// Configuration mechanism 1, as the 9x program and the drivers drive it:
// the address goes to port 0xCF8, the data moves through port 0xCFC. The
// address: function 0, the device number's low five bits, the register
// ORed in unchanged.
inline constexpr std::uint16_t kConfigAddressPort = 0xCF8;
inline constexpr std::uint16_t kConfigDataPort = 0xCFC;
constexpr std::uint32_t ConfigAddress(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) {
  return 0x80000000u | static_cast<std::uint32_t>(bus) << 16 |
         ((static_cast<std::uint32_t>(device) << 11) & 0xF800u) | reg;
}

// Configuration request (read and write): bus, device, register, width,
// then the 32-bit value as two zero-extended 16-bit halves.
inline constexpr std::size_t kConfigRecordSize = 12;
inline constexpr std::uint8_t kWidth8 = 0;
inline constexpr std::uint8_t kWidth16 = 1;
inline constexpr std::uint8_t kWidth32 = 2;
// hwgate4 map request: interface type, bus number, bus address, address
// space, length.
inline constexpr std::size_t kMapRecordSize = 20;
// Hwgt9x map request: physical address, length.
inline constexpr std::size_t kMap9xRecordSize = 8;
// Every reply: a mapped address, or the 9x driver's version.
inline constexpr std::size_t kAddressReplySize = 4;

}  // namespace tunora

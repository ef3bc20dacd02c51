// The program side of the device-control protocol: the records sent to
// the drivers, packed by hand into little-endian bytes. The codes, sizes
// and the configuration address are the wire facts both sides include.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "hwaccess/drivers/wire.h"
#include "platform/devices.h"

namespace tunora {

// Configuration read and write record: bus, device, register, width, then
// the 32-bit value split into two zero-extended 16-bit halves.
struct PciConfigRequest {
  std::uint8_t bus = 0;
  std::uint8_t device = 0;
  std::uint8_t reg = 0;
  std::uint8_t width = kWidth32;
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  friend bool operator==(const PciConfigRequest&, const PciConfigRequest&) = default;
};
using PciConfigRecord = std::array<std::uint8_t, kConfigRecordSize>;
// The fields below: four bytes, then two 32-bit halves.
static_assert(kConfigRecordSize == 4 + 2 * 4);

// hwgate4 map request: 20 bytes in, a 4-byte caller address out.
struct PhysMapRequestNt {
  std::uint32_t interface_type = 1;  // ISA
  std::uint32_t bus_number = 0;
  std::uint32_t bus_address = 0;
  std::uint32_t address_space = 0;  // memory, translated
  std::uint32_t length = 0;
};
using PhysMapRecordNt = std::array<std::uint8_t, kMapRecordSize>;
static_assert(kMapRecordSize == 5 * 4);

// Hwgt9x map request: 8 bytes in, a 4-byte linear address out.
struct PhysMapRequest9x {
  std::uint32_t physical = 0;
  std::uint32_t length = 0;
};
using PhysMapRecord9x = std::array<std::uint8_t, kMap9xRecordSize>;
static_assert(kMap9xRecordSize == 2 * 4);

// The 4-byte replies: a mapped address or the 9x driver's version.
using DwordRecord = std::array<std::uint8_t, kAddressReplySize>;

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

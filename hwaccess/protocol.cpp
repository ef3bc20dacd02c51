#include "hwaccess/protocol.h"

namespace tunora {
namespace {

void PutLe32(std::span<std::uint8_t> out, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

std::uint32_t GetLe32(std::span<const std::uint8_t> in, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(in[offset + i]) << (8 * i);
  }
  return value;
}

}  // namespace

PciConfigRecord PackPciConfigRequest(const PciConfigRequest& request) {
  PciConfigRecord record{};
  record[0] = request.bus;
  record[1] = request.device;
  record[2] = request.reg;
  record[3] = request.width;
  PutLe32(record, 4, request.low);
  PutLe32(record, 8, request.high);
  return record;
}

PciConfigRequest UnpackPciConfigRequest(const PciConfigRecord& record) {
  return {record[0], record[1], record[2], record[3], GetLe32(record, 4), GetLe32(record, 8)};
}

PhysMapRecordNt PackPhysMapRequestNt(const PhysMapRequestNt& request) {
  PhysMapRecordNt record{};
  PutLe32(record, 0, request.interface_type);
  PutLe32(record, 4, request.bus_number);
  PutLe32(record, 8, request.bus_address);
  PutLe32(record, 12, request.address_space);
  PutLe32(record, 16, request.length);
  return record;
}

PhysMapRecord9x PackPhysMapRequest9x(const PhysMapRequest9x& request) {
  PhysMapRecord9x record{};
  PutLe32(record, 0, request.physical);
  PutLe32(record, 4, request.length);
  return record;
}

std::uint32_t UnpackDword(const DwordRecord& record) { return GetLe32(record, 0); }

}  // namespace tunora

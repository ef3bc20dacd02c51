// hwgate4: configuration read and write and physical memory mapping for
// the NT road. Every request completes before the routine returns.
#include <algorithm>

#include "hwaccess/drivers/access_policy.h"
#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/drivers/driver_records.h"

namespace tunora::drivers {
namespace {

// Marks a record whose width the driver does not know.
constexpr std::uint8_t kBadWidthMarker = 0xFF;
// What a served configuration write hands back in every field.
constexpr std::uint8_t kWriteDoneMarker = 2;

void FillRecord(std::span<std::uint8_t> buffer, std::uint8_t marker) {
  std::fill_n(buffer.begin(), 4, marker);
  StoreLe32(buffer, kConfigLowOffset, marker);
  StoreLe32(buffer, kConfigHighOffset, marker);
}

DispatchResult ConfigRead(KernelServices& kernel, std::span<std::uint8_t> buffer,
                          std::uint32_t input_length, std::uint32_t output_length) {
  if (const auto refusal = CheckConfigLengths(input_length, output_length)) return *refusal;
  const std::uint32_t value = kernel.ReadConfig32(
      buffer[kConfigBusOffset], buffer[kConfigDeviceOffset], buffer[kConfigRegisterOffset]);
  switch (buffer[kConfigWidthOffset]) {
    case kWidth32:
      StoreLe32(buffer, kConfigLowOffset, value & 0xFFFFu);
      StoreLe32(buffer, kConfigHighOffset, value >> 16);
      break;
    case kWidth16:
      StoreLe32(buffer, kConfigLowOffset, value & 0xFFFFu);
      StoreLe32(buffer, kConfigHighOffset, 0);
      break;
    case kWidth8:
      StoreLe32(buffer, kConfigLowOffset, value & 0xFFu);
      StoreLe32(buffer, kConfigHighOffset, 0);
      break;
    default:
      FillRecord(buffer, kBadWidthMarker);
      break;
  }
  return {STATUS_SUCCESS, kConfigRecordSize};
}

DispatchResult ConfigWrite(KernelServices& kernel, std::span<std::uint8_t> buffer,
                           std::uint32_t input_length, std::uint32_t output_length) {
  if (const auto refusal = CheckConfigLengths(input_length, output_length)) return *refusal;
  const std::uint8_t bus = buffer[kConfigBusOffset];
  const std::uint8_t device = buffer[kConfigDeviceOffset];
  const std::uint8_t reg = buffer[kConfigRegisterOffset];
  const std::uint8_t width = buffer[kConfigWidthOffset];
  if (!ConfigWriteAllowed(kernel, bus, device, reg)) return {STATUS_ACCESS_DENIED, 0};
  if (width > kWidth32) {
    FillRecord(buffer, kBadWidthMarker);
    return {STATUS_SUCCESS, kConfigRecordSize};
  }
  const std::uint32_t low = LoadLe32(buffer, kConfigLowOffset);
  const std::uint32_t high = LoadLe32(buffer, kConfigHighOffset);
  if (width == kWidth32) {
    kernel.WriteConfig(bus, device, reg, 4, (high << 16) + low);
  } else {
    kernel.WriteConfig(bus, device, reg, width == kWidth16 ? 2 : 1, low);
  }
  FillRecord(buffer, kWriteDoneMarker);
  return {STATUS_SUCCESS, kConfigRecordSize};
}

struct MapRecord {
  std::uint32_t interface_type;
  std::uint32_t bus_number;
  std::uint32_t bus_address;
  std::uint32_t address_space;
  std::uint32_t length;
};

MapRecord LoadMapRecord(std::span<const std::uint8_t> buffer) {
  return {LoadLe32(buffer, kMapInterfaceTypeOffset), LoadLe32(buffer, kMapBusNumberOffset),
          LoadLe32(buffer, kMapBusAddressOffset), LoadLe32(buffer, kMapAddressSpaceOffset),
          LoadLe32(buffer, kMapLengthOffset)};
}

DispatchResult MapPhysical(KernelServices& kernel, std::span<std::uint8_t> buffer,
                           std::uint32_t input_length, std::uint32_t output_length) {
  if (input_length < kMapRecordSize || output_length < kAddressReplySize) {
    return {STATUS_INVALID_PARAMETER, 0};
  }
  const MapRecord request = LoadMapRecord(buffer);
  if (!MapAddressSpaceAllowed(request.address_space) ||
      !MapRangeAllowed(kernel, request.bus_address, request.length)) {
    return {STATUS_ACCESS_DENIED, 0};
  }
  std::uint64_t physical = request.bus_address;
  if (request.address_space != kAddressSpaceMemoryUntranslated) {
    std::uint32_t start_space = request.address_space;
    std::uint32_t end_space = request.address_space;
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    const std::uint64_t bus_end = std::uint64_t{request.bus_address} + request.length;
    // An empty translated range is refused; so is one that runs backwards.
    if (!kernel.HalTranslateBusAddress(request.interface_type, request.bus_number,
                                       request.bus_address, start_space, start) ||
        !kernel.HalTranslateBusAddress(request.interface_type, request.bus_number, bus_end,
                                       end_space, end) ||
        end <= start) {
      return {STATUS_UNSUCCESSFUL, 0};
    }
    if (start_space == kAddressSpaceIo) {
      StoreLe32(buffer, 0, static_cast<std::uint32_t>(start));
      return {STATUS_SUCCESS, kAddressReplySize};
    }
    // What gets mapped is the translated range; it must pass as well.
    if (!MapRangeAllowed(kernel, start, request.length)) return {STATUS_ACCESS_DENIED, 0};
    physical = start;
  }
  std::uint64_t section_offset = physical;
  const auto view_base = kernel.MapPhysicalMemoryView(section_offset, request.length);
  // An offset that came back above the start would put the reply before
  // the view; the view stays in the process like every other one.
  if (!view_base || section_offset > physical) return {STATUS_UNSUCCESSFUL, 0};
  StoreLe32(buffer, 0, *view_base + static_cast<std::uint32_t>(physical - section_offset));
  return {STATUS_SUCCESS, kAddressReplySize};
}

}  // namespace

DispatchResult Hwgate4DeviceControl(KernelServices& kernel, std::uint32_t code,
                                    std::span<std::uint8_t> system_buffer,
                                    std::uint32_t input_length, std::uint32_t output_length) {
  if (!SystemBufferFits(system_buffer, input_length, output_length)) {
    return {STATUS_INVALID_PARAMETER, 0};
  }
  switch (code) {
    case kIoctlConfigRead:
      return ConfigRead(kernel, system_buffer, input_length, output_length);
    case kIoctlConfigWrite:
      return ConfigWrite(kernel, system_buffer, input_length, output_length);
    case kIoctlMapPhysical:
      return MapPhysical(kernel, system_buffer, input_length, output_length);
    default:
      return {STATUS_INVALID_DEVICE_REQUEST, 0};
  }
}

}  // namespace tunora::drivers

// The device-control dispatch routines of the three drivers, written once
// and shared by the simulated machine and the real drivers' thin wrappers.
//
// Buffered method: `system_buffer` is max(input_length, output_length)
// bytes long; it holds the caller's input on entry and receives the output.
// The result carries the completion status and the amount returned
// (IoStatus.Information), which never exceeds `output_length`.
#pragma once

#include <cstdint>
#include <span>

#include "hwaccess/drivers/kernel_services.h"
#include "hwaccess/drivers/ntstatus.h"
#include "hwaccess/drivers/wire.h"

namespace tunora::drivers {

struct DispatchResult {
  NtStatus status = STATUS_SUCCESS;
  std::uint32_t bytes_returned = 0;
  friend bool operator==(const DispatchResult&, const DispatchResult&) = default;
};

// hwgate2: configuration read only.
DispatchResult Hwgate2DeviceControl(KernelServices& kernel, std::uint32_t code,
                                    std::span<std::uint8_t> system_buffer,
                                    std::uint32_t input_length, std::uint32_t output_length);

// hwgate4: configuration read and write, physical memory mapping.
DispatchResult Hwgate4DeviceControl(KernelServices& kernel, std::uint32_t code,
                                    std::span<std::uint8_t> system_buffer,
                                    std::uint32_t input_length, std::uint32_t output_length);

// Hwgt9x: open, close, version, physical-to-linear mapping. `version` is
// what request 1 reports, so a test machine can carry an older driver.
DispatchResult Hwgt9xDeviceControl(KernelServices& kernel, std::uint32_t code,
                                   std::span<std::uint8_t> system_buffer,
                                   std::uint32_t input_length, std::uint32_t output_length,
                                   std::uint32_t version = kHwgt9xVersion);

// The I/O manager always hands over a buffer of max(input, output) bytes;
// a caller that breaks that is refused instead of overrun.
bool SystemBufferFits(std::span<const std::uint8_t> system_buffer, std::uint32_t input_length,
                      std::uint32_t output_length);

}  // namespace tunora::drivers

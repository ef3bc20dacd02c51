// The device-control dispatch routines of the three drivers, written once
// and shared by the simulated machine and the real drivers' thin wrappers.
//
// Buffered method: `system_buffer` is max(input_length, output_length)
// bytes long; it holds the caller's input on entry and receives the output.
// The result carries the completion status and the amount returned
// (IoStatus.Information): the bytes the driver wrote, never more than
// `output_length`.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "hwaccess/drivers/kernel_services.h"
#include "hwaccess/drivers/ntstatus.h"

namespace tunora::drivers {

// Device type 0x22, functions 0x802 and 0x803, buffered, read and write access.
inline constexpr std::uint32_t kIoctlConfigRead = 0x0022E008u;
inline constexpr std::uint32_t kIoctlConfigWrite = 0x0022E00Cu;
// Device type 0x9C40, function 0x800, buffered, any access.
inline constexpr std::uint32_t kIoctlMapPhysical = 0x9C402000u;

// Win32 device-control codes of the 9x driver.
inline constexpr std::uint32_t kDiocOpen = 0;
inline constexpr std::uint32_t kDiocClose = 0xFFFFFFFFu;
inline constexpr std::uint32_t kDiocVersion = 1;
inline constexpr std::uint32_t kDiocMapPhysical = 7;

// The version the current 9x driver reports.
inline constexpr std::uint32_t kHwgt9xVersion = 0x00010004u;

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

// Configuration requests: an output shorter than the record is refused
// with STATUS_BUFFER_TOO_SMALL, and so is an input shorter than it, with
// STATUS_INVALID_PARAMETER: the driver acts on the caller's whole record,
// never on what an earlier request left in the system buffer.
std::optional<DispatchResult> CheckConfigLengths(std::uint32_t input_length,
                                                 std::uint32_t output_length);

// The I/O manager always hands over a buffer of max(input, output) bytes;
// a caller that breaks that is refused instead of overrun.
bool SystemBufferFits(std::span<const std::uint8_t> system_buffer, std::uint32_t input_length,
                      std::uint32_t output_length);

}  // namespace tunora::drivers

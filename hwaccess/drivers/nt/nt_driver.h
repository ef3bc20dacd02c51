// What the two NT drivers share around their dispatch routine: the device
// and its symbolic link, opens for the system and administrators only,
// create and close, buffered device control, unload.
#pragma once

#include <cstdint>
#include <span>

#include "hwaccess/drivers/dispatch.h"

// The DDK's types, declared the same way so this header stays free of
// its macros.
struct _DRIVER_OBJECT;

namespace tunora::drivers::nt {

// The driver's dispatch over the kernel services it needs, so each image
// links (and imports) only those.
using DeviceControlRoutine = DispatchResult (*)(std::uint32_t code,
                                                std::span<std::uint8_t> system_buffer,
                                                std::uint32_t input_length,
                                                std::uint32_t output_length);

// A driver's device control: its dispatch routine over a kernel of type
// `Kernel`, made for the request.
template <typename Kernel,
          DispatchResult (*Dispatch)(KernelServices&, std::uint32_t, std::span<std::uint8_t>,
                                     std::uint32_t, std::uint32_t)>
DispatchResult DispatchOn(std::uint32_t code, std::span<std::uint8_t> system_buffer,
                          std::uint32_t input_length, std::uint32_t output_length) {
  Kernel kernel;
  return Dispatch(kernel, code, system_buffer, input_length, output_length);
}

struct DriverDescription {
  const wchar_t* device_name;  // "\Device\..."
  const wchar_t* link_name;    // "\DosDevices\..."
  DeviceControlRoutine device_control;
};

// DriverEntry's work; returns an NTSTATUS.
std::int32_t StartDriver(_DRIVER_OBJECT* driver, const DriverDescription& description);

}  // namespace tunora::drivers::nt

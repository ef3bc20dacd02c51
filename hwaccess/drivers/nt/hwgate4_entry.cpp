// hwgate4.sys: configuration read and write and physical memory mapping.
#include "hwaccess/drivers/nt/nt_driver.h"
#include "hwaccess/drivers/nt/nt_kernel.h"

namespace {

tunora::drivers::DispatchResult DeviceControl(std::uint32_t code, std::span<std::uint8_t> buffer,
                                              std::uint32_t input_length,
                                              std::uint32_t output_length) {
  tunora::drivers::nt::NtKernel kernel;
  return tunora::drivers::Hwgate4DeviceControl(kernel, code, buffer, input_length, output_length);
}

}  // namespace

extern "C" __attribute__((stdcall)) std::int32_t DriverEntry(_DRIVER_OBJECT* driver, void*) {
  return tunora::drivers::nt::StartDriver(
      driver, {L"\\Device\\HwGate4", L"\\DosDevices\\HwGate4", DeviceControl});
}
